#include "platform/linux/gnome/DisplayConfigClient.h"

namespace vp::gnome {

namespace {

std::vector<std::uint16_t> readRamp(sd_bus_message* reply, int& r) {
    const void* data = nullptr;
    std::size_t size = 0;
    if (r >= 0) r = sd_bus_message_read_array(reply, 'q', &data, &size);
    if (r < 0 || !data) return {};
    auto* values = static_cast<const std::uint16_t*>(data);
    return {values, values + size / sizeof(std::uint16_t)};
}

}  // namespace

DisplayConfigClient::DisplayConfigClient(std::string address) : address_(std::move(address)) {}

sd_bus* DisplayConfigClient::connection(BusError& error) {
    // A connection that broke (mutter's bus went away) is opened anew.
    if (bus_ && sd_bus_is_open(bus_.get()) <= 0) bus_.reset();
    if (!bus_) bus_ = openSessionBus(address_, error);
    return bus_.get();
}

bool DisplayConfigClient::isStaleSerial(const BusError& error) {
    return error.name == "org.freedesktop.DBus.Error.AccessDenied";
}

std::string DisplayConfigClient::serverIdentity(BusError& error) {
    std::lock_guard lock(mutex_);
    sd_bus* bus = connection(error);
    if (!bus) return {};
    sd_id128_t busId{};
    if (int r = sd_bus_get_bus_id(bus, &busId); r < 0) {
        error = errnoError("cannot read the bus id", r);
        return {};
    }
    char busText[SD_ID128_STRING_MAX];
    sd_id128_to_string(busId, busText);
    BusTarget dbus{"org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus"};
    MessagePtr call = newMethodCall(bus, dbus, "GetNameOwner", error);
    if (!call || sd_bus_message_append(call.get(), "s", kDisplayConfig.destination) < 0) return {};
    MessagePtr reply = callMethod(bus, call.get(), error);
    const char* owner = nullptr;
    if (!reply || sd_bus_message_read(reply.get(), "s", &owner) < 0 || !owner) return {};
    return std::string("mutter on bus ") + busText + " as " + owner;
}

std::optional<MutterState> DisplayConfigClient::currentState(BusError& error) {
    std::lock_guard lock(mutex_);
    sd_bus* bus = connection(error);
    if (!bus) return std::nullopt;
    MessagePtr call = newMethodCall(bus, kDisplayConfig, "GetCurrentState", error);
    MessagePtr reply = call ? callMethod(bus, call.get(), error) : nullptr;
    if (!reply) return std::nullopt;
    std::string shape;
    auto state = readCurrentState(reply.get(), shape);
    if (!state) error = {"", shape};
    return state;
}

bool DisplayConfigClient::apply(std::uint32_t serial, ApplyMethod method, const MonitorsConfig& config,
                                BusError& error) {
    std::lock_guard lock(mutex_);
    sd_bus* bus = connection(error);
    if (!bus) return false;
    MessagePtr call = newMethodCall(bus, kDisplayConfig, "ApplyMonitorsConfig", error);
    if (!call) return false;
    if (int r = appendApplyArguments(call.get(), serial, method, config); r < 0) {
        error = errnoError("cannot write the configuration", r);
        return false;
    }
    return callMethod(bus, call.get(), error) != nullptr;
}

std::optional<CrtcRef> DisplayConfigClient::crtcFor(sd_bus* bus, const std::string& connector, BusError& error) {
    MessagePtr call = newMethodCall(bus, kDisplayConfig, "GetResources", error);
    MessagePtr reply = call ? callMethod(bus, call.get(), error) : nullptr;
    if (!reply) return std::nullopt;
    std::string shape;
    auto crtc = readCrtcFor(reply.get(), connector, shape);
    if (!crtc && !shape.empty()) error = {"", shape};
    else if (!crtc) error = {"", "the display " + connector + " has no CRTC"};
    return crtc;
}

std::optional<GammaRamps> DisplayConfigClient::gamma(const std::string& connector, BusError& error) {
    std::lock_guard lock(mutex_);
    sd_bus* bus = connection(error);
    auto crtc = bus ? crtcFor(bus, connector, error) : std::nullopt;
    if (!crtc) return std::nullopt;
    MessagePtr call = newMethodCall(bus, kDisplayConfig, "GetCrtcGamma", error);
    if (!call) return std::nullopt;
    int r = sd_bus_message_append(call.get(), "uu", crtc->serial, crtc->crtc);
    MessagePtr reply = r >= 0 ? callMethod(bus, call.get(), error) : nullptr;
    if (!reply) return std::nullopt;
    GammaRamps ramps;
    ramps.red = readRamp(reply.get(), r);
    ramps.green = readRamp(reply.get(), r);
    ramps.blue = readRamp(reply.get(), r);
    if (r < 0 || ramps.red.empty() || ramps.red.size() != ramps.green.size() || ramps.red.size() != ramps.blue.size()) {
        error = {"", "mutter gave unequal or empty gamma ramps"};
        return std::nullopt;
    }
    return ramps;
}

bool DisplayConfigClient::setGamma(const std::string& connector, const GammaRamps& ramps, BusError& error) {
    std::lock_guard lock(mutex_);
    sd_bus* bus = connection(error);
    auto crtc = bus ? crtcFor(bus, connector, error) : std::nullopt;
    if (!crtc) return false;
    MessagePtr call = newMethodCall(bus, kDisplayConfig, "SetCrtcGamma", error);
    if (!call) return false;
    int r = sd_bus_message_append(call.get(), "uu", crtc->serial, crtc->crtc);
    for (const auto* ramp : {&ramps.red, &ramps.green, &ramps.blue})
        if (r >= 0) r = sd_bus_message_append_array(call.get(), 'q', ramp->data(), ramp->size() * sizeof(std::uint16_t));
    if (r < 0) {
        error = errnoError("cannot write the gamma ramps", r);
        return false;
    }
    return callMethod(bus, call.get(), error) != nullptr;
}

}  // namespace vp::gnome
