#pragma once
// Keyboard event tap, accessibility trust and the default audio output.

#include "platform/Types.h"

#include <functional>
#include <memory>

namespace vp {

namespace event {
constexpr std::uint32_t keyDown = 10;
constexpr std::uint32_t systemDefined = 14;
constexpr std::uint32_t tapDisabledByTimeout = 0xFFFFFFFE;
constexpr std::uint32_t tapDisabledByUserInput = 0xFFFFFFFF;
constexpr std::uint64_t flagOption = 0x80000;
constexpr std::uint64_t flagShift = 0x20000;
// Key codes of key-down events.
constexpr std::int64_t keyBrightnessUp = 144;
constexpr std::int64_t keyBrightnessDown = 145;
// System-defined events of the auxiliary control buttons: the button in
// bits 16–31 of data1, its state in bits 8–15.
constexpr std::int16_t auxControlButtons = 8;
constexpr std::int64_t auxSoundUp = 0;
constexpr std::int64_t auxSoundDown = 1;
constexpr std::int64_t auxBrightnessUp = 2;
constexpr std::int64_t auxBrightnessDown = 3;
constexpr std::int64_t auxMute = 7;
constexpr std::int64_t auxStateDown = 0x0A;
constexpr std::int64_t auxStateUp = 0x0B;
}  // namespace event

// The fields of a tapped event that the key handling reads. Each platform
// translates its native events into this record.
struct KeyEvent {
    std::uint32_t type = 0;
    std::int64_t keyCode = 0;     // key-down events
    bool convertible = true;      // a system-defined event that decodes
    std::int16_t subtype = 0;     // system-defined events
    std::int64_t data1 = 0;       // system-defined events
    std::uint64_t flags = 0;
};

// The tap's attachment to the main run loop: events reach the handler only
// while it lives. Destroying it detaches the tap.
class TapSource {
public:
    virtual ~TapSource() = default;
};

// A press (or release) of an auxiliary control button as the system sends it.
inline KeyEvent auxButtonEvent(std::int64_t button, bool down, std::uint64_t flags = 0) {
    KeyEvent e;
    e.type = event::systemDefined;
    e.subtype = event::auxControlButtons;
    e.data1 = (button << 16) | ((down ? event::auxStateDown : event::auxStateUp) << 8);
    e.flags = flags;
    return e;
}

class EventTap {
public:
    virtual ~EventTap() = default;  // removes the tap
    // Attaches the tap to the main run loop; the handler runs there.
    virtual std::unique_ptr<TapSource> addToMainRunLoop() = 0;
    // The system may disable a tap by itself (a handler that took too long,
    // user input); it then sends one of the tapDisabled notifications.
    virtual void enable(bool on) = 0;
    virtual bool isEnabled() const = 0;
};

class InputServices {
public:
    virtual ~InputServices() = default;
    // The handler returns true to pass the event on, false to swallow it.
    using TapHandler = std::function<bool(const KeyEvent&)>;
    // Null when the tap cannot be created.
    virtual std::unique_ptr<EventTap> createEventTap(std::uint64_t eventMask, TapHandler handler) = 0;
    virtual bool isAccessibilityTrusted() = 0;
    virtual void promptForAccessibility() = 0;
    // The default output device and its transport type ('hdmi', 'dprt', …);
    // none when a read fails.
    virtual std::optional<std::uint32_t> defaultOutputDevice() = 0;
    virtual std::optional<std::uint32_t> transportType(std::uint32_t device) = 0;
};

constexpr std::uint32_t fourCC(const char (&s)[5]) {
    return (std::uint32_t(std::uint8_t(s[0])) << 24) | (std::uint32_t(std::uint8_t(s[1])) << 16) |
           (std::uint32_t(std::uint8_t(s[2])) << 8) | std::uint32_t(std::uint8_t(s[3]));
}

}  // namespace vp
