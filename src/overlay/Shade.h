#pragma once
// The black, click-through window laid over a whole screen when it must be
// darker than the gamma floor allows; at most one per display. Main queue
// only. The opacity is decided by the display manager; this only shows,
// updates and removes windows.

#include "platform/WindowSystem.h"

#include <map>
#include <memory>

namespace vp {

class Shade {
public:
    explicit Shade(WindowSystem& windows);
    ~Shade();

    // Shows, updates or (alpha ≤ 0.001, or no such screen) removes the
    // display's shade; alpha above 1 is fully opaque.
    void set(DisplayID display, double alpha);
    void remove(DisplayID display);
    void removeAll();

    bool has(DisplayID display) const { return windows_.contains(display); }

private:
    std::optional<ScreenInfo> screenOf(DisplayID display) const;
    WindowConfig configFor(DisplayID display, const Rect& frame) const;

    WindowSystem& system_;
    std::map<DisplayID, std::unique_ptr<Window>> windows_;
};

}  // namespace vp
