#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vp {

using DisplayID = std::uint32_t;
using WindowID = std::uint32_t;
// The status a platform call returns; 0 is success (a CGError-style code).
using Status = std::int32_t;

// Where a display or a video link sits: inside the machine (a laptop panel)
// or behind a connector (a monitor).
enum class Location { builtIn, external };

struct Point {
    double x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0, height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    double x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
    double minX() const { return x; }
    double minY() const { return y; }
    double maxX() const { return x + width; }
    double maxY() const { return y + height; }
    double midX() const { return x + width / 2; }
    double midY() const { return y + height / 2; }
};

}  // namespace vp
