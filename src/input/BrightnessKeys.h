#pragma once
// Takes over the brightness keys (and, when the sound plays on a monitor
// over HDMI or DisplayPort that accepts DDC volume, the volume and mute
// keys). Whatever the core does not take goes on to the desktop where the
// platform offers each event. Where it grabs keys whole, a grabbed key never
// reaches the desktop's mixer: the sound keys are grabbed only while they
// are ours, and let go as soon as the sound moves elsewhere, the monitor
// goes or the user switches them off.
//
// The handler runs on the main queue while the platform waits for its
// answer: it only decides and queues the work. Watching keys may need the
// user's permission; while it is missing a 3 s timer polls for it.

#include "platform/Input.h"
#include "platform/Platform.h"
#include "platform/Runtime.h"
#include "util/Signal.h"

#include <memory>
#include <vector>

namespace vp {

class BrightnessHUD;
class DisplayManager;
class Log;

class BrightnessKeys {
public:
    static constexpr const char* enabledKey = "brightnessKeysAllScreens";
    static constexpr const char* volumeKey = "volumeKeysDDC";
    static constexpr Seconds retryInterval{3.0};
    static constexpr double step = 1.0 / 16;
    static constexpr double fineStep = 1.0 / 64;
    static constexpr double lowIconThreshold = 0.34;

    BrightnessKeys(Platform& platform, Log& log, DisplayManager& manager, BrightnessHUD& hud);
    ~BrightnessKeys();
    BrightnessKeys(const BrightnessKeys&) = delete;
    BrightnessKeys& operator=(const BrightnessKeys&) = delete;

    // Settings; a missing key or one that is not a boolean reads true.
    bool enabled() const;
    void setEnabled(bool on);  // also starts (with the request) or stops
    bool volumeEnabled() const;
    void setVolumeEnabled(bool on);

    bool hasPermission() const;
    bool isRunning() const { return watch_ != nullptr; }
    bool isWaiting() const { return retryTimer != nullptr; }

    void start(bool request);
    void stop();
    // The watch's handler: true when the key was ours.
    bool handle(const KeyEvent& event);

    // Whether the default output plays on a display.
    static bool outputIsDisplayAudio(InputServices& input);

private:
    bool soundKeysAreOurs() const;
    std::vector<Key> keysToWatch() const;
    void rewatchIfNeeded();
    void watch();
    void watchLost();
    void scheduleRetry();
    bool handleVolume(const KeyEvent& event);
    void queueBrightness(double delta);
    void queueVolume(Key key, double stepSize);

    Platform& platform_;
    Log& log_;
    DisplayManager& manager_;
    BrightnessHUD& hud_;
    std::unique_ptr<KeyWatch> watch_;
    std::vector<Key> watched_;
    Signal::Connection managerChanged_;
    WorkItemRef retryTimer;
    LifeToken life_ = std::make_shared<int>(0);
};

}  // namespace vp
