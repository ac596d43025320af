#include "platform/linux/gnome/Bus.h"

#include <cstring>

namespace vp::gnome {

namespace {

std::string memberOf(sd_bus_message* call) {
    const char* member = sd_bus_message_get_member(call);
    return member ? member : "";
}

}  // namespace

BusError errnoError(const std::string& doing, int negativeErrno) {
    return {"", doing + ": " + std::strerror(-negativeErrno)};
}

BusPtr openSessionBus(const std::string& address, BusError& error) {
    sd_bus* raw = nullptr;
    int r = 0;
    if (address.empty()) {
        r = sd_bus_open_user(&raw);
        if (r < 0) error = errnoError("cannot reach the session bus", r);
        return BusPtr(r < 0 ? nullptr : raw);
    }
    r = sd_bus_new(&raw);
    BusPtr bus(r < 0 ? nullptr : raw);
    if (r >= 0) r = sd_bus_set_address(raw, address.c_str());
    if (r >= 0) r = sd_bus_set_bus_client(raw, 1);
    if (r >= 0) r = sd_bus_start(raw);
    if (r < 0) {
        error = errnoError("cannot reach the session bus at " + address, r);
        return nullptr;
    }
    return bus;
}

MessagePtr newMethodCall(sd_bus* bus, const BusTarget& target, const char* member, BusError& error) {
    sd_bus_message* raw = nullptr;
    int r = sd_bus_message_new_method_call(bus, &raw, target.destination, target.path, target.interface, member);
    if (r < 0) {
        error = errnoError(std::string("cannot make a ") + member + " call", r);
        return nullptr;
    }
    return MessagePtr(raw);
}

MessagePtr callMethod(sd_bus* bus, sd_bus_message* call, BusError& error, std::chrono::milliseconds timeout) {
    sd_bus_error busError = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int r = sd_bus_call(bus, call, std::uint64_t(timeout.count()) * 1000, &busError, &reply);
    if (r < 0) {
        if (sd_bus_error_is_set(&busError)) {
            error.name = busError.name ? busError.name : "";
            error.message = busError.message ? busError.message : "";
        } else {
            error = errnoError(std::string("the call ") + memberOf(call) + " failed", r);
        }
        sd_bus_error_free(&busError);
        return nullptr;
    }
    sd_bus_error_free(&busError);
    return MessagePtr(reply);
}

}  // namespace vp::gnome

namespace vp::gnome {

bool nameHasOwner(sd_bus* bus, const char* name) {
    BusError error;
    BusTarget target{"org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus"};
    MessagePtr call = newMethodCall(bus, target, "NameHasOwner", error);
    if (!call || sd_bus_message_append(call.get(), "s", name) < 0) return false;
    MessagePtr reply = callMethod(bus, call.get(), error);
    int owned = 0;
    return reply && sd_bus_message_read(reply.get(), "b", &owned) >= 0 && owned;
}

bool processUntil(sd_bus* bus, std::chrono::steady_clock::time_point deadline, const std::function<bool()>& done) {
    while (!done()) {
        int r = sd_bus_process(bus, nullptr);
        if (r < 0) return false;
        if (r > 0) continue;
        auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        if (sd_bus_wait(bus, std::uint64_t(left.count())) < 0) return false;
    }
    return true;
}

}  // namespace vp::gnome
