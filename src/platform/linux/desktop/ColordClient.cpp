#include "platform/linux/desktop/ColordClient.h"

#include "platform/linux/desktop/Md5.h"

#include <systemd/sd-bus.h>

#include <cstring>

namespace vp {

namespace {

constexpr const char* kService = "org.freedesktop.ColorManager";
constexpr const char* kManagerPath = "/org/freedesktop/ColorManager";
constexpr const char* kManager = "org.freedesktop.ColorManager";
constexpr const char* kDevice = "org.freedesktop.ColorManager.Device";
constexpr const char* kProfile = "org.freedesktop.ColorManager.Profile";

// One method call's reply and error, released together.
struct Call {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int result = 0;
    ~Call() {
        sd_bus_error_free(&error);
        sd_bus_message_unref(reply);
    }
    bool ok() const { return result >= 0; }
    std::string problem() const {
        if (error.message) return error.message;
        return std::strerror(-result);
    }
};

std::string stringProperty(sd_bus* bus, const std::string& object, const char* interface, const char* name) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    char* value = nullptr;
    std::string out;
    if (sd_bus_get_property_string(bus, kService, object.c_str(), interface, name, &error, &value) >= 0 && value)
        out = value;
    free(value);
    sd_bus_error_free(&error);
    return out;
}

}  // namespace

ColordClient::ColordClient(std::string address, std::chrono::milliseconds timeout)
    : address_(std::move(address)), timeout_(timeout) {}

ColordClient::~ColordClient() {
    if (bus_) sd_bus_flush_close_unref(bus_);
}

bool ColordClient::connect() {
    if (bus_) return true;
    int r = 0;
    if (address_.empty()) {
        r = sd_bus_open_system(&bus_);
    } else {
        r = sd_bus_new(&bus_);
        if (r >= 0) r = sd_bus_set_address(bus_, address_.c_str());
        if (r >= 0) r = sd_bus_set_bus_client(bus_, 1);
        if (r >= 0) r = sd_bus_start(bus_);
    }
    if (r < 0) {
        if (bus_) sd_bus_unref(bus_);
        bus_ = nullptr;
        connectProblem_ = std::string("no system bus: ") + std::strerror(-r);
        return false;
    }
    sd_bus_set_method_call_timeout(bus_, std::uint64_t(timeout_.count()) * 1000);
    return true;
}

std::string ColordClient::problem() {
    if (!connect()) return connectProblem_;
    Call call;
    call.result = sd_bus_call_method(bus_, kService, kManagerPath, "org.freedesktop.DBus.Peer", "Ping", &call.error,
                                     &call.reply, "");
    if (!call.ok()) return "colord does not answer: " + call.problem();
    return {};
}

std::optional<std::string> ColordClient::objectFor(const char* method, const std::string& a, const std::string* b) {
    if (!connect()) return std::nullopt;
    Call call;
    call.result = b ? sd_bus_call_method(bus_, kService, kManagerPath, kManager, method, &call.error, &call.reply, "ss",
                                         a.c_str(), b->c_str())
                    : sd_bus_call_method(bus_, kService, kManagerPath, kManager, method, &call.error, &call.reply, "s",
                                         a.c_str());
    const char* path = nullptr;
    if (!call.ok() || sd_bus_message_read(call.reply, "o", &path) < 0 || !path) return std::nullopt;
    return std::string(path);
}

std::optional<std::string> ColordClient::device(const ColordDisplay& display) {
    if (!display.edid.empty()) {
        const std::string digest = md5Hex(display.edid);
        const std::string key = "OutputEdidMd5";
        if (auto found = objectFor("FindDeviceByProperty", key, &digest)) return found;
    }
    if (!display.outputName.empty()) {
        const std::string key = "XRANDR_name";
        if (auto found = objectFor("FindDeviceByProperty", key, &display.outputName)) return found;
    }
    return std::nullopt;
}

std::vector<ColordProfile> ColordClient::profiles(const std::string& device) {
    std::vector<ColordProfile> out;
    if (!connect()) return out;
    Call call;
    call.result = sd_bus_get_property(bus_, kService, device.c_str(), kDevice, "Profiles", &call.error, &call.reply, "ao");
    if (!call.ok() || sd_bus_message_enter_container(call.reply, 'a', "o") < 0) return out;
    std::vector<std::string> objects;
    const char* path = nullptr;
    while (sd_bus_message_read(call.reply, "o", &path) > 0) objects.emplace_back(path);
    for (const std::string& object : objects)
        out.push_back({object, stringProperty(bus_, object, kProfile, "Filename"),
                       stringProperty(bus_, object, kProfile, "Title")});
    return out;
}

std::optional<std::string> ColordClient::profileFor(const std::string& filename, std::string& problem) {
    if (auto known = objectFor("FindProfileByFilename", filename, nullptr)) return known;
    // A file colord has not seen (outside the folders it watches): made
    // known for this session only.
    Call call;
    const std::string id = "velvetpane-" + md5Hex(std::vector<std::uint8_t>(filename.begin(), filename.end()));
    call.result = sd_bus_call_method(bus_, kService, kManagerPath, kManager, "CreateProfile", &call.error, &call.reply,
                                     "ssa{ss}", id.c_str(), "temp", 1, "Filename", filename.c_str());
    const char* path = nullptr;
    if (!call.ok() || sd_bus_message_read(call.reply, "o", &path) < 0 || !path) {
        problem = "colord does not take the profile: " + call.problem();
        return std::nullopt;
    }
    return std::string(path);
}

std::string ColordClient::callDevice(const std::string& device, const char* method, const char* signature,
                                     const std::string& a, const std::string* b) {
    Call call;
    call.result = b ? sd_bus_call_method(bus_, kService, device.c_str(), kDevice, method, &call.error, &call.reply,
                                         signature, a.c_str(), b->c_str())
                    : sd_bus_call_method(bus_, kService, device.c_str(), kDevice, method, &call.error, &call.reply,
                                         signature, a.c_str());
    return call.ok() ? std::string() : call.problem();
}

std::string ColordClient::makeDefault(const std::string& device, const std::string& filename) {
    if (!connect()) return connectProblem_;
    std::string problem;
    auto profile = profileFor(filename, problem);
    if (!profile) return problem;
    bool present = false;
    for (const ColordProfile& p : profiles(device)) present = present || p.object == *profile;
    if (!present) {
        const std::string relation = "hard";
        if (std::string refused = callDevice(device, "AddProfile", "so", relation, &*profile); !refused.empty())
            return "colord refused the profile: " + refused;
    }
    if (std::string refused = callDevice(device, "MakeProfileDefault", "o", *profile, nullptr); !refused.empty())
        return "colord refused the default: " + refused;
    return {};
}

std::string ColordClient::remove(const std::string& device, const std::string& filename) {
    if (!connect()) return connectProblem_;
    auto profile = objectFor("FindProfileByFilename", filename, nullptr);
    if (!profile) return {};
    if (std::string refused = callDevice(device, "RemoveProfile", "o", *profile, nullptr); !refused.empty())
        return "colord refused: " + refused;
    return {};
}

}  // namespace vp
