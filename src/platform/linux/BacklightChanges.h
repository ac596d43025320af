#pragma once
// Backlight levels set by someone else (the desktop's own keys, another
// program), told apart from this program's own writes. A change event names
// the device; what was last asked of it (`brightness`) is compared with
// what this program wrote or reported last, so the echo of our own write
// is not taken for a change. actual_brightness is not compared: some
// panels settle on a neighbouring level, which would read as a change.
// Used on the main thread only.

#include "platform/linux/LinuxPaths.h"

#include <functional>
#include <map>
#include <string>

namespace vp {

class BacklightChanges {
public:
    using Listener = std::function<void(const std::string& device)>;
    explicit BacklightChanges(LinuxPaths paths) : paths_(std::move(paths)) {}

    void setListener(Listener listener) { listener_ = std::move(listener); }
    // This program asked for `raw` on the device.
    void wrote(const std::string& device, int raw) { known_[device] = raw; }
    // The system says the device changed; the listener hears of it when the
    // level is not the one known.
    void changed(const std::string& device);

private:
    LinuxPaths paths_;
    Listener listener_;
    std::map<std::string, int> known_;
};

}  // namespace vp
