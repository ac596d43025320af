#pragma once
// A session of mutter's org.gnome.Mutter.ScreenCast on a bus connection of
// its own: mutter ends the session, and any virtual monitor it made, when
// that connection closes, so a crashed run leaves none behind.

#include "platform/linux/gnome/Bus.h"

#include <optional>

namespace vp::gnome {

class ScreenCastSession {
public:
    // `address` empty: the user's own session bus.
    static std::unique_ptr<ScreenCastSession> open(const std::string& address, BusError& error);
    ~ScreenCastSession();

    // Each gives the PipeWire node of a new stream, started.
    // A virtual monitor, sized by the format its consumer asks for.
    std::optional<std::uint32_t> recordVirtual(BusError& error);
    // One monitor's picture.
    std::optional<std::uint32_t> recordMonitor(const std::string& connector, BusError& error);

private:
    ScreenCastSession() = default;
    std::optional<std::uint32_t> startStream(const std::string& streamPath, BusError& error);

    BusPtr bus_;
    std::string session_;
    bool started_ = false;
};

}  // namespace vp::gnome
