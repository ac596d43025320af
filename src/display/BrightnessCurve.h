#pragma once
// The arithmetic of brightness: how a user-facing value splits into a
// hardware fraction and a software dim factor (combined dimming), how steps
// snap, and how fractions scale to a monitor's range. Pure functions.

#include <optional>

namespace vp::curve {

// With combined dimming the lowest fifth of the slider lies below the
// hardware minimum and is dimmed in software.
constexpr double kSubRange = 0.2;
// The exponent that makes the software part of the slider feel even.
constexpr double kSubDimExponent = 1.6;

struct Split {
    double hardware = 1;  // 0 (panel minimum) … 1
    double subDim = 1;    // software factor on top of the hardware minimum
};

// The hardware fraction and software factor for a user-facing value in 0…1.
Split split(double value, bool combinedDimming);
// The user-facing value of a hardware reading.
double userFromHardware(double hardware, bool combinedDimming);
// current + step, snapped to a multiple of |step| (halves away from zero)
// and clamped to 0…1; current unchanged for a zero or non-finite step.
double snapStep(double current, double step);
// A fraction (clamped to 0…1) of a maximum, rounded half away from zero.
int scale(double fraction, int maximum);
// The darkest shade still lets a quarter of the gamma floor's light through:
// at brightness 0 the picture is very dark yet readable, so the user can
// always see the controls and brighten it again.
constexpr double kMaxShadeAlpha = 0.75;

// The shade opacity for a software factor below the gamma floor, at most
// kMaxShadeAlpha.
double shadeAlpha(std::optional<double> factor, double gammaFloor);

}  // namespace vp::curve
