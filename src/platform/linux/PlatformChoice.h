#pragma once
// Which platform the program runs on, and with which display back-end. The
// simulated platform stays the default where nothing real is there (a
// container, a build machine), so a first run always shows something; the
// choice and its reason are told to the user.

#include <cstddef>
#include <string>
#include <variant>

namespace vp {

enum class PlatformKind { simulated, linux };
enum class DisplayBackendKind { x11, gnome, none };

// What this machine offers, looked at once at start.
struct Surroundings {
    bool x11 = false;      // an X server answers at $DISPLAY
    bool wayland = false;  // the session is a Wayland one ($WAYLAND_DISPLAY)
    bool gnome = false;    // mutter's display configuration is on the session bus
    std::size_t monitorLinks = 0;  // connected DRM connectors (DDC/CI candidates)
    std::size_t backlights = 0;
};

struct PlatformChoice {
    PlatformKind kind = PlatformKind::simulated;
    DisplayBackendKind displays = DisplayBackendKind::none;
    std::string reason;  // one line for standard error and the panel
};

// `requested` is "auto" (or empty), "sim" or "linux", from --platform or
// VELVETPANE_PLATFORM. An unknown value gives the error text instead.
std::variant<PlatformChoice, std::string> choosePlatform(const std::string& requested, const Surroundings& around);

}  // namespace vp
