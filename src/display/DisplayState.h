#pragma once
// What the display manager publishes: read by the panel, the card, the keys
// and headless output through DisplayManager::state(), changed only by the
// manager's operations, each followed by its change notification.

#include "display/Screen.h"
#include "display/ScreenPrefs.h"
#include "display/VirtualSpec.h"
#include "platform/Types.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vp {

struct DisplayState {
    std::vector<Screen> screens;
    std::map<DisplayID, double> brightness;
    std::map<DisplayID, double> volume;
    std::map<DisplayID, int> inputSource;
    std::map<DisplayID, BrightnessMethod> method;
    // Why a screen stays on software dimming, when it is not the user's
    // choice and not a monitor without DDC/CI: a twin, a link the user may
    // not open, a panel whose backlight the system keeps from the user.
    std::map<DisplayID, std::string> softwareReason;
    PrefsMap prefs;
    std::vector<VirtualSpec> specs;
    HiDPIMap hiDPIMap;
    std::map<DisplayID, std::string> disabled;
    std::optional<std::string> lastError;
    std::set<DisplayID> pipOpen;
    std::int64_t profileTick = 0;
    std::map<DisplayID, double> xdrLevel;
    bool ddcMuted = false;
};

}  // namespace vp
