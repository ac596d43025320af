#include "input/BrightnessKeys.h"

#include "app/Log.h"
#include "display/DisplayManager.h"
#include "input/BrightnessHUD.h"

namespace vp {

namespace {

double stepFor(const KeyEvent& e) {
    return e.fine ? BrightnessKeys::fineStep : BrightnessKeys::step;
}

bool isSoundKey(Key key) {
    return key == Key::volumeUp || key == Key::volumeDown || key == Key::mute;
}

}  // namespace

BrightnessKeys::BrightnessKeys(Platform& platform, Log& log, DisplayManager& manager, BrightnessHUD& hud)
    : platform_(platform), log_(log), manager_(manager), hud_(hud) {
    managerChanged_ = manager_.onChange([this] { rewatchIfNeeded(); });
    WeakLife weak = life_;
    platform_.input().watchOutputTransport([weak, this] {
        if (weak.lock()) rewatchIfNeeded();
    });
}

BrightnessKeys::~BrightnessKeys() {
    platform_.input().watchOutputTransport({});
    stop();
}

bool BrightnessKeys::soundKeysAreOurs() const {
    return volumeEnabled() && manager_.hasDDCVolume() && outputIsDisplayAudio(platform_.input());
}

// A platform that offers each event gets every key and the answer per
// event; a grabbing one only the keys that are ours right now.
std::vector<Key> BrightnessKeys::keysToWatch() const {
    std::vector<Key> keys = {Key::brightnessUp, Key::brightnessDown};
    if (platform_.capabilities().keys == KeyDelivery::perEvent || soundKeysAreOurs())
        keys.insert(keys.end(), {Key::volumeUp, Key::volumeDown, Key::mute});
    return keys;
}

// The old watch goes first: a grab we still hold would refuse the new one.
void BrightnessKeys::rewatchIfNeeded() {
    if (!watch_ || keysToWatch() == watched_) return;
    watch_.reset();
    watch();
}

bool BrightnessKeys::enabled() const {
    return platform_.system().defaults().boolean(enabledKey).value_or(true);
}

void BrightnessKeys::setEnabled(bool on) {
    platform_.system().defaults().setBool(enabledKey, on);
    if (on) start(true);
    else stop();
}

bool BrightnessKeys::volumeEnabled() const {
    return platform_.system().defaults().boolean(volumeKey).value_or(true);
}

void BrightnessKeys::setVolumeEnabled(bool on) {
    platform_.system().defaults().setBool(volumeKey, on);
    rewatchIfNeeded();
}

bool BrightnessKeys::hasPermission() const {
    return platform_.input().keysPermitted();
}

void BrightnessKeys::start(bool request) {
    if (!enabled() || watch_ || platform_.capabilities().keys == KeyDelivery::none) return;
    InputServices& input = platform_.input();
    if (input.keysPermitted()) {
        watch();
        return;
    }
    if (request) input.requestKeysPermission();
    scheduleRetry();
}

void BrightnessKeys::watch() {
    WeakLife weak = life_;
    watched_ = keysToWatch();
    watch_ = platform_.input().watchKeys(
        watched_, [this](const KeyEvent& e) { return handle(e); },
        [weak, this] {
            if (weak.lock()) watchLost();
        });
    if (!watch_) log_.write("Teclas de brilho: o sistema recusou observar as teclas");
}

// The system ended the watch by itself: a new one at once, or the wait for
// the permission when that is what went.
void BrightnessKeys::watchLost() {
    watch_.reset();
    start(false);
}

// A repeating timer: each tick either starts the watch or schedules the next.
void BrightnessKeys::scheduleRetry() {
    if (retryTimer) retryTimer->cancel();
    WeakLife weak = life_;
    retryTimer = platform_.runtime().main.postAfter(retryInterval, [weak, this] {
        if (!weak.lock()) return;
        if (!hasPermission()) {
            scheduleRetry();
            return;
        }
        retryTimer.reset();
        start(false);
    });
}

void BrightnessKeys::stop() {
    if (retryTimer) retryTimer->cancel();
    retryTimer.reset();
    watch_.reset();
}

bool BrightnessKeys::handle(const KeyEvent& e) {
    if (isSoundKey(e.key)) return handleVolume(e);
    // The release is taken too, so the desktop never sees half a press.
    if (e.pressed) queueBrightness(stepFor(e) * (e.key == Key::brightnessUp ? 1 : -1));
    return true;
}

// True when the sound key is ours.
bool BrightnessKeys::handleVolume(const KeyEvent& e) {
    if (!volumeEnabled() || !manager_.hasDDCVolume()) return false;
    if (!outputIsDisplayAudio(platform_.input())) return false;
    if (e.pressed) queueVolume(e.key, stepFor(e));
    return true;
}

void BrightnessKeys::queueBrightness(double delta) {
    WeakLife weak = life_;
    platform_.runtime().main.post([weak, this, delta] {
        if (!weak.lock()) return;
        manager_.stepAllBrightness(delta);
        double level = manager_.averageBrightness();
        hud_.show(level, level < lowIconThreshold ? "sun.min.fill" : "sun.max.fill");
    });
}

void BrightnessKeys::queueVolume(Key key, double stepSize) {
    WeakLife weak = life_;
    platform_.runtime().main.post([weak, this, key, stepSize] {
        if (!weak.lock()) return;
        if (key == Key::volumeUp) manager_.stepDDCVolume(stepSize);
        else if (key == Key::volumeDown) manager_.stepDDCVolume(-stepSize);
        else manager_.toggleDDCMute();
        if (manager_.state().ddcMuted) {
            hud_.show(0, "speaker.slash.fill");
            return;
        }
        double level = manager_.averageDDCVolume();
        hud_.show(level, level < lowIconThreshold ? "speaker.wave.1.fill" : "speaker.wave.3.fill");
    });
}

bool BrightnessKeys::outputIsDisplayAudio(InputServices& input) {
    auto transport = input.outputTransport();
    return transport == AudioTransport::hdmi || transport == AudioTransport::displayPort;
}

}  // namespace vp
