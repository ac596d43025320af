#pragma once
// The simulated window system: its screen list follows the simulated
// displays, and windows are records that tests and the headless state can
// inspect.

#include "platform/WindowSystem.h"
#include "platform/sim/SimDisplays.h"

#include <nlohmann/json.hpp>

namespace vp {

struct SimWindowRecord {
    WindowConfig config;
    Rect frame;
    RGBA background;
    double alpha = 1.0;
    std::size_t alphaSets = 0;
    bool visible = false;
    bool closed = false;
    Size aspectRatio;
    double multiplyFactor = 0;
    double levelValue = 0;
    std::string levelIcon;
    CapturedFrameRef lastFrame;
    std::size_t framesShown = 0;
    std::size_t fades = 0;
    std::function<void()> onUserClose;
};

class SimWindowSystem : public WindowSystem {
public:
    SimWindowSystem(SimDisplays& displays, MainQueue& main);

    // Scenario: "windowSystem": {"extraScreens": [...], "extendedRangeCompositor": bool}
    void load(const nlohmann::json& j);

    std::vector<ScreenInfo> screens() override;
    std::optional<ScreenInfo> mainScreen() override;
    std::unique_ptr<Window> createWindow(const WindowConfig& config) override;
    int shieldingWindowLevel() override { return 2147483628; }
    bool hasExtendedRangeCompositor() override { return extendedRangeCompositor; }
    void setActivationPolicyAccessory() override { accessory = true; }

    // --- Simulation controls and inspection
    bool extendedRangeCompositor = false;
    bool accessory = false;
    // The colour-space name of a display's screen (its assigned profile).
    std::function<std::string(const SimDisplay&)> colorSpaceName;
    // Entries the window system lists besides the displays' own screens
    // (screens without a number, duplicates).
    std::vector<ScreenInfo> extraScreens;
    // Every window ever created, in creation order.
    const std::vector<std::shared_ptr<SimWindowRecord>>& records() const { return records_; }
    std::vector<std::shared_ptr<SimWindowRecord>> openWindows(WindowRole role) const;
    // The user presses a window's close button.
    void userClose(const std::shared_ptr<SimWindowRecord>& record);

private:
    ScreenInfo screenFor(const SimDisplay& display, double mainHeight) const;
    SimDisplays& displays_;
    MainQueue& main_;
    std::vector<std::shared_ptr<SimWindowRecord>> records_;
};

}  // namespace vp
