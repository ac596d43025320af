#pragma once
// The brightness and sound keys, the user's permission to watch them and
// where the sound goes. A back-end translates its own key events into these
// few; every other key stays with the desktop and never reaches the core.

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
    // Keys of the last watch that did not come to us, each with why and what
    // the user can do; empty where every key came.
    virtual std::vector<std::pair<Key, std::string>> keyProblems() { return {}; }
};

}  // namespace vp
