#include "platform/linux/gnome/GammaRampsConvert.h"

#include <algorithm>
#include <cmath>

namespace vp::gnome {

std::vector<float> resampleRamp(const std::vector<float>& ramp, std::size_t entries) {
    if (ramp.size() < 2 || entries == ramp.size() || entries == 0) return ramp;
    std::vector<float> out(entries);
    for (std::size_t i = 0; i < entries; ++i) {
        double at = entries > 1 ? double(i) * double(ramp.size() - 1) / double(entries - 1) : 0;
        auto lo = std::size_t(at);
        std::size_t hi = std::min(lo + 1, ramp.size() - 1);
        double t = at - double(lo);
        out[i] = float(double(ramp[lo]) * (1 - t) + double(ramp[hi]) * t);
    }
    return out;
}

namespace {

std::vector<float> toUnit(const std::vector<std::uint16_t>& ramp) {
    std::vector<float> out;
    out.reserve(ramp.size());
    for (auto v : ramp) out.push_back(float(double(v) / 65535.0));
    return out;
}

std::vector<float> clamped(std::vector<float> ramp) {
    for (float& v : ramp) v = std::isnan(v) ? 0.f : std::clamp(v, 0.f, 1.f);
    return ramp;
}

std::vector<std::uint16_t> toWord(const std::vector<float>& ramp) {
    std::vector<std::uint16_t> out;
    out.reserve(ramp.size());
    for (float v : ramp) out.push_back(std::uint16_t(std::lround(double(v) * 65535.0)));
    return out;
}

}  // namespace

GammaTable tableFromRamps(const GammaRamps& ramps, std::size_t capacity) {
    std::size_t n = std::min(capacity, ramps.red.size());
    return {resampleRamp(toUnit(ramps.red), n), resampleRamp(toUnit(ramps.green), n),
            resampleRamp(toUnit(ramps.blue), n)};
}

GammaRamps rampsFromTable(const GammaTable& table, std::size_t entries) {
    return {toWord(resampleRamp(clamped(table.r), entries)), toWord(resampleRamp(clamped(table.g), entries)),
            toWord(resampleRamp(clamped(table.b), entries))};
}

}  // namespace vp::gnome
