#pragma once
// The brightness and sound keys on X11, through root-window key grabs. A
// grab is all or nothing (a grabbed key never reaches the desktop), so the
// platform says KeyDelivery::wholeGrab and the core watches only keys it
// always acts on. A key another program holds is reported per key with what
// the user can do, and the other keys keep working.

#include "platform/Input.h"
#include "platform/Runtime.h"

#include <map>
#include <mutex>
#include <string>

namespace vp::x11 {

class X11Input : public InputServices {
public:
    X11Input(std::string display, MainQueue& main);

    std::unique_ptr<KeyWatch> watchKeys(const std::vector<Key>& keys, KeyHandler handler,
                                        std::function<void()> onLost) override;
    // X11 asks no permission to grab keys.
    bool keysPermitted() override { return true; }
    void requestKeysPermission() override {}
    // X11 does not know where the sound plays.
    std::optional<AudioTransport> outputTransport() override { return std::nullopt; }
    std::vector<std::pair<Key, std::string>> keyProblems() override;

private:
    std::string display_;
    MainQueue& main_;
    std::mutex mutex_;
    std::map<Key, std::string> problems_;
};

}  // namespace vp::x11
