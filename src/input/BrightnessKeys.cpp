#include "input/BrightnessKeys.h"

#include "app/Log.h"
#include "display/DisplayManager.h"
#include "input/BrightnessHUD.h"

namespace vp {

namespace {

double stepFor(std::uint64_t flags) {
    bool fine = (flags & event::flagOption) && (flags & event::flagShift);
    return fine ? BrightnessKeys::fineStep : BrightnessKeys::step;
}

}  // namespace

BrightnessKeys::BrightnessKeys(Platform& platform, Log& log, DisplayManager& manager, BrightnessHUD& hud)
    : platform_(platform), log_(log), manager_(manager), hud_(hud) {}

BrightnessKeys::~BrightnessKeys() {
    stop();
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
}

bool BrightnessKeys::hasPermission() const {
    return platform_.input().isAccessibilityTrusted();
}

void BrightnessKeys::start(bool prompt) {
    if (!enabled() || tap) return;
    InputServices& input = platform_.input();
    if (input.isAccessibilityTrusted()) {
        installTap();
        return;
    }
    if (prompt) input.promptForAccessibility();
    scheduleRetry();
}

void BrightnessKeys::installTap() {
    tap = platform_.input().createEventTap(eventMask, [this](const KeyEvent& e) { return handle(e); });
    if (!tap) {
        log_.write("Teclas de brilho: não foi possível criar o event tap");
        return;
    }
    source = tap->addToMainRunLoop();
    tap->enable(true);
}

// A repeating timer: each tick either starts the tap or schedules the next.
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
    if (tap) tap->enable(false);
    source.reset();
    tap.reset();
}

bool BrightnessKeys::handle(const KeyEvent& e) {
    if (e.type == event::tapDisabledByTimeout || e.type == event::tapDisabledByUserInput) {
        if (tap) tap->enable(true);
        return true;
    }
    if (e.type == event::keyDown) {
        if (e.keyCode != event::keyBrightnessUp && e.keyCode != event::keyBrightnessDown) return true;
        queueBrightness(stepFor(e.flags) * (e.keyCode == event::keyBrightnessUp ? 1 : -1));
        return false;
    }
    if (e.type != event::systemDefined || !e.convertible || e.subtype != event::auxControlButtons) return true;

    std::int64_t keyCode = (e.data1 >> 16) & 0xFFFF;
    bool down = ((e.data1 >> 8) & 0xFF) == event::auxStateDown;
    if (handleVolume(keyCode, down, e.flags)) return false;
    if (keyCode != event::auxBrightnessUp && keyCode != event::auxBrightnessDown) return true;
    // The key-up half of a press is swallowed too, so the system never sees
    // half a key.
    if (down) queueBrightness(stepFor(e.flags) * (keyCode == event::auxBrightnessUp ? 1 : -1));
    return false;
}

// True when the volume key is ours (and so swallowed).
bool BrightnessKeys::handleVolume(std::int64_t keyCode, bool down, std::uint64_t flags) {
    if (keyCode != event::auxSoundUp && keyCode != event::auxSoundDown && keyCode != event::auxMute) return false;
    if (!volumeEnabled() || !manager_.hasDDCVolume()) return false;
    if (!outputIsDisplayAudio(platform_.input())) return false;
    if (down) queueVolume(keyCode, stepFor(flags));
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

void BrightnessKeys::queueVolume(std::int64_t keyCode, double stepSize) {
    WeakLife weak = life_;
    platform_.runtime().main.post([weak, this, keyCode, stepSize] {
        if (!weak.lock()) return;
        if (keyCode == event::auxSoundUp) manager_.stepDDCVolume(stepSize);
        else if (keyCode == event::auxSoundDown) manager_.stepDDCVolume(-stepSize);
        else manager_.toggleDDCMute();
        if (manager_.ddcMuted) {
            hud_.show(0, "speaker.slash.fill");
            return;
        }
        double level = manager_.averageDDCVolume();
        hud_.show(level, level < lowIconThreshold ? "speaker.wave.1.fill" : "speaker.wave.3.fill");
    });
}

bool BrightnessKeys::outputIsDisplayAudio(InputServices& input) {
    auto device = input.defaultOutputDevice();
    if (!device) return false;
    auto transport = input.transportType(*device);
    return transport == fourCC("hdmi") || transport == fourCC("dprt");
}

}  // namespace vp
