#pragma once
// The brightness and sound keys, the user's permission to watch them and
// where the sound goes. A back-end translates its own key events into these
// few; every other key stays with the desktop and never reaches the core.

#include "platform/Capabilities.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vp {

enum class Key { brightnessUp, brightnessDown, volumeUp, volumeDown, mute };

struct KeyEvent {
    Key key = Key::brightnessUp;
    bool pressed = true;  // false: the release of the key
    // The modifiers that ask for the finer step are held (Option and Shift
    // together, or the platform's own equivalent).
    bool fine = false;
};

// Where the default sound output plays.
enum class AudioTransport { builtIn, hdmi, displayPort, usb, bluetooth, other };

// Keys reach the handler while the watch lives; destroying it ends the
// watch.
class KeyWatch {
public:
    virtual ~KeyWatch() = default;
};

// A shortcut the desktop itself keeps that runs this program with a
// velvetpane:// URL: the way to the brightness keys where the desktop keeps
// those keys and lets no program watch keys.
struct DesktopShortcut {
    Key key = Key::brightnessUp;  // what pressing it does
    std::string keys;             // what the user presses, as the desktop writes it
    bool operator==(const DesktopShortcut&) const = default;
};

// Our shortcuts in the desktop's settings, added and removed only when the
// user asks. The user's own shortcuts are never touched.
class DesktopShortcuts {
public:
    virtual ~DesktopShortcuts() = default;
    // Whether this desktop takes such shortcuts, and why not when it does not.
    virtual Ability ability() = 0;
    // Ours, as the desktop keeps them now.
    virtual std::vector<DesktopShortcut> installed() = 0;
    // Adds ours for brightness up and down, replacing any of ours; false
    // with why when the desktop's settings could not be written.
    virtual bool install(std::string& why) = 0;
    virtual bool remove(std::string& why) = 0;
};

// A platform without desktop shortcuts, and why.
class NoDesktopShortcuts final : public DesktopShortcuts {
public:
    explicit NoDesktopShortcuts(std::string why) : why_(std::move(why)) {}
    Ability ability() override { return Ability::no(why_); }
    std::vector<DesktopShortcut> installed() override { return {}; }
    bool install(std::string& why) override { return refuse(why); }
    bool remove(std::string& why) override { return refuse(why); }

private:
    bool refuse(std::string& why) const {
        why = why_;
        return false;
    }
    std::string why_;
};

class InputServices {
public:
    virtual ~InputServices() = default;
    // Runs on the main queue and answers whether the event was the core's.
    // An event that was not is passed on to the desktop when the platform
    // offers each event (KeyDelivery::perEvent); a grabbing platform has no
    // one to pass it to, so it is lost.
    using KeyHandler = std::function<bool(const KeyEvent&)>;
    // Watches `keys`. Where the system may end a watch by itself (a handler
    // that answered too late, the permission withdrawn), onLost runs once
    // on the main queue and the watch delivers nothing more; the core may
    // then ask for a new one. Null when the system refuses the watch.
    virtual std::unique_ptr<KeyWatch> watchKeys(const std::vector<Key>& keys, KeyHandler handler,
                                                std::function<void()> onLost) = 0;
    // Whether the user lets this program watch the keys; true where the
    // system asks no permission for it.
    virtual bool keysPermitted() = 0;
    // Shows the system's own request for that permission. The answer comes
    // later, if ever: the caller asks keysPermitted() again.
    virtual void requestKeysPermission() = 0;
    // Where the default output plays; none when that cannot be read.
    virtual std::optional<AudioTransport> outputTransport() = 0;
    // Runs `changed` on the main queue whenever outputTransport() may answer
    // differently (the user picked another output, one was plugged in); an
    // empty function stops it. A platform that cannot tell never calls it.
    virtual void watchOutputTransport(std::function<void()> changed) { (void)changed; }
    // Keys of the last watch that did not come to us, each with why and what
    // the user can do; empty where every key came.
    virtual std::vector<std::pair<Key, std::string>> keyProblems() { return {}; }
    // Shortcuts the desktop keeps for us; by default a platform has none.
    virtual DesktopShortcuts& desktopShortcuts() {
        static NoDesktopShortcuts none("this desktop keeps no shortcuts that run programs");
        return none;
    }
};

}  // namespace vp
