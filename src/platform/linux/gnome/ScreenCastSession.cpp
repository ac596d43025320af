#include "platform/linux/gnome/ScreenCastSession.h"

#include <chrono>
#include <string_view>
#include <time.h>

namespace vp::gnome {

namespace {

constexpr BusTarget kScreenCast{"org.gnome.Mutter.ScreenCast", "/org/gnome/Mutter/ScreenCast",
                                "org.gnome.Mutter.ScreenCast"};
constexpr const char* kSessionInterface = "org.gnome.Mutter.ScreenCast.Session";
constexpr auto kNodeLimit = std::chrono::seconds(10);

// Cursor drawn into the frames: a virtual monitor is looked at through them.
constexpr std::uint32_t kCursorHidden = 0, kCursorEmbedded = 1;

std::optional<std::string> pathReply(sd_bus_message* reply, BusError& error) {
    const char* path = nullptr;
    if (int r = sd_bus_message_read(reply, "o", &path); r < 0 || !path) {
        error = errnoError("mutter's reply has no object path", r < 0 ? r : -EINVAL);
        return std::nullopt;
    }
    return std::string(path);
}

int onNodeAdded(sd_bus_message* message, void* node, sd_bus_error*) {
    std::uint32_t id = 0;
    if (sd_bus_message_read(message, "u", &id) >= 0) *static_cast<std::optional<std::uint32_t>*>(node) = id;
    return 0;
}

int onSessionClosed(sd_bus_message*, void* why, sd_bus_error*) {
    *static_cast<std::optional<std::string>*>(why) = "mutter closed the screen cast";
    return 0;
}

int onOwnerChanged(sd_bus_message* message, void* why, sd_bus_error*) {
    const char *name = nullptr, *before = nullptr, *after = nullptr;
    if (sd_bus_message_read(message, "sss", &name, &before, &after) >= 0 &&
        std::string_view(name) == kScreenCast.destination && !*after)
        *static_cast<std::optional<std::string>*>(why) = "mutter went away";
    return 0;
}

}  // namespace

std::unique_ptr<ScreenCastSession> ScreenCastSession::open(const std::string& address, BusError& error) {
    std::unique_ptr<ScreenCastSession> session(new ScreenCastSession);
    session->bus_ = openSessionBus(address, error);
    if (!session->bus_) return nullptr;
    MessagePtr call = newMethodCall(session->bus_.get(), kScreenCast, "CreateSession", error);
    if (!call || sd_bus_message_append(call.get(), "a{sv}", 0) < 0) return nullptr;
    MessagePtr reply = callMethod(session->bus_.get(), call.get(), error);
    auto path = reply ? pathReply(reply.get(), error) : std::nullopt;
    if (!path) return nullptr;
    session->session_ = *path;
    return session->watchEnd(error) ? std::move(session) : nullptr;
}

ScreenCastSession::~ScreenCastSession() {
    if (!bus_ || session_.empty()) return;
    BusError ignored;
    BusTarget target{kScreenCast.destination, session_.c_str(), kSessionInterface};
    if (MessagePtr call = newMethodCall(bus_.get(), target, "Stop", ignored))
        callMethod(bus_.get(), call.get(), ignored, std::chrono::seconds(2));
}

bool ScreenCastSession::watchEnd(BusError& error) {
    sd_bus_slot* closed = nullptr;
    int r = sd_bus_match_signal(bus_.get(), &closed, kScreenCast.destination, session_.c_str(), kSessionInterface,
                                "Closed", &onSessionClosed, &endedWhy_);
    closedSlot_.reset(r < 0 ? nullptr : closed);
    sd_bus_slot* owner = nullptr;
    if (r >= 0)
        r = sd_bus_match_signal(bus_.get(), &owner, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                "org.freedesktop.DBus", "NameOwnerChanged", &onOwnerChanged, &endedWhy_);
    ownerSlot_.reset(r < 0 ? nullptr : owner);
    if (r < 0) error = errnoError("cannot watch the screen cast session", r);
    return r >= 0;
}

std::optional<std::string> ScreenCastSession::ended(std::chrono::milliseconds limit) {
    if (!processUntil(bus_.get(), std::chrono::steady_clock::now() + limit, [this] { return endedWhy_.has_value(); }))
        return "the session bus went away";
    return endedWhy_;
}

std::optional<std::uint32_t> ScreenCastSession::recordVirtual(BusError& error) {
    BusTarget target{kScreenCast.destination, session_.c_str(), kSessionInterface};
    MessagePtr call = newMethodCall(bus_.get(), target, "RecordVirtual", error);
    if (!call || sd_bus_message_append(call.get(), "a{sv}", 2, "cursor-mode", "u", kCursorEmbedded, "is-platform",
                                       "b", 1) < 0)
        return std::nullopt;
    MessagePtr reply = callMethod(bus_.get(), call.get(), error);
    auto path = reply ? pathReply(reply.get(), error) : std::nullopt;
    return path ? startStream(*path, error) : std::nullopt;
}

std::optional<std::uint32_t> ScreenCastSession::recordMonitor(const std::string& connector, BusError& error,
                                                               bool cursor) {
    BusTarget target{kScreenCast.destination, session_.c_str(), kSessionInterface};
    MessagePtr call = newMethodCall(bus_.get(), target, "RecordMonitor", error);
    if (!call || sd_bus_message_append(call.get(), "sa{sv}", connector.c_str(), 1, "cursor-mode", "u",
                                       cursor ? kCursorEmbedded : kCursorHidden) < 0)
        return std::nullopt;
    MessagePtr reply = callMethod(bus_.get(), call.get(), error);
    auto path = reply ? pathReply(reply.get(), error) : std::nullopt;
    return path ? startStream(*path, error) : std::nullopt;
}

std::optional<std::uint32_t> ScreenCastSession::startStream(const std::string& streamPath, BusError& error) {
    std::optional<std::uint32_t> node;
    sd_bus_slot* raw = nullptr;
    int r = sd_bus_match_signal(bus_.get(), &raw, kScreenCast.destination, streamPath.c_str(),
                                "org.gnome.Mutter.ScreenCast.Stream", "PipeWireStreamAdded", &onNodeAdded, &node);
    SlotPtr slot(r < 0 ? nullptr : raw);
    if (r < 0) {
        error = errnoError("cannot watch the screen cast stream", r);
        return std::nullopt;
    }
    // A session starts once; a later stream of a started session begins at
    // once and announces its node the same way.
    if (!started_) {
        BusTarget target{kScreenCast.destination, session_.c_str(), kSessionInterface};
        MessagePtr call = newMethodCall(bus_.get(), target, "Start", error);
        if (!call || !callMethod(bus_.get(), call.get(), error)) return std::nullopt;
        started_ = true;
    }
    processUntil(bus_.get(), std::chrono::steady_clock::now() + kNodeLimit, [&] { return node.has_value(); });
    if (!node) error = {"", "mutter did not start the screen cast stream"};
    return node;
}

}  // namespace vp::gnome
