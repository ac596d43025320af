#include "platform/linux/BacklightChanges.h"

#include "platform/linux/SysfsBacklight.h"

#include <algorithm>

namespace vp {

void BacklightChanges::changed(const std::string& device) {
    auto devices = findBacklights(paths_);
    auto found = std::find_if(devices.begin(), devices.end(), [&](const auto& d) { return d.name == device; });
    if (found == devices.end()) return;
    auto raw = SysfsBacklight(paths_, *found).requested();
    if (!raw) return;
    auto known = known_.find(device);
    if (known != known_.end() && known->second == *raw) return;
    known_[device] = *raw;
    if (listener_) listener_(device);
}

}  // namespace vp
