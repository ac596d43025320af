#include "platform/qt/LivePlatform.h"

namespace vp {

LivePlatform::LivePlatform(const std::string& home, WindowContentFactory contents)
    : sim_(SimOptions{home, false}, runtime_.runtime()),
      windows_(sim_.simWindows, runtime_.main(), std::move(contents)),
      capture_(sim_.simCapture) {
    sim_.simCapture.threaded = true;
}

LivePlatform::~LivePlatform() {
    // DDC work in flight talks to the simulated monitors: let it finish
    // before they go.
    sim_.simDisplays.settle();
    runtime_.finishDDC();
}

}  // namespace vp
