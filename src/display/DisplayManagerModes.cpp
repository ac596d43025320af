#include "display/DisplayManager.h"

namespace vp {

void DisplayManager::rebuildModeCache() {}

Size DisplayManager::nativePixels(DisplayID) {
    return {};
}

}  // namespace vp
