#pragma once
// Between the core's gamma tables (floats from 0 to 1, at most the entries
// it asks for) and mutter's 16-bit ramps of the CRTC's own length.

#include "platform/Displays.h"
#include "platform/linux/gnome/DisplayConfigClient.h"

namespace vp::gnome {

// Linear resampling; a table of one entry or none stays as it is.
std::vector<float> resampleRamp(const std::vector<float>& ramp, std::size_t entries);

GammaTable tableFromRamps(const GammaRamps& ramps, std::size_t capacity);
// Values outside 0..1 are clamped: a ramp cannot go beyond full scale.
GammaRamps rampsFromTable(const GammaTable& table, std::size_t entries);

}  // namespace vp::gnome
