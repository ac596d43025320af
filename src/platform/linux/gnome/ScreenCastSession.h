#pragma once
// A session of mutter's org.gnome.Mutter.ScreenCast on a bus connection of
// its own: mutter ends the session, and any virtual monitor it made, when
// that connection closes, so a crashed run leaves none behind.

#include "platform/linux/gnome/Bus.h"

#include <chrono>
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
    // One monitor's picture, with the pointer drawn in or not.
    std::optional<std::uint32_t> recordMonitor(const std::string& connector, BusError& error, bool cursor = true);

    // Waits up to `limit` on the session's connection; why the session
    // ended (mutter closed it, as it does when the recorded monitor goes
    // away, or mutter itself went away), or none while it lasts. The
    // connection is not shared: call from one thread at a time.
    std::optional<std::string> ended(std::chrono::milliseconds limit);

private:
    ScreenCastSession() = default;
    std::optional<std::uint32_t> startStream(const std::string& streamPath, BusError& error);
    bool watchEnd(BusError& error);

    BusPtr bus_;
    std::string session_;
    bool started_ = false;
    SlotPtr closedSlot_, ownerSlot_;
    std::optional<std::string> endedWhy_;
};

}  // namespace vp::gnome
