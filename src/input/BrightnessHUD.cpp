#include "input/BrightnessHUD.h"

namespace vp {

BrightnessHUD::BrightnessHUD(WindowSystem& windows, MainQueue& main, std::function<bool()> blends)
    : windows_(windows), main_(main), blends_(std::move(blends)) {}

BrightnessHUD::~BrightnessHUD() {
    if (hideWork_) hideWork_->cancel();
}

void BrightnessHUD::show(double value, const std::string& icon) {
    model_.set(value, icon);
    if (!panel_) createPanel();
    panel_->setLevelContent(value, icon);
    place();
    panel_->setAlpha(1.0);
    panel_->orderFrontRegardless();
    ++showCount_;

    if (hideWork_) hideWork_->cancel();
    WeakLife weak = life_;
    hideWork_ = main_.postAfter(hideDelay, [weak, this] {
        if (weak.lock()) hide();
    });
}

void BrightnessHUD::createPanel() {
    WindowConfig config;
    config.role = WindowRole::hud;
    config.contentRect = {0, 0, panelSize.width, panelSize.height};
    config.styleMask = style::nonactivatingPanel;
    config.level = level::status;
    config.collectionBehavior = collection::canJoinAllSpaces | collection::stationary | collection::fullScreenAuxiliary;
    config.ignoresMouseEvents = true;
    config.opaque = false;
    config.hasShadow = true;
    panel_ = windows_.createWindow(config);
    panel_->setBackgroundColor({0, 0, 0, 0});
}

void BrightnessHUD::place() {
    WindowSystem& windows = windows_;
    auto screen = windows.mainScreen();
    if (!screen) {
        auto all = windows.screens();
        if (all.empty()) return;  // stays where it was
        screen = all.front();
    }
    const Rect& visible = screen->visibleFrame;
    panel_->setFrameOrigin({visible.midX() - panelSize.width / 2, visible.minY() + bottomMargin});
}

void BrightnessHUD::hide() {
    hideWork_.reset();
    if (!panel_) return;
    if (!blends_()) {
        panel_->orderOut();
        return;
    }
    WeakLife weak = life_;
    std::uint64_t shownAt = showCount_;
    panel_->fadeOut(fadeDuration, [weak, this, shownAt] {
        if (!weak.lock() || !panel_ || showCount_ != shownAt) return;
        panel_->orderOut();
    });
}

}  // namespace vp
