#pragma once
// What the on-screen HUD shows: a level from 0 to 1 and the name of a system
// symbol. Views observe `changed` and redraw.

#include "util/Signal.h"

#include <string>

namespace vp {

class HUDModel {
public:
    double value() const { return value_; }
    const std::string& icon() const { return icon_; }
    // Emits `changed` once when either field differs.
    void set(double value, const std::string& icon);

    Signal changed;

private:
    double value_ = 1.0;
    std::string icon_ = "sun.max.fill";
};

}  // namespace vp
