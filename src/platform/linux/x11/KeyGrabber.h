#pragma once
// Grabs keys on an X server's root window, each with the lock modifiers a
// user may have on (NumLock, CapsLock) so a grab holds whatever lock is on,
// and with an optional extra modifier combination.
//
// X11 gives a key to one client only: a key another program already holds
// (typically the desktop's own media-key daemon) fails with BadAccess. That
// is reported per key and the other keys keep working. A grabbed key never
// reaches anyone else, so callers grab only what they will act on.

#include "platform/UserText.h"
#include "platform/linux/x11/XcbEventLoop.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace vp::x11 {

using KeySym = std::uint32_t;

namespace keysym {
constexpr KeySym monBrightnessUp = 0x1008FF02;
constexpr KeySym monBrightnessDown = 0x1008FF03;
constexpr KeySym audioLowerVolume = 0x1008FF11;
constexpr KeySym audioMute = 0x1008FF12;
constexpr KeySym audioRaiseVolume = 0x1008FF13;
}  // namespace keysym

// X11 modifier masks as the core protocol numbers them.
namespace modifier {
constexpr std::uint16_t shift = 1, lock = 2, control = 4, mod1 = 8, mod2 = 16;
}  // namespace modifier

struct KeyPress {
    KeySym key = 0;
    bool pressed = true;
    std::uint16_t modifiers = 0;  // without the lock modifiers
};

class KeyGrabber {
public:
    // Runs on the grabber's own thread.
    using Handler = std::function<void(const KeyPress&)>;
    // Why a key was not grabbed.
    static constexpr const char* kHeld = "held by another program";
    static constexpr const char* kMissing = R("not on this keyboard");

    // Connects to `display` ($DISPLAY when empty). `combination` is the
    // extra modifier set grabbed besides the bare key (0: none).
    KeyGrabber(const std::string& display, std::uint16_t combination, Handler handler);
    ~KeyGrabber();  // releases every grab
    KeyGrabber(const KeyGrabber&) = delete;
    KeyGrabber& operator=(const KeyGrabber&) = delete;

    // Empty when connected; otherwise why there are no keys.
    const std::string& problem() const { return problem_; }

    // Holds exactly `keys` from now on, releasing the others. For each key
    // asked for: empty when held, else why not ("held by another program",
    // "not on this keyboard").
    std::map<KeySym, std::string> hold(const std::set<KeySym>& keys);
    std::set<KeySym> held() const;

private:
    std::string grab(KeySym key);
    void release(KeySym key);
    std::vector<std::uint8_t> keycodes(KeySym key) const;
    std::vector<std::uint16_t> modifierSets() const;
    void dispatch(const xcb_generic_event_t& event);

    xcb_connection_t* c_ = nullptr;
    std::uint32_t root_ = 0;
    std::uint16_t combination_ = 0;
    Handler handler_;
    std::string problem_;
    std::map<std::uint8_t, KeySym> byKeycode_;
    mutable std::mutex mutex_;  // byKeycode_ and held_ are read on the event thread
    std::set<KeySym> held_;
    std::unique_ptr<XcbEventLoop> loop_;
};

}  // namespace vp::x11
