#include "ui/windows/WindowContents.h"

#include "ui/hud/HUDView.h"
#include "ui/windows/PiPView.h"

namespace vp::ui {

WindowContent* makeWindowContent(WindowRole role, QWidget* window) {
    switch (role) {
        case WindowRole::hud: return new HUDView(window);
        case WindowRole::pip: return new PiPView(window);
        case WindowRole::shade:
        case WindowRole::extraBrightness: return nullptr;
    }
    return nullptr;
}

}  // namespace vp::ui
