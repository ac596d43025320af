#include "platform/linux/x11/X11Input.h"

#include "platform/linux/x11/KeyGrabber.h"

#include <atomic>

namespace vp::x11 {

namespace {

constexpr std::pair<Key, KeySym> kKeys[] = {
    {Key::brightnessUp, keysym::monBrightnessUp}, {Key::brightnessDown, keysym::monBrightnessDown},
    {Key::volumeUp, keysym::audioRaiseVolume},    {Key::volumeDown, keysym::audioLowerVolume},
    {Key::mute, keysym::audioMute},
};

// Shift and Alt together ask for the finer step, as Option and Shift do
// elsewhere.
constexpr std::uint16_t kFine = modifier::shift | modifier::mod1;

constexpr const char* kHeldHere = R("held by another program (usually the desktop's own media keys): release it in "
                                    "the desktop's keyboard shortcuts to use it here");

KeySym symOf(Key key) {
    for (auto [k, sym] : kKeys)
        if (k == key) return sym;
    return 0;
}

std::optional<Key> keyOf(KeySym sym) {
    for (auto [k, s] : kKeys)
        if (s == sym) return k;
    return std::nullopt;
}

// Presses already on their way to the main queue when the watch ends are
// dropped there: the handler's owner may be gone by then.
class GrabWatch : public KeyWatch {
public:
    GrabWatch(std::unique_ptr<KeyGrabber> grabber, std::shared_ptr<std::atomic<bool>> alive)
        : grabber_(std::move(grabber)), alive_(std::move(alive)) {}
    ~GrabWatch() override {
        grabber_.reset();  // releases every grab
        *alive_ = false;
    }

private:
    std::unique_ptr<KeyGrabber> grabber_;
    std::shared_ptr<std::atomic<bool>> alive_;
};

}  // namespace

X11Input::X11Input(std::string display, MainQueue& main, audio::DefaultSink& sound)
    : display_(std::move(display)), main_(main), sound_(sound) {}

std::unique_ptr<KeyWatch> X11Input::watchKeys(const std::vector<Key>& keys, KeyHandler handler, std::function<void()>) {
    auto shared = std::make_shared<KeyHandler>(std::move(handler));
    auto alive = std::make_shared<std::atomic<bool>>(true);
    auto grabber = std::make_unique<KeyGrabber>(display_, kFine, [this, shared, alive](const KeyPress& press) {
        auto key = keyOf(press.key);
        if (!key) return;
        KeyEvent event{*key, press.pressed, (press.modifiers & kFine) == kFine};
        main_.post([shared, alive, event] {
            if (*alive) (*shared)(event);
        });
    });
    if (!grabber->problem().empty()) return nullptr;
    std::set<KeySym> syms;
    for (Key key : keys) syms.insert(symOf(key));
    auto result = grabber->hold(syms);
    {
        std::lock_guard lock(mutex_);
        problems_.clear();
        for (Key key : keys)
            if (const std::string& why = result[symOf(key)]; !why.empty())
                problems_[key] = why == KeyGrabber::kHeld ? kHeldHere : why;
    }
    return std::make_unique<GrabWatch>(std::move(grabber), alive);
}

std::vector<std::pair<Key, std::string>> X11Input::keyProblems() {
    std::lock_guard lock(mutex_);
    return {problems_.begin(), problems_.end()};
}

}  // namespace vp::x11
