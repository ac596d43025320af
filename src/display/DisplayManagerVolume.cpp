#include "display/DisplayManager.h"

#include "display/BrightnessCurve.h"
#include "hardware/VCP.h"

#include <algorithm>
#include <cmath>

namespace vp {

bool DisplayManager::hasDDC(DisplayID display) const {
    return ddc.contains(display);
}

// Only a monitor that gave a volume range when probed has a volume: any
// other has nothing to scale a value into.
void DisplayManager::setVolume(DisplayID display, double value) {
    auto it = ddc.find(display);
    if (it == ddc.end() || !volume.contains(display) || !std::isfinite(value)) return;
    volume[display] = std::clamp(value, 0.0, 1.0);
    queueDDC(it->second, vcpCode(VCP::volume), scaled(display, vcpCode(VCP::volume), volume[display]));
    publish();
}

// The monitor usually switches away from this computer; nothing is read back.
void DisplayManager::setInput(DisplayID display, int code) {
    inputSource[display] = code;
    if (auto it = ddc.find(display); it != ddc.end()) queueDDC(it->second, vcpCode(VCP::inputSource), code);
    publish();
}

std::vector<DisplayID> DisplayManager::volumeTargets() const {
    std::vector<DisplayID> ids;
    for (const Screen& s : screens)
        if (s.isActive && ddc.contains(s.id) && volume.contains(s.id)) ids.push_back(s.id);
    return ids;
}

bool DisplayManager::hasDDCVolume() const {
    return !volumeTargets().empty();
}

double DisplayManager::averageDDCVolume() const {
    auto targets = volumeTargets();
    if (targets.empty()) return 0;
    double sum = 0;
    for (DisplayID id : targets) sum += volume.at(id);
    return sum / double(targets.size());
}

void DisplayManager::stepDDCVolume(double step) {
    // A volume key press unmutes first.
    if (ddcMuted) toggleDDCMute();
    for (DisplayID id : volumeTargets()) {
        const double next = curve::snapStep(volume[id], step);
        volume[id] = next;
        queueDDC(ddc.at(id), vcpCode(VCP::volume), scaled(id, vcpCode(VCP::volume), next));
    }
    publish();
}

// The flag is what this program last sent; monitors are not asked.
void DisplayManager::toggleDDCMute() {
    ddcMuted = !ddcMuted;
    for (DisplayID id : volumeTargets())
        queueDDC(ddc.at(id), vcpCode(VCP::mute), ddcMuted ? kMuteOn : kMuteOff);
}

}  // namespace vp
