#pragma once
// Owners for sd-bus connections and messages, and one blocking call that
// keeps the D-Bus error's name and text: mutter explains a refusal in that
// text, and the user should read it.

#include <systemd/sd-bus.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace vp::gnome {

struct BusUnref {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
struct SlotUnref {
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
using BusPtr = std::unique_ptr<sd_bus, BusUnref>;
using MessagePtr = std::unique_ptr<sd_bus_message, MessageUnref>;
using SlotPtr = std::unique_ptr<sd_bus_slot, SlotUnref>;

struct BusError {
    std::string name;     // e.g. org.freedesktop.DBus.Error.AccessDenied
    std::string message;  // the peer's own words
    bool any() const { return !name.empty() || !message.empty(); }
};

// A session bus connection: at `address`, or the user's own when empty.
BusPtr openSessionBus(const std::string& address, BusError& error);

struct BusTarget {
    const char* destination;
    const char* path;
    const char* interface;
};

MessagePtr newMethodCall(sd_bus* bus, const BusTarget& target, const char* member, BusError& error);

// Sends `call` and waits for its reply; none, with `error` filled, on failure.
MessagePtr callMethod(sd_bus* bus, sd_bus_message* call, BusError& error,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Whether some program owns `name` on the bus.
bool nameHasOwner(sd_bus* bus, const char* name);

// Dispatches what arrives on `bus` until `done` says so or `deadline`
// passes; false when the connection broke.
bool processUntil(sd_bus* bus, std::chrono::steady_clock::time_point deadline, const std::function<bool()>& done);

// A negative sd-bus result as an error, naming what was being done.
BusError errnoError(const std::string& doing, int negativeErrno);

}  // namespace vp::gnome
