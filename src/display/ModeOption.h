#pragma once
#include "platform/Displays.h"

#include <optional>
#include <string>
#include <vector>

namespace vp {

// One selectable display mode.
struct ModeOption {
    std::string id;  // the mode key; alone defines equality
    DisplayMode mode;
    std::int64_t width = 0, height = 0;
    std::int64_t pixelWidth = 0, pixelHeight = 0;
    double refresh = 0;

    static ModeOption from(const DisplayMode& mode);
    bool hiDPI() const { return width < pixelWidth; }
    // "1920 × 1080 · 60 Hz"; without the rate when it is 0.
    std::string label() const;
    bool operator==(const ModeOption& other) const { return id == other.id; }
};

// A refresh rate rounded to whole hertz, halves away from zero. A rate that
// is not finite counts as 0.
std::int64_t roundedRate(double refresh);

// "1920x1080@3840x2160@60": points, pixels and the rounded rate.
std::string modeKey(const DisplayMode& mode);

// The modes a user can pick, from the system's full list in its order: only
// modes usable for the desktop, the first of each key, sorted by width, then
// height, then the unrounded rate, all descending; ties keep the system's
// order.
std::vector<ModeOption> selectableModes(const std::vector<DisplayMode>& all);

// The native pixel size: the first mode flagged native, else the first mode
// with the largest pixel area; (0, 0) for an empty list.
Size nativePixelSize(const std::vector<DisplayMode>& all);

}  // namespace vp
