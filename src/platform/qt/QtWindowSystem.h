#pragma once
// The core's windows as real Qt top-level windows. The screen list comes
// from the platform's displays; a window goes to the Qt screen that shows its
// display's output (Qt names a screen after its output: the RandR output on
// X11), keeping its place on that screen, so it lands right even where Qt's
// desktop is laid out otherwise than the platform's. Without such a screen
// the global points are mapped onto Qt's desktop around the main screen.

#include "platform/Runtime.h"
#include "platform/WindowSystem.h"
#include "platform/qt/QtWindows.h"

#include <functional>
#include <string>

class QScreen;

namespace vp {

// What the window system is told of the platform's displays. Asked each
// time, since the platform whose displays they are may be made after its
// window system.
struct QtScreenSource {
    // Main screen first; frames in global points.
    std::function<std::vector<ScreenInfo>()> screens;
    int shieldingLevel = 0;
    // The output a display is on; empty when unknown. Null: none is known.
    std::function<std::string(DisplayID)> outputName;
    // Whether something blends a translucent window over the screen; without
    // it a shade would show black, so none is made. Null: always.
    std::function<bool()> shadeAvailable;
};

class QtWindowSystem : public WindowSystem, public QtPlacement {
public:
    // `main` is the main queue fades report to; `contents` draws what the HUD
    // and PiP windows show.
    QtWindowSystem(QtScreenSource source, MainQueue& main, WindowContentFactory contents);
    // The screens and shielding level of another window system (the
    // simulated one), which has no outputs.
    QtWindowSystem(WindowSystem& screens, MainQueue& main, WindowContentFactory contents);

    std::vector<ScreenInfo> screens() override { return source_.screens(); }
    std::optional<ScreenInfo> mainScreen() override;
    // Null for a shade while nothing can blend it.
    std::unique_ptr<Window> createWindow(const WindowConfig& config) override;
    int shieldingWindowLevel() override { return source_.shieldingLevel; }
    // No extended-range compositor exists on this build: nothing can
    // multiply what other windows show, so extra brightness is not offered.
    bool hasExtendedRangeCompositor() override { return false; }
    // There is no dock to leave: the program shows only its tray icon (or
    // its small fallback window) and its own windows.
    void setActivationPolicyAccessory() override { accessory_ = true; }
    bool isAccessory() const { return accessory_; }

    QRect toQt(const Rect& frame, std::optional<DisplayID> display) override;
    Rect fromQt(const QRect& rect, std::optional<DisplayID> display) override;
    QScreen* screenOf(DisplayID display) override;
    std::optional<DisplayID> displayAt(const Rect& frame) override;
    std::optional<DisplayID> displayUnderPointer() override;
    Rect fromMainTo(const Rect& frame, DisplayID display) override;

private:
    // Height of the main screen, the pivot between the two coordinate systems.
    double mainHeight(const std::vector<ScreenInfo>& screens) const;
    // How far the display's output screen is from where the geometry alone
    // would put it; none without such a screen.
    QPoint shiftOf(const std::vector<ScreenInfo>& screens, std::optional<DisplayID> display);

    QtScreenSource source_;
    MainQueue& main_;
    WindowContentFactory contents_;
    bool accessory_ = false;
};

}  // namespace vp
