#include "platform/linux/PlatformChoice.h"

namespace vp {

namespace {

// On a Wayland session X11 calls reach only XWayland's copy of the screens,
// which the compositor overrides; there only the compositor's own interface
// configures displays.
std::pair<DisplayBackendKind, std::string> displayBackend(const Surroundings& s) {
    if (s.wayland && s.gnome) return {DisplayBackendKind::gnome, "displays through GNOME's display configuration"};
    if (s.wayland) return {DisplayBackendKind::none, "this Wayland desktop offers no display configuration we can use"};
    if (s.x11) return {DisplayBackendKind::x11, "displays through X11 RandR"};
    return {DisplayBackendKind::none, "no display server"};
}

std::string hardwareSummary(const Surroundings& s) {
    return std::to_string(s.monitorLinks) + " monitor link(s), " + std::to_string(s.backlights) + " backlight(s)";
}

}  // namespace

std::variant<PlatformChoice, std::string> choosePlatform(const std::string& requested, const Surroundings& around) {
    if (requested != "auto" && !requested.empty() && requested != "sim" && requested != "linux")
        return std::string("unknown platform \"") + requested + "\" (use auto, sim or linux)";
    if (requested == "sim") return PlatformChoice{PlatformKind::simulated, DisplayBackendKind::none, "simulated platform (asked for)"};
    auto [displays, how] = displayBackend(around);
    const bool anythingReal = around.x11 || around.wayland || around.monitorLinks > 0 || around.backlights > 0;
    if (requested == "linux" || anythingReal)
        return PlatformChoice{PlatformKind::linux, displays, std::string("Linux platform: ") + how + "; " + hardwareSummary(around)};
    return PlatformChoice{PlatformKind::simulated, DisplayBackendKind::none,
                          "simulated platform: no display server, monitor or backlight found"};
}

}  // namespace vp
