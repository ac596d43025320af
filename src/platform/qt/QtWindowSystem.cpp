#include "platform/qt/QtWindowSystem.h"

#include "platform/qt/QtWindows.h"

namespace vp {

QtWindowSystem::QtWindowSystem(WindowSystem& screens, MainQueue& main) : screens_(screens), main_(main) {}

double QtWindowSystem::mainHeight() {
    auto main = screens_.mainScreen();
    return main ? main->frame.height : 0;
}

std::unique_ptr<Window> QtWindowSystem::createWindow(const WindowConfig& config) {
    if (config.role == WindowRole::extraBrightness) return std::make_unique<FactorOnlyWindow>(config, main_);
    return std::make_unique<QtWindow>(config, [this] { return mainHeight(); });
}

}  // namespace vp
