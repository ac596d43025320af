#include "display/BrightnessCurve.h"

#include <algorithm>
#include <cmath>

namespace vp::curve {

Split split(double value, bool combinedDimming) {
    if (!combinedDimming) return {value, 1.0};
    Split s;
    s.hardware = value > kSubRange ? (value - kSubRange) / (1 - kSubRange) : 0.0;
    s.subDim = value < kSubRange ? std::pow(value / kSubRange, kSubDimExponent) : 1.0;
    return s;
}

double userFromHardware(double hardware, bool combinedDimming) {
    return combinedDimming ? hardware * (1 - kSubRange) + kSubRange : hardware;
}

double snapStep(double current, double step) {
    const double size = std::abs(step);
    if (!(size > 0) || !std::isfinite(size)) return current;
    return std::clamp(size * std::round((current + step) / size), 0.0, 1.0);
}

int scale(double fraction, int maximum) {
    return int(std::round(std::clamp(fraction, 0.0, 1.0) * maximum));
}

double shadeAlpha(std::optional<double> factor, double gammaFloor) {
    if (!factor || *factor >= gammaFloor) return 0.0;
    return std::min(1 - *factor / gammaFloor, kMaxShadeAlpha);
}

}  // namespace vp::curve
