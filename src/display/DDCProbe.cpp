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

std::vector<DDCProbeResult> probeDDC(MonitorHardware& hardware, Sleeper& sleeper,
                                     const std::vector<DisplayIdentity>& externals,
                                     const std::set<DisplayID>& forced) {
    auto pairs = DDCService::match(externals, DDCService::discover(hardware, sleeper));
    std::vector<DDCProbeResult> results;
    for (const DisplayIdentity& display : externals) {
        auto it = pairs.find(display.id);
        if (it == pairs.end() || forced.contains(display.id)) continue;
        if (auto r = probeOne(display.id, it->second)) results.push_back(std::move(*r));
    }
    return results;
}

}  // namespace vp
