#pragma once
// Setting the backlight through logind: org.freedesktop.login1.Session's
// SetBrightness on the caller's own session lets an unprivileged user of
// the active session change it without write access to sysfs. The system
// bus address comes from DBUS_SYSTEM_BUS_ADDRESS when set (tests run a
// stand-in logind on a private bus).
//
// What goes wrong: no system bus or no logind (containers, minimal
// systems), a session that is not active (logind refuses), an old logind
// without the method. Each is a failed call with logind's message; the
// caller falls back to writing sysfs.

#include <memory>
#include <string>

struct sd_bus;

namespace vp {

class LogindBrightness {
public:
    LogindBrightness();
    ~LogindBrightness();
    LogindBrightness(const LogindBrightness&) = delete;
    LogindBrightness& operator=(const LogindBrightness&) = delete;

    // Empty on success, else why it failed. Blocks for one bus round trip.
    std::string setBrightness(const std::string& device, int raw);
    // Empty once connected to the system bus, else why not.
    std::string connect();

private:
    sd_bus* bus_ = nullptr;
};

}  // namespace vp
