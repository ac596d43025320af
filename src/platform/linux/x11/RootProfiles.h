#pragma once
// The ICC profiles that a calibration loader leaves on the X screen's root
// window: _ICC_PROFILE for the first screen, _ICC_PROFILE_n for the n-th
// after it, numbered as Xinerama numbers the screens. Read only: without the
// desktop's colour manager they show which profile a screen has, and nothing
// here changes them.

#include "platform/linux/x11/RandrModel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct xcb_connection_t;

namespace vp::x11 {

class RootProfiles {
public:
    // Connects to `display` ($DISPLAY when empty).
    explicit RootProfiles(const std::string& display);
    ~RootProfiles();
    RootProfiles(const RootProfiles&) = delete;
    RootProfiles& operator=(const RootProfiles&) = delete;

    // The profile of screen `index`; empty when none is set (or no server).
    std::vector<std::uint8_t> read(int index);

private:
    xcb_connection_t* c_ = nullptr;
    std::uint32_t root_ = 0;
};

// The property name for screen `index`: "_ICC_PROFILE", "_ICC_PROFILE_1", …
std::string rootProfileName(int index);

// The Xinerama number of the display's screen: the primary output's CRTC
// first, then every other lit CRTC in the server's order. None for a display
// that is off or unknown.
std::optional<int> xineramaIndex(const RandrScreen& screen, DisplayID display);

}  // namespace vp::x11
