#include "display/Gamma.h"

#include <algorithm>
#include <cmath>

namespace vp {

namespace {
constexpr std::size_t kCapacity = 256;
constexpr double kTolerance = 0.001;
constexpr double kWarmGreenCut = 0.18;
constexpr double kWarmBlueCut = 0.5;
// The contrast slider (0 to 1, neutral at the middle) scales each value's
// distance from mid-grey by 0.6 to 1.4: wide enough to be seen, narrow
// enough that neither end flattens the picture to grey or clips it to two
// tones.
constexpr double kContrastNeutral = 0.5;
constexpr double kContrastLowestGain = 0.6;
constexpr double kContrastGainSpan = 0.8;

double unit(double v) {
    return std::clamp(v, 0.0, 1.0);
}

// The capture's value at x (0 to 1), between its two nearest entries.
double sample(const std::vector<float>& table, double x) {
    if (table.size() < 2) return x;
    const double position = x * double(table.size() - 1);
    const std::size_t below = std::min(std::size_t(position), table.size() - 2);
    const double t = position - double(below);
    return double(table[below]) * (1 - t) + double(table[below + 1]) * t;
}
}  // namespace

Gamma::Gamma(DisplayServices& displays) : displays_(displays) {}

bool Gamma::isNeutral(double dim, double warmth, double contrast) {
    return std::abs(dim - 1) < kTolerance && warmth < kTolerance && std::abs(contrast - kContrastNeutral) < kTolerance;
}

Gamma::Table Gamma::compute(const Table& capture, double dim, double warmth, double contrast) {
    const double k = kContrastLowestGain + kContrastGainSpan * contrast;
    const double red = dim, green = dim * (1 - kWarmGreenCut * warmth), blue = dim * (1 - kWarmBlueCut * warmth);
    // The adjustment acts on the input level and the capture (the profile's
    // calibration) still corrects what comes out of it, so a calibrated
    // screen stays calibrated under any warmth, contrast or dimming.
    auto channel = [&](const std::vector<float>& calibration, double factor) {
        std::vector<float> out(calibration.size());
        const double last = double(std::max<std::size_t>(calibration.size(), 2) - 1);
        for (std::size_t i = 0; i < calibration.size(); ++i) {
            double level = unit(factor * unit(k * (double(i) / last - 0.5) + 0.5));
            out[i] = float(unit(sample(calibration, level)));
        }
        return out;
    };
    return {channel(capture.r, red), channel(capture.g, green), channel(capture.b, blue)};
}

void Gamma::apply(DisplayID display, double dim, double warmth, double contrast) {
    DisplayServices& displays = displays_;
    auto capture = originals_.find(display);
    if (capture == originals_.end()) {
        auto table = displays.readGamma(display, kCapacity);
        if (!table || table->r.size() < 2) return;
        capture = originals_.emplace(display, std::move(*table)).first;
    }
    displays.writeGamma(display, compute(capture->second, dim, warmth, contrast));
}

void Gamma::restore(DisplayID display) {
    if (auto it = originals_.find(display); it != originals_.end())
        displays_.writeGamma(display, it->second);
}

void Gamma::restoreAll() {
    displays_.restoreGamma();
    originals_.clear();
}

void Gamma::forget(DisplayID display) {
    originals_.erase(display);
}

}  // namespace vp
