#pragma once
// Reading mutter's DisplayConfig replies and writing its calls. A reply that
// does not have the shape we know is refused whole rather than half read.

#include "platform/linux/gnome/MutterTypes.h"

#include <systemd/sd-bus.h>

#include <optional>
#include <string>

namespace vp::gnome {

// GetCurrentState's reply: (u, a((ssss)a(siiddada{sv})a{sv}), a(iiduba(ssss)a{sv}), a{sv}).
std::optional<MutterState> readCurrentState(sd_bus_message* reply, std::string& error);

// ApplyMonitorsConfig's arguments: (u serial, u method, a(iiduba(ssa{sv})), a{sv}).
int appendApplyArguments(sd_bus_message* call, std::uint32_t serial, ApplyMethod method, const MonitorsConfig& config);

// The CRTC showing `connector`, from GetResources' reply; none when the
// output is off or unknown.
struct CrtcRef {
    std::uint32_t serial = 0;
    std::uint32_t crtc = 0;
};
std::optional<CrtcRef> readCrtcFor(sd_bus_message* resourcesReply, const std::string& connector, std::string& error);

}  // namespace vp::gnome
