#pragma once
// Extra brightness above 100 %: a borderless, click-through window over the
// whole screen whose uniform colour the extended-range compositor multiplies
// with everything below it, by a factor from 1.0 to 1.8. One overlay per
// display, owned here; removing the entry closes the window.

#include "platform/WindowSystem.h"

#include <map>
#include <memory>
#include <optional>

namespace vp {

class XDR {
public:
    explicit XDR(WindowSystem& windows);
    ~XDR();
    XDR(const XDR&) = delete;
    XDR& operator=(const XDR&) = delete;

    // The window system's screen of a display.
    std::optional<ScreenInfo> screen(DisplayID display) const;
    // The screen's potential extended-range headroom; 1.0 without a screen.
    double headroom(DisplayID display) const;
    // A screen with headroom above 1.2 and a compositor that can show it.
    bool supports(DisplayID display) const;
    // Makes the display's overlay show a level (0…1); a level of 0.001 or
    // less, or a display without a screen, closes it.
    void set(DisplayID display, double level);
    void removeAll();

    // The multiplier shown on a display, none without an overlay.
    std::optional<double> factor(DisplayID display) const;
    // The displays that show an overlay.
    std::vector<DisplayID> displays() const;
    // Level to multiplier: up to 0.8 above 1.0, less on screens with less
    // headroom.
    static double factorFor(double headroom, double level);

private:
    struct Overlay {
        std::unique_ptr<Window> window;
        Rect screenFrame;  // the screen's frame when the overlay was made
        double factor = 1.0;
    };
    std::optional<Overlay> makeOverlay(const ScreenInfo& screen, double factor) const;
    static void close(Overlay& overlay);

    WindowSystem& windows_;
    std::map<DisplayID, Overlay> overlays_;
};

}  // namespace vp
