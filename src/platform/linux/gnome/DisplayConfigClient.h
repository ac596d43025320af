#pragma once
// Calls to mutter's org.gnome.Mutter.DisplayConfig on one bus connection.
// Thread-safe: calls are serialised on the connection. Every failure keeps
// the D-Bus error, whose text is mutter's explanation.

#include "platform/linux/gnome/Bus.h"
#include "platform/linux/gnome/MutterTypes.h"
#include "platform/linux/gnome/MutterWire.h"

#include <mutex>
#include <optional>
#include <vector>

namespace vp::gnome {

inline constexpr BusTarget kDisplayConfig{"org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig",
                                          "org.gnome.Mutter.DisplayConfig"};

// A CRTC's gamma ramps, 16 bits per entry as mutter takes them.
struct GammaRamps {
    std::vector<std::uint16_t> red, green, blue;
    bool operator==(const GammaRamps&) const = default;
};

class DisplayConfigClient {
public:
    // `address` empty: the user's own session bus.
    explicit DisplayConfigClient(std::string address);

    std::optional<MutterState> currentState(BusError& error);
    bool apply(std::uint32_t serial, ApplyMethod method, const MonitorsConfig& config, BusError& error);

    // Gamma goes through the CRTC that shows `connector`.
    std::optional<GammaRamps> gamma(const std::string& connector, BusError& error);
    bool setGamma(const std::string& connector, const GammaRamps& ramps, BusError& error);

    static bool isStaleSerial(const BusError& error);

    // Names this bus and this run of mutter on it: a temporary
    // configuration lives exactly as long as both.
    std::string serverIdentity(BusError& error);

private:
    sd_bus* connection(BusError& error);
    std::optional<CrtcRef> crtcFor(sd_bus* bus, const std::string& connector, BusError& error);

    std::string address_;
    std::mutex mutex_;
    BusPtr bus_;
};

}  // namespace vp::gnome
