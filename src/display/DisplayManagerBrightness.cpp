#include "display/DisplayManager.h"

#include "app/I18n.h"
#include "display/BrightnessCurve.h"
#include "display/DDCProbe.h"
#include "display/PendingDDC.h"

#include <algorithm>
#include <cmath>

namespace vp {

namespace {
// Rewrite the software factor only when it really moved.
constexpr double kSubDimTolerance = 0.0001;
// A panel dimmed below this is considered dimmed below its minimum.
constexpr double kDimmedBelowMinimum = 0.999;
}  // namespace

BrightnessMethod DisplayManager::methodOf(DisplayID display) const {
    auto it = state_.method.find(display);
    return it == state_.method.end() ? BrightnessMethod::software : it->second;
}

std::vector<DisplayID> DisplayManager::adjustableScreens() const {
    std::vector<DisplayID> ids;
    for (const Screen& s : state_.screens)
        if (s.isActive && !s.isOurVirtual) ids.push_back(s.id);
    return ids;
}

void DisplayManager::detectBrightness() {
    DisplayServices& ds = platform_.displays();
    std::vector<DisplayIdentity> externals;
    std::set<DisplayID> externalIDs;
    for (const Screen& s : state_.screens) {
        if (!s.isActive || s.isBuiltin || s.isOurVirtual) continue;
        externals.push_back({s.id, ds.vendorNumber(s.id), ds.modelNumber(s.id), ds.serialNumber(s.id)});
        externalIDs.insert(s.id);
    }
    for (const Screen& s : state_.screens) {
        if (s.isBuiltin) {
            probeBuiltin(s);
        } else if (methodOf(s.id) == BrightnessMethod::software) {
            state_.method[s.id] = BrightnessMethod::software;
            state_.brightness[s.id] = softwareBrightness(s);
        }
    }
    dropDDC(externalIDs);
    if (externalIDs == ddcScanned) return;
    ddcScanned = externalIDs;
    std::set<DisplayID> forced;
    for (const Screen& s : state_.screens)
        if (prefsFor(s).forceSoftware) forced.insert(s.id);
    startDDCProbe(std::move(externals), std::move(forced));
}

// The stored dim never goes below the gamma floor, so that a start never
// begins under a dark shade. Darker than that lives in memory only, like the
// sub-dim of a hardware screen, and a refresh must not undo it.
double DisplayManager::softwareBrightness(const Screen& screen) const {
    const double stored = prefsFor(screen).dim;
    auto shown = state_.brightness.find(screen.id);
    if (shown != state_.brightness.end() && shown->second < gammaFloor && stored <= gammaFloor) return shown->second;
    return stored;
}

// A monitor that left the externals loses its service. It also goes back to
// software: should it return without answering DDC/CI any more, it must not
// stay marked as driven by a service it no longer has.
void DisplayManager::dropDDC(const std::set<DisplayID>& externals) {
    for (auto it = ddc.begin(); it != ddc.end();) {
        if (externals.contains(it->first)) {
            ++it;
            continue;
        }
        if (methodOf(it->first) == BrightnessMethod::ddc) state_.method[it->first] = BrightnessMethod::software;
        it = ddc.erase(it);
    }
    std::erase_if(state_.softwareReason, [&](const auto& entry) {
        auto s = screen(entry.first);
        return !externals.contains(entry.first) && !(s && s->isBuiltin);
    });
}

void DisplayManager::probeBuiltin(const Screen& screen) {
    std::shared_ptr<Backlight> panel = platform_.hardware().backlight(screen.id);
    float hardware = 0;
    const bool changeable = panel && panel->canChange();
    const std::string why = panel && !changeable ? panel->whyUnchangeable() : std::string();
    if (why.empty()) state_.softwareReason.erase(screen.id);
    else state_.softwareReason[screen.id] = why;
    if (!changeable || panel->get(hardware) != 0) {
        state_.method[screen.id] = BrightnessMethod::software;
        state_.brightness[screen.id] = prefsFor(screen).dim;
        return;
    }
    state_.method[screen.id] = BrightnessMethod::builtin;
    auto dimmed = subDim.find(screen.id);
    if (dimmed != subDim.end() && dimmed->second < kDimmedBelowMinimum) return;
    state_.brightness[screen.id] = curve::userFromHardware(hardware, combinedDimming());
}

// The desktop moved the panel's backlight (its own keys): the panel shows
// what it left, and software dimming below the minimum, which assumed the
// panel at its minimum, is dropped.
void DisplayManager::backlightChangedOutside(DisplayID display) {
    auto s = screen(display);
    if (!s || methodOf(display) != BrightnessMethod::builtin) return;
    if (subDim.erase(display)) reapplyColor(*s);
    probeBuiltin(*s);
    publish();
}

void DisplayManager::readBrightness(DisplayID display) {
    auto s = screen(display);
    if (!s) return;
    if (methodOf(display) == BrightnessMethod::builtin) {
        probeBuiltin(*s);
        publish();
        return;
    }
    auto it = ddc.find(display);
    if (it == ddc.end()) return;
    MainQueue& main = platform_.runtime().main;
    WeakLife weak = life_;
    platform_.runtime().ddc.async([&main, weak, this, display, service = it->second] {
        if (weak.expired()) return;
        auto reading = service->read(vcpCode(VCP::brightness));
        if (!reading || reading->max <= 0) return;
        service->noteRead(vcpCode(VCP::brightness), *reading);
        main.post([weak, this, display, service, reading = *reading] {
            if (weak.lock()) applyBrightnessReading(display, service, reading);
        });
    });
}

// A fresh reading for a monitor still driven by the same service. When the
// monitor shows what the program sent, nothing moves; otherwise the value
// follows the monitor and software dimming below its minimum is dropped.
void DisplayManager::applyBrightnessReading(DisplayID display, const std::shared_ptr<DDCService>& service,
                                            const ddc::VCPReading& reading) {
    auto it = ddc.find(display);
    auto s = screen(display);
    if (it == ddc.end() || it->second != service || !s) return;
    const std::uint8_t code = vcpCode(VCP::brightness);
    ddcMax[display][code] = reading.max;
    auto shown = state_.brightness.find(display);
    const bool combined = combinedDimming();
    if (shown == state_.brightness.end() || scaled(display, code, curve::split(shown->second, combined).hardware) != reading.current) {
        state_.brightness[display] = curve::userFromHardware(std::min(double(reading.current) / reading.max, 1.0), combined);
        if (subDim.erase(display)) reapplyColor(*s);
    }
    publish();
}

void DisplayManager::startDDCProbe(std::vector<DisplayIdentity> externals, std::set<DisplayID> forced) {
    Runtime runtime = platform_.runtime();
    MonitorHardware& hardware = platform_.hardware();
    Sleeper& sleeper = runtime.sleeper;
    MainQueue& main = runtime.main;
    WeakLife weak = life_;
    // Remembered values stand in for a probe only while no monitor is driven
    // yet (a start): a later probe, after a monitor came or went, reads the
    // monitors again.
    const bool recall = ddc.empty();
    runtime.ddc.async([&hardware, &sleeper, &main, weak, this, memory = probeMemory_, recall,
                       externals = std::move(externals),
                       forced = std::move(forced)] {
        if (weak.expired()) return;
        auto outcome = probeDDC(hardware, sleeper, externals, forced, memory, recall);
        main.post([weak, this, outcome = std::move(outcome)] {
            if (weak.lock()) applyDDCProbe(outcome);
        });
    });
}

// Results of a probe that a newer one overtook are still applied, except for
// monitors that have left since or that the user forced to software meanwhile.
void DisplayManager::applyDDCProbe(const DDCProbeOutcome& outcome) {
    const bool combined = combinedDimming();
    for (DisplayID id : outcome.probed) state_.softwareReason.erase(id);
    for (DisplayID id : outcome.twins)
        if (ddcScanned.contains(id))
            state_.softwareReason[id] = L("Há outro monitor idêntico e não dá para saber qual deles responde por DDC/CI.");
    for (const auto& [id, why] : outcome.unreachable)
        if (ddcScanned.contains(id)) state_.softwareReason[id] = why;
    for (const DDCProbeResult& r : outcome.results) {
        auto s = screen(r.display);
        if (!s || !ddcScanned.contains(r.display) || prefsFor(*s).forceSoftware) continue;
        ddc[r.display] = r.service;
        ddcMax[r.display] = r.maxima;
        state_.method[r.display] = BrightnessMethod::ddc;
        state_.brightness[r.display] = curve::userFromHardware(r.brightness, combined);
        if (r.volume) state_.volume[r.display] = std::min(*r.volume, 1.0);
        if (r.input) state_.inputSource[r.display] = *r.input;
    }
    publish();
}

void DisplayManager::setBrightness(DisplayID display, double value) {
    applyBrightness(display, value);
    publish();
}

void DisplayManager::applyBrightness(DisplayID display, double value) {
    auto s = screen(display);
    if (!s || !std::isfinite(value)) return;
    const double v = std::clamp(value, 0.0, 1.0);
    state_.brightness[display] = v;

    if (methodOf(display) == BrightnessMethod::software) {
        ScreenPrefs p = prefsFor(*s);
        p.dim = std::max(v, gammaFloor);
        setPrefs(s->uuid, p);
        reapplyColor(*s);
        return;
    }
    const bool combined = combinedDimming();
    const curve::Split split = curve::split(v, combined);
    auto current = subDim.find(display);
    const double currentSubDim = current == subDim.end() ? 1.0 : current->second;
    if (combined ? std::abs(currentSubDim - split.subDim) > kSubDimTolerance : currentSubDim < 1.0) {
        subDim[display] = split.subDim;
        reapplyColor(*s);
    }
    sendHardwareBrightness(*s, split.hardware);
}

void DisplayManager::sendHardwareBrightness(const Screen& screen, double hardware) {
    if (methodOf(screen.id) == BrightnessMethod::builtin) {
        if (auto panel = platform_.hardware().backlight(screen.id)) panel->set(float(hardware));
        return;
    }
    if (auto it = ddc.find(screen.id); it != ddc.end())
        queueDDC(it->second, vcpCode(VCP::brightness), scaled(screen.id, vcpCode(VCP::brightness), hardware));
}

// The monitor keeps what it had: the published value follows the monitor,
// and the software part of combined dimming, which assumed the hardware at
// its minimum, is dropped.
void DisplayManager::ddcWriteRefused(const RefusedWrite& refused) {
    auto owner = std::find_if(ddc.begin(), ddc.end(), [&](const auto& entry) { return entry.second == refused.service; });
    if (owner == ddc.end()) return;
    const DisplayID display = owner->first;
    if (refused.now && refused.now->max > 0) {
        const double fraction = std::min(double(refused.now->current) / refused.now->max, 1.0);
        if (refused.code == vcpCode(VCP::brightness)) {
            state_.brightness[display] = curve::userFromHardware(fraction, combinedDimming());
            if (subDim.erase(display))
                if (auto s = screen(display)) reapplyColor(*s);
        } else if (refused.code == vcpCode(VCP::volume) && state_.volume.contains(display)) {
            state_.volume[display] = fraction;
        } else if (refused.code == vcpCode(VCP::inputSource) && state_.inputSource.contains(display)) {
            state_.inputSource[display] = refused.now->current & 0xFF;
        }
    }
    setLastError(L("O monitor recusou a mudança por DDC/CI."));
}

void DisplayManager::setCombinedDimming(bool on) {
    const bool before = combinedDimming();
    defaults_.setBool("dimBelowMinimum", on);
    if (on == before) return;
    for (const Screen& s : state_.screens) {
        auto shown = state_.brightness.find(s.id);
        if (methodOf(s.id) == BrightnessMethod::software || shown == state_.brightness.end()) continue;
        shown->second = curve::userFromHardware(curve::split(shown->second, before).hardware, on);
        if (subDim.erase(s.id)) reapplyColor(s);
    }
    publish();
}

void DisplayManager::setAllBrightness(double value) {
    for (DisplayID id : adjustableScreens()) applyBrightness(id, value);
    publish();
}

void DisplayManager::stepAllBrightness(double step) {
    for (DisplayID id : adjustableScreens()) {
        auto it = state_.brightness.find(id);
        applyBrightness(id, curve::snapStep(it == state_.brightness.end() ? 1.0 : it->second, step));
    }
    publish();
}

double DisplayManager::averageBrightness() const {
    double sum = 0;
    int known = 0;
    for (DisplayID id : adjustableScreens())
        if (auto it = state_.brightness.find(id); it != state_.brightness.end()) {
            sum += it->second;
            ++known;
        }
    return known ? sum / known : 1.0;
}

void DisplayManager::setForceSoftware(const Screen& screen, bool on) {
    const ScreenPrefs before = prefsFor(screen);
    ScreenPrefs p = before;
    p.forceSoftware = on;
    setPrefs(screen.uuid, p);
    if (on) {
        ddc.erase(screen.id);
        state_.method[screen.id] = BrightnessMethod::software;
        state_.brightness[screen.id] = before.dim;
    }
    ddcScanned.clear();
    refresh();
}

int DisplayManager::scaled(DisplayID display, std::uint8_t code, double fraction) const {
    int maximum = 100;
    if (auto m = ddcMax.find(display); m != ddcMax.end())
        if (auto c = m->second.find(code); c != m->second.end()) maximum = c->second;
    return curve::scale(fraction, maximum);
}

void DisplayManager::queueDDC(const std::shared_ptr<DDCService>& service, std::uint8_t code, int value) {
    pendingDDC->put(service, code, value);
    WeakLife weak = life_;
    platform_.runtime().ddc.async([weak, pending = pendingDDC] {
        if (!weak.expired()) pending->drain();
    });
}

}  // namespace vp
