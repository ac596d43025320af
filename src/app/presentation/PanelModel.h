#pragma once
// What the menu panel shows around its cards.

#include "display/Screen.h"

#include <optional>
#include <string>
#include <vector>

namespace vp {

struct PanelModel {
    static constexpr std::size_t scrollFrom = 4;  // cards scroll from this many screens on
    std::string countText;                        // "2 connected"
    bool allScreensSlider = false;
    double averageBrightness = 1.0;
    bool scrolls = false;
    std::optional<std::string> banner;
};

// Screens that count as connected and take part in the all-screens slider:
// on, and not one of our own virtual screens.
std::vector<Screen> adjustableScreens(const std::vector<Screen>& screens);

PanelModel panelModel(const std::vector<Screen>& screens, double averageBrightness,
                      const std::optional<std::string>& lastError);

}  // namespace vp
