#pragma once
// Takes over the keyboard's brightness keys (and, when the sound goes to a
// monitor over HDMI or DisplayPort that accepts DDC volume, the volume and
// mute keys) with an event tap on the user's input. Everything else passes
// through untouched.
//
// The tap callback runs on the main thread in the path of every key press of
// the user: it only decodes, decides and queues the work on the main queue.
// The system allows the tap only to processes trusted for accessibility;
// while the trust is missing a 3 s timer polls for it.

#include "platform/Input.h"
#include "platform/Platform.h"
#include "platform/Runtime.h"

#include <memory>

namespace vp {

class BrightnessHUD;
class DisplayManager;
class Log;

class BrightnessKeys {
public:
    static constexpr const char* enabledKey = "brightnessKeysAllScreens";
    static constexpr const char* volumeKey = "volumeKeysDDC";
    // Key-down and system-defined events; key-ups are never tapped.
    static constexpr std::uint64_t eventMask = (1u << event::keyDown) | (1u << event::systemDefined);
    static constexpr Seconds retryInterval{3.0};
    static constexpr double step = 1.0 / 16;
    static constexpr double fineStep = 1.0 / 64;  // Option and Shift held
    static constexpr double lowIconThreshold = 0.34;

    BrightnessKeys(Platform& platform, Log& log, DisplayManager& manager, BrightnessHUD& hud);
    ~BrightnessKeys();
    BrightnessKeys(const BrightnessKeys&) = delete;
    BrightnessKeys& operator=(const BrightnessKeys&) = delete;

    // Settings; a missing key or one that is not a boolean reads true.
    bool enabled() const;
    void setEnabled(bool on);  // also starts (with the prompt) or stops
    bool volumeEnabled() const;
    void setVolumeEnabled(bool on);

    bool hasPermission() const;
    bool isRunning() const { return tap != nullptr; }
    bool isWaiting() const { return retryTimer != nullptr; }

    void start(bool prompt);
    void stop();
    // The tap callback: true passes the event on, false swallows it.
    bool handle(const KeyEvent& event);

    // Whether the system's default output device is a display's audio.
    static bool outputIsDisplayAudio(InputServices& input);

private:
    void installTap();
    void scheduleRetry();
    bool handleVolume(std::int64_t keyCode, bool down, std::uint64_t flags);
    void queueBrightness(double delta);
    void queueVolume(std::int64_t keyCode, double stepSize);

    Platform& platform_;
    Log& log_;
    DisplayManager& manager_;
    BrightnessHUD& hud_;
    std::unique_ptr<EventTap> tap;
    std::unique_ptr<TapSource> source;
    WorkItemRef retryTimer;
    LifeToken life_ = std::make_shared<int>(0);
};

}  // namespace vp
