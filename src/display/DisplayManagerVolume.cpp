#include "display/DisplayManager.h"

#include "app/I18n.h"
#include "display/BrightnessCurve.h"
#include "hardware/VCP.h"

#include <algorithm>
#include <cmath>

namespace vp {

bool DisplayManager::hasDDC(DisplayID display) const {
    return ddc.contains(display);
}

// Only a monitor whose probe found the feature over DDC/CI takes it.
bool DisplayManager::hasFeature(DisplayID display, std::uint8_t code) const {
    if (!ddc.contains(display)) return false;
    if (code == vcpCode(VCP::volume)) return state_.volume.contains(display);
    if (code == vcpCode(VCP::inputSource)) return state_.inputSource.contains(display);
    return false;
}

void DisplayManager::setVolume(DisplayID display, double value) {
    if (!std::isfinite(value)) return;
    if (!hasFeature(display, vcpCode(VCP::volume))) {
        setLastError(L("Esta tela não tem controle de volume."));
        return;
    }
    const double v = std::clamp(value, 0.0, 1.0);
    state_.volume[display] = v;
    queueDDC(ddc.at(display), vcpCode(VCP::volume), scaled(display, vcpCode(VCP::volume), v));
    publish();
}

// The monitor usually switches away from this computer; nothing is read back.
void DisplayManager::setInput(DisplayID display, int code) {
    if (!hasFeature(display, vcpCode(VCP::inputSource))) {
        setLastError(L("Esta tela não permite trocar a entrada."));
        return;
    }
    state_.inputSource[display] = code;
    queueDDC(ddc.at(display), vcpCode(VCP::inputSource), code);
    publish();
}

std::vector<DisplayID> DisplayManager::volumeTargets() const {
    std::vector<DisplayID> ids;
    for (const Screen& s : state_.screens)
        if (s.isActive && ddc.contains(s.id) && state_.volume.contains(s.id)) ids.push_back(s.id);
    return ids;
}

bool DisplayManager::hasDDCVolume() const {
    return !volumeTargets().empty();
}

double DisplayManager::averageDDCVolume() const {
    auto targets = volumeTargets();
    if (targets.empty()) return 0;
    double sum = 0;
    for (DisplayID id : targets) sum += state_.volume.at(id);
    return sum / double(targets.size());
}

void DisplayManager::stepDDCVolume(double step) {
    // A volume key press unmutes first.
    if (state_.ddcMuted) toggleDDCMute();
    for (DisplayID id : volumeTargets()) {
        const double next = curve::snapStep(state_.volume[id], step);
        state_.volume[id] = next;
        queueDDC(ddc.at(id), vcpCode(VCP::volume), scaled(id, vcpCode(VCP::volume), next));
    }
    publish();
}

// The flag is what this program last sent; monitors are not asked.
void DisplayManager::toggleDDCMute() {
    state_.ddcMuted = !state_.ddcMuted;
    for (DisplayID id : volumeTargets())
        queueDDC(ddc.at(id), vcpCode(VCP::mute), state_.ddcMuted ? kMuteOn : kMuteOff);
}

}  // namespace vp
