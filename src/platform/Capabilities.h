#pragma once
// What a platform can do, described once by its back-ends. The core decides
// from this, never from the platform's name (which is for logs only).

#include <optional>
#include <string>

namespace vp {

// Something a platform either offers or lacks, with the short reason the
// interface shows beside the control it disables.
struct Ability {
    bool available = true;
    std::string reason;  // empty when available

    static Ability yes() { return {}; }
    static Ability no(std::string why) { return {false, std::move(why)}; }
    explicit operator bool() const { return available; }
};

// How brightness and volume keys reach the core.
enum class KeyDelivery {
    perEvent,   // each press is offered and may be passed on to the desktop
    wholeGrab,  // a grabbed key never reaches the desktop: grab only what is ours
    none,       // the platform cannot deliver these keys at all
};

struct Capabilities {
    // A mode, arrangement or main-display change stays after the process
    // ends. The core then undoes its temporary changes at quit itself.
    bool configurationOutlivesProcess = false;
    // A gamma table stays after the process ends.
    bool gammaOutlivesProcess = false;
    // The desktop (night light, colour management) may replace gamma tables
    // at any time; the core re-applies its own after each display change.
    bool gammaOverwrittenByDesktop = false;
    Ability virtualDisplays;
    Ability switchOff;
    // Translucent windows are blended over what is below them (a compositor
    // runs); without, they are drawn opaque, and a fade shows nothing.
    bool translucentWindows = true;
    // A translucent, click-through window over a screen (the dimming shade).
    Ability shade;
    KeyDelivery keys = KeyDelivery::perEvent;
    std::string keysReason;  // why keys are limited, when they are
};

}  // namespace vp
