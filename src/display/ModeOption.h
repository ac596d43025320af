#pragma once
#include "platform/Displays.h"

#include <string>

namespace vp {

// One selectable display mode.
struct ModeOption {
    std::string id;  // the mode key; alone defines equality
    DisplayMode mode;
    std::int64_t width = 0, height = 0;
    std::int64_t pixelWidth = 0, pixelHeight = 0;
    double refresh = 0;

    bool hiDPI() const { return width < pixelWidth; }
    std::string label() const;
    bool operator==(const ModeOption& other) const { return id == other.id; }
};

// "1920x1080@3840x2160@60": points, pixels and the rounded rate.
std::string modeKey(const DisplayMode& mode);

}  // namespace vp
