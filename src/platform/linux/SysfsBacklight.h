#pragma once
// The built-in panel's backlight under /sys/class/backlight. A machine may
// list several interfaces for one panel; the firmware's is the one the
// vendor tested, the platform driver's next, a raw register last.
//
// What goes wrong: max_brightness 0 or unreadable (a driver that is not
// ready, or a broken one), which leaves nothing to scale by, so the
// interface is not used; writing `brightness` needs root or a udev rule, so
// writes go through logind first (which grants it to the active session).

#include "platform/linux/LinuxPaths.h"

#include <optional>
#include <string>
#include <vector>

namespace vp {

struct BacklightDevice {
    std::string name;  // the folder's name, as logind wants it
    std::string type;  // firmware, platform or raw
    int max = 0;
};

// Usable interfaces (max_brightness above 0), preferred first; `problems`
// gets one line for each one left out.
std::vector<BacklightDevice> findBacklights(const LinuxPaths& paths, std::vector<std::string>* problems = nullptr);

class SysfsBacklight {
public:
    SysfsBacklight(LinuxPaths paths, BacklightDevice device) : paths_(std::move(paths)), device_(std::move(device)) {}
    const BacklightDevice& device() const { return device_; }
    // actual_brightness (what the hardware shows), else brightness; as a
    // fraction of max_brightness, none when unreadable.
    std::optional<double> read() const;
    // The raw level last asked of the device (`brightness`), none when unreadable.
    std::optional<int> requested() const;
    // The raw value for a fraction, rounded, within 0…max.
    int rawValue(double fraction) const;
    // Writes `brightness` directly; 0 or the errno.
    int write(int raw) const;
    std::string folder() const;

private:
    LinuxPaths paths_;
    BacklightDevice device_;
};

}  // namespace vp
