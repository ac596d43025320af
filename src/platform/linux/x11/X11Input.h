#pragma once
// The brightness and sound keys on X11, through root-window key grabs. A
// grab is all or nothing (a grabbed key never reaches the desktop), so the
// platform says KeyDelivery::wholeGrab and the core watches only keys it
// acts on now; where the sound plays, which decides whether the sound keys
// are ours, comes from the desktop's default sink. A key another program
// holds is reported per key with what the user can do, and the other keys
// keep working.

#include "platform/Input.h"
#include "platform/Runtime.h"
#include "platform/linux/audio/DefaultSink.h"

#include <map>
#include <mutex>
#include <string>

namespace vp::x11 {

class X11Input : public InputServices {
public:
    X11Input(std::string display, MainQueue& main, audio::DefaultSink& sound);

    std::unique_ptr<KeyWatch> watchKeys(const std::vector<Key>& keys, KeyHandler handler,
                                        std::function<void()> onLost) override;
    // X11 asks no permission to grab keys.
    bool keysPermitted() override { return true; }
    void requestKeysPermission() override {}
    std::optional<AudioTransport> outputTransport() override { return sound_.transport(); }
    void watchOutputTransport(std::function<void()> changed) override { sound_.watch(std::move(changed)); }
    std::vector<std::pair<Key, std::string>> keyProblems() override;

private:
    std::string display_;
    MainQueue& main_;
    audio::DefaultSink& sound_;
    std::mutex mutex_;
    std::map<Key, std::string> problems_;
};

}  // namespace vp::x11
