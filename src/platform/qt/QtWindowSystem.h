#pragma once
// The core's windows as real Qt top-level windows. The screen list comes
// from the platform's displays (the simulated ones in this build); windows
// are placed in the same global points, mapped onto Qt's desktop.

#include "platform/Runtime.h"
#include "platform/WindowSystem.h"
#include "platform/qt/QtWindows.h"

namespace vp {

class QtWindowSystem : public WindowSystem {
public:
    // `screens` lists the screens and the shielding level; windows are made
    // here. `main` is the main queue fades report to; `contents` draws what
    // the HUD and PiP windows show.
    QtWindowSystem(WindowSystem& screens, MainQueue& main, WindowContentFactory contents);

    std::vector<ScreenInfo> screens() override { return screens_.screens(); }
    std::optional<ScreenInfo> mainScreen() override { return screens_.mainScreen(); }
    std::unique_ptr<Window> createWindow(const WindowConfig& config) override;
    int shieldingWindowLevel() override { return screens_.shieldingWindowLevel(); }
    // No extended-range compositor exists on this build: nothing can
    // multiply what other windows show, so extra brightness is not offered.
    bool hasExtendedRangeCompositor() override { return false; }
    // There is no dock to leave: the program shows only its tray icon (or
    // its small fallback window) and its own windows.
    void setActivationPolicyAccessory() override { accessory_ = true; }
    bool isAccessory() const { return accessory_; }

    // Height of the main screen, the pivot between the two coordinate systems.
    double mainHeight();

private:
    WindowSystem& screens_;
    MainQueue& main_;
    WindowContentFactory contents_;
    bool accessory_ = false;
};

}  // namespace vp
