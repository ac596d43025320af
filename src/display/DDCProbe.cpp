#include "display/DDCProbe.h"

#include <algorithm>

namespace vp {

namespace {

// What an earlier run learned, when it is enough to drive the monitor.
std::optional<DDCProbeResult> recalled(DisplayID display, const std::shared_ptr<DDCService>& service) {
    auto known = service->remembered();
    if (!known) return std::nullopt;
    auto max = known->maxima.find(vcpCode(VCP::brightness));
    if (max == known->maxima.end() || max->second <= 0) return std::nullopt;
    DDCProbeResult r;
    r.display = display;
    r.service = service;
    r.brightness = known->brightness;
    r.volume = known->volume;
    r.input = known->input;
    r.maxima = known->maxima;
    return r;
}

void remember(const DDCProbeResult& r) {
    r.service->remember({r.brightness, r.volume, r.input, r.maxima});
}

std::optional<DDCProbeResult> probeOne(DisplayID display, const std::shared_ptr<DDCService>& service, bool recall) {
    if (recall)
        if (auto known = recalled(display, service)) return known;
    auto brightness = service->read(vcpCode(VCP::brightness));
    if (!brightness || brightness->max <= 0) return std::nullopt;
    DDCProbeResult r;
    r.display = display;
    r.service = service;
    r.brightness = std::min(double(brightness->current) / brightness->max, 1.0);
    r.maxima[vcpCode(VCP::brightness)] = brightness->max;
    if (auto volume = service->read(vcpCode(VCP::volume)); volume && volume->max >= 1) {
        r.maxima[vcpCode(VCP::volume)] = volume->max;
        r.volume = double(volume->current) / volume->max;
    }
    if (auto input = service->read(vcpCode(VCP::inputSource))) r.input = input->current & 0xFF;
    remember(r);
    return r;
}

}  // namespace

DDCProbeOutcome probeDDC(MonitorHardware& hardware, Sleeper& sleeper, const std::vector<DisplayIdentity>& externals,
                         const std::set<DisplayID>& forced, const std::shared_ptr<ProbeMemory>& memory, bool recall) {
    DDCPairing pairing = DDCService::match(externals, DDCService::discover(hardware, sleeper, memory));
    DDCProbeOutcome outcome;
    outcome.twins = std::move(pairing.twins);
    for (const DisplayIdentity& display : externals) {
        outcome.probed.insert(display.id);
        auto it = pairing.paired.find(display.id);
        if (it == pairing.paired.end() || forced.contains(display.id)) continue;
        if (const std::string& why = it->second->link().unreachable; !why.empty()) {
            outcome.unreachable[display.id] = why;
            continue;
        }
        if (auto r = probeOne(display.id, it->second, recall)) outcome.results.push_back(std::move(*r));
    }
    return outcome;
}

}  // namespace vp
