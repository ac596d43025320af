#include "display/DDCProbe.h"

#include <algorithm>

namespace vp {

namespace {

std::optional<DDCProbeResult> probeOne(DisplayID display, const std::shared_ptr<DDCService>& service) {
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
    return r;
}

}  // namespace

DDCProbeOutcome probeDDC(MonitorHardware& hardware, Sleeper& sleeper, const std::vector<DisplayIdentity>& externals,
                         const std::set<DisplayID>& forced) {
    DDCPairing pairing = DDCService::match(externals, DDCService::discover(hardware, sleeper));
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
        if (auto r = probeOne(display.id, it->second)) outcome.results.push_back(std::move(*r));
    }
    return outcome;
}

}  // namespace vp
