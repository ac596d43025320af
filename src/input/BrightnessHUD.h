#pragma once
// The small floating panel that shows a brightness or volume level for a
// moment near the bottom of the main screen. It never takes focus, lets
// clicks through, and fades out by itself 1.2 s after the last show.
// Where nothing blends translucent windows (X11 without a compositing
// manager) a fade would only leave the panel fully drawn for its length: it
// goes at once instead.

#include "input/HUDModel.h"
#include "platform/Runtime.h"
#include "platform/WindowSystem.h"

#include <functional>
#include <memory>
#include <string>

namespace vp {

class BrightnessHUD {
public:
    static constexpr Size panelSize{220, 64};
    static constexpr double bottomMargin = 90;
    static constexpr Seconds hideDelay{1.2};
    static constexpr double fadeDuration = 0.35;

    // `blends` says, when the panel is to go, whether translucent windows
    // are blended now (a compositor may start or stop at any time).
    BrightnessHUD(WindowSystem& windows, MainQueue& main, std::function<bool()> blends);
    ~BrightnessHUD();

    // Main queue only.
    void show(double value, const std::string& icon);

    const HUDModel& model() const { return model_; }
    HUDModel& model() { return model_; }
    // Absent until the first show.
    const Window* panel() const { return panel_.get(); }
    bool isHidePending() const { return hideWork_ && !hideWork_->isCancelled(); }

private:
    void createPanel();
    void place();
    void hide();

    WindowSystem& windows_;
    MainQueue& main_;
    std::function<bool()> blends_;
    std::unique_ptr<Window> panel_;
    WorkItemRef hideWork_;
    HUDModel model_;
    // Counts shows, so that a fade that a newer show interrupted does not
    // order the panel out under the user's eyes.
    std::uint64_t showCount_ = 0;
    LifeToken life_ = std::make_shared<int>(0);
};

}  // namespace vp
