#include "platform/qt/QtWindowSystem.h"

namespace vp {

QtWindowSystem::QtWindowSystem(WindowSystem& screens, MainQueue& main, WindowContentFactory contents)
    : screens_(screens), main_(main), contents_(std::move(contents)) {}

double QtWindowSystem::mainHeight() {
    auto main = screens_.mainScreen();
    return main ? main->frame.height : 0;
}

std::unique_ptr<Window> QtWindowSystem::createWindow(const WindowConfig& config) {
    if (config.role == WindowRole::extraBrightness) return std::make_unique<FactorOnlyWindow>(config, main_);
    return std::make_unique<QtWindow>(config, [this] { return mainHeight(); }, contents_);
}

}  // namespace vp
