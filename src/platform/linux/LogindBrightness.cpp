#include "platform/linux/LogindBrightness.h"

#include <systemd/sd-bus.h>

#include <cstring>

namespace vp {

namespace {

constexpr const char* kService = "org.freedesktop.login1";
// logind resolves "auto" to the session of the calling process.
constexpr const char* kOwnSession = "/org/freedesktop/login1/session/auto";
constexpr const char* kSessionInterface = "org.freedesktop.login1.Session";
constexpr const char* kSubsystem = "backlight";

}  // namespace

LogindBrightness::LogindBrightness() = default;

LogindBrightness::~LogindBrightness() {
    if (bus_) sd_bus_flush_close_unref(bus_);
}

std::string LogindBrightness::connect() {
    if (bus_) return {};
    int r = sd_bus_open_system(&bus_);
    if (r < 0) {
        bus_ = nullptr;
        return std::string("no system bus: ") + std::strerror(-r);
    }
    return {};
}

std::string LogindBrightness::setBrightness(const std::string& device, int raw) {
    if (std::string problem = connect(); !problem.empty()) return problem;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int r = sd_bus_call_method(bus_, kService, kOwnSession, kSessionInterface, "SetBrightness", &error, &reply,
                               "ssu", kSubsystem, device.c_str(), std::uint32_t(raw < 0 ? 0 : raw));
    std::string problem;
    if (r < 0)
        problem = std::string("logind refused SetBrightness: ") +
                  (error.message ? error.message : std::strerror(-r));
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    return problem;
}

}  // namespace vp
