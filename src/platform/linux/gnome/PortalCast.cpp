#include "platform/linux/gnome/PortalCast.h"

#include <algorithm>
#include <string_view>

#include <fcntl.h>

namespace vp::gnome {

namespace {

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr BusTarget kScreenCastPortal{kPortal, "/org/freedesktop/portal/desktop", "org.freedesktop.portal.ScreenCast"};
constexpr const char* kSessionInterface = "org.freedesktop.portal.Session";
constexpr auto kAnswerLimit = std::chrono::seconds(30);
// The user may take a while to pick in the dialog.
constexpr auto kDialogLimit = std::chrono::hours(1);

constexpr std::uint32_t kMonitorsAndWindows = 1 | 2;
constexpr std::uint32_t kCursorHidden = 1, kCursorEmbedded = 2;
// Kept until the user revokes it, not only while this run lasts.
constexpr std::uint32_t kPersistUntilRevoked = 2;

struct Answer {
    bool arrived = false;
    std::uint32_t code = 2;
    MessagePtr message;  // read up to the results
};

int onResponse(sd_bus_message* message, void* answer, sd_bus_error*) {
    auto* a = static_cast<Answer*>(answer);
    if (sd_bus_message_read(message, "u", &a->code) < 0) a->code = 2;
    a->message.reset(sd_bus_message_ref(message));
    a->arrived = true;
    return 0;
}

int onClosed(sd_bus_message*, void* why, sd_bus_error*) {
    *static_cast<std::optional<std::string>*>(why) = "the screen cast was ended from the desktop";
    return 0;
}

int onOwnerChanged(sd_bus_message* message, void* why, sd_bus_error*) {
    const char *name = nullptr, *before = nullptr, *after = nullptr;
    if (sd_bus_message_read(message, "sss", &name, &before, &after) >= 0 && std::string_view(name) == kPortal &&
        !*after)
        *static_cast<std::optional<std::string>*>(why) = "the desktop portal went away";
    return 0;
}

int appendValue(sd_bus_message* m, const PortalCast::OptionValue& value) {
    if (auto* s = std::get_if<std::string>(&value)) return sd_bus_message_append(m, "v", "s", s->c_str());
    if (auto* u = std::get_if<std::uint32_t>(&value)) return sd_bus_message_append(m, "v", "u", *u);
    return sd_bus_message_append(m, "v", "b", int(std::get<bool>(value)));
}

int appendOptions(sd_bus_message* m, const PortalCast::Options& options) {
    int r = sd_bus_message_open_container(m, 'a', "{sv}");
    for (const auto& [key, value] : options) {
        if (r >= 0) r = sd_bus_message_open_container(m, 'e', "sv");
        if (r >= 0) r = sd_bus_message_append(m, "s", key.c_str());
        if (r >= 0) r = appendValue(m, value);
        if (r >= 0) r = sd_bus_message_close_container(m);
    }
    return r < 0 ? r : sd_bus_message_close_container(m);
}

int readStreams(sd_bus_message* m, std::vector<std::uint32_t>& nodes) {
    int r = sd_bus_message_enter_container(m, 'v', "a(ua{sv})");
    if (r >= 0) r = sd_bus_message_enter_container(m, 'a', "(ua{sv})");
    while (r >= 0 && (r = sd_bus_message_enter_container(m, 'r', "ua{sv}")) > 0) {
        std::uint32_t node = 0;
        r = sd_bus_message_read(m, "u", &node);
        if (r >= 0) r = sd_bus_message_skip(m, "a{sv}");
        if (r >= 0) r = sd_bus_message_exit_container(m);
        nodes.push_back(node);
    }
    if (r >= 0) r = sd_bus_message_exit_container(m);
    return r < 0 ? r : sd_bus_message_exit_container(m);
}

// The entries of a Response's results a cast needs; the rest is skipped.
int readResults(sd_bus_message* m, PortalCast::Results& out) {
    int r = sd_bus_message_enter_container(m, 'a', "{sv}");
    while (r >= 0 && (r = sd_bus_message_enter_container(m, 'e', "sv")) > 0) {
        const char *key = nullptr, *contents = nullptr;
        r = sd_bus_message_read(m, "s", &key);
        if (r >= 0) r = sd_bus_message_peek_type(m, nullptr, &contents);
        if (r < 0) return r;
        const std::string_view k(key), c(contents ? contents : "");
        if ((k == "session_handle" || k == "restore_token") && (c == "s" || c == "o")) {
            const char* value = nullptr;
            r = sd_bus_message_read(m, "v", contents, &value);
            (k == "session_handle" ? out.sessionHandle : out.restoreToken) = value ? value : "";
        } else if (k == "streams" && c == "a(ua{sv})") {
            r = readStreams(m, out.nodes);
        } else {
            r = sd_bus_message_skip(m, "v");
        }
        if (r >= 0) r = sd_bus_message_exit_container(m);
    }
    return r < 0 ? r : sd_bus_message_exit_container(m);
}

// A call the bus could not deliver means the session has no portal (or one
// without screen casting); anything else is the portal's own failure.
CaptureError callError(const BusError& error) {
    static const char* const kMissing[] = {
        "org.freedesktop.DBus.Error.ServiceUnknown", "org.freedesktop.DBus.Error.NameHasNoOwner",
        "org.freedesktop.DBus.Error.UnknownMethod", "org.freedesktop.DBus.Error.UnknownInterface",
        "org.freedesktop.DBus.Error.UnknownObject"};
    if (std::find(std::begin(kMissing), std::end(kMissing), error.name) != std::end(kMissing))
        return {kCaptureDomain, kCaptureNoPortal,
                "this session has no desktop portal for screen casting (xdg-desktop-portal with its GNOME part)"};
    return {kCaptureDomain, kCapturePortalFailed, "the desktop portal failed: " + error.message};
}

}  // namespace

PortalCast::PortalCast(std::string address, RestoreTokens& tokens, std::string key, bool cursor)
    : address_(std::move(address)), tokens_(tokens), key_(std::move(key)), cursor_(cursor) {}

PortalCast::~PortalCast() {
    if (!bus_ || session_.empty()) return;
    BusError ignored;
    BusTarget target{kPortal, session_.c_str(), kSessionInterface};
    if (MessagePtr call = newMethodCall(bus_.get(), target, "Close", ignored))
        callMethod(bus_.get(), call.get(), ignored, std::chrono::seconds(2));
}

bool PortalCast::open(CaptureError& error) {
    BusError busError;
    bus_ = openSessionBus(address_, busError);
    const char* unique = nullptr;
    if (!bus_ || sd_bus_get_unique_name(bus_.get(), &unique) < 0) {
        error = {kCaptureDomain, kCaptureNoPortal, "no session bus: " + busError.message};
        return false;
    }
    // The portal names each request's object after our connection.
    sender_ = unique + 1;
    std::replace(sender_.begin(), sender_.end(), '.', '_');
    sd_bus_slot* raw = nullptr;
    int r = sd_bus_match_signal(bus_.get(), &raw, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                "org.freedesktop.DBus", "NameOwnerChanged", &onOwnerChanged, &endedWhy_);
    ownerSlot_.reset(r < 0 ? nullptr : raw);
    if (r < 0) error = {kCaptureDomain, kCapturePortalFailed, "cannot watch the desktop portal"};
    return r >= 0;
}

std::optional<PortalCast::Results> PortalCast::request(const char* member, const char* parentWindow,
                                                       Options options, std::chrono::milliseconds limit,
                                                       const std::atomic<bool>& cancelled, CaptureError& error) {
    const std::string token = "velvetpane" + std::to_string(++requests_);
    const std::string path = "/org/freedesktop/portal/desktop/request/" + sender_ + "/" + token;
    Answer answer;
    sd_bus_slot* raw = nullptr;
    int r = sd_bus_match_signal(bus_.get(), &raw, kPortal, path.c_str(), "org.freedesktop.portal.Request", "Response",
                                &onResponse, &answer);
    SlotPtr slot(r < 0 ? nullptr : raw);
    options.emplace_back("handle_token", token);
    BusError busError;
    MessagePtr call = r < 0 ? nullptr : newMethodCall(bus_.get(), kScreenCastPortal, member, busError);
    if (call && r >= 0 && !session_.empty()) r = sd_bus_message_append_basic(call.get(), 'o', session_.c_str());
    if (call && r >= 0 && parentWindow) r = sd_bus_message_append_basic(call.get(), 's', parentWindow);
    if (!call || r < 0 || appendOptions(call.get(), options) < 0) {
        error = {kCaptureDomain, kCapturePortalFailed, std::string("cannot ask the desktop portal to ") + member};
        return std::nullopt;
    }
    if (!callMethod(bus_.get(), call.get(), busError)) {
        error = callError(busError);
        return std::nullopt;
    }
    processUntil(bus_.get(), std::chrono::steady_clock::now() + limit,
                 [&] { return answer.arrived || cancelled.load() || endedWhy_.has_value(); });
    if (!answer.arrived) {
        error = {kCaptureDomain, kCapturePortalFailed,
                 cancelled ? "the capture was stopped" : endedWhy_.value_or("the desktop portal did not answer")};
        return std::nullopt;
    }
    if (answer.code == 1) {
        error = {kCaptureDomain, kCaptureRefused, "sharing the screen was refused in the desktop's dialog"};
        return std::nullopt;
    }
    Results results;
    if (answer.code != 0 || readResults(answer.message.get(), results) < 0) {
        error = {kCaptureDomain, kCapturePortalFailed, std::string("the desktop portal could not ") + member};
        return std::nullopt;
    }
    return results;
}

std::optional<CastNode> PortalCast::start(const std::atomic<bool>& cancelled, CaptureError& error) {
    if (!open(error)) return std::nullopt;
    auto created = request("CreateSession", nullptr, {{"session_handle_token", std::string("velvetpane")}}, kAnswerLimit,
                           cancelled, error);
    if (!created) return std::nullopt;
    if (created->sessionHandle.empty()) {
        error = {kCaptureDomain, kCapturePortalFailed, "the desktop portal made no session"};
        return std::nullopt;
    }
    session_ = created->sessionHandle;
    sd_bus_slot* raw = nullptr;
    if (sd_bus_match_signal(bus_.get(), &raw, kPortal, session_.c_str(), kSessionInterface, "Closed", &onClosed,
                            &endedWhy_) >= 0)
        closedSlot_.reset(raw);

    Options sources{{"types", kMonitorsAndWindows},
                    {"multiple", false},
                    {"cursor_mode", cursor_ ? kCursorEmbedded : kCursorHidden},
                    {"persist_mode", kPersistUntilRevoked}};
    if (std::string kept = tokens_.token(key_); !kept.empty()) sources.emplace_back("restore_token", kept);
    if (!request("SelectSources", nullptr, sources, kAnswerLimit, cancelled, error)) return std::nullopt;

    auto started = request("Start", "", {}, kDialogLimit, cancelled, error);
    if (!started) return std::nullopt;
    // The token just used is spent; the new one opens the next cast.
    if (!started->restoreToken.empty()) tokens_.keep(key_, started->restoreToken);
    if (started->nodes.empty()) {
        error = {kCaptureDomain, kCapturePortalFailed, "the desktop portal started no stream"};
        return std::nullopt;
    }
    auto fd = openRemote(error);
    if (!fd) return std::nullopt;
    return CastNode{started->nodes.front(), *fd};
}

std::optional<int> PortalCast::openRemote(CaptureError& error) {
    BusError busError;
    MessagePtr call = newMethodCall(bus_.get(), kScreenCastPortal, "OpenPipeWireRemote", busError);
    if (!call || sd_bus_message_append(call.get(), "o", session_.c_str()) < 0 || appendOptions(call.get(), {}) < 0) {
        error = {kCaptureDomain, kCapturePortalFailed, "cannot ask the desktop portal for PipeWire"};
        return std::nullopt;
    }
    MessagePtr reply = callMethod(bus_.get(), call.get(), busError);
    int fd = -1;
    if (!reply) {
        error = callError(busError);
        return std::nullopt;
    }
    // The descriptor belongs to the reply: the stream gets a copy of its own.
    if (sd_bus_message_read(reply.get(), "h", &fd) < 0 || (fd = ::fcntl(fd, F_DUPFD_CLOEXEC, 3)) < 0) {
        error = {kCaptureDomain, kCapturePortalFailed, "the desktop portal gave no PipeWire connection"};
        return std::nullopt;
    }
    return fd;
}

std::optional<std::string> PortalCast::ended(std::chrono::milliseconds limit) {
    if (!bus_) return std::nullopt;
    if (!processUntil(bus_.get(), std::chrono::steady_clock::now() + limit, [this] { return endedWhy_.has_value(); }))
        return "the session bus went away";
    return endedWhy_;
}

}  // namespace vp::gnome
