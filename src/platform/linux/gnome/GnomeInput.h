#pragma once
// Keys on GNOME: its settings daemon keeps the brightness and volume keys
// and GNOME lets no program watch keys, so none reach us. What the user can
// have instead are GNOME custom shortcuts that run this program with a
// velvetpane:// URL, added and removed on the user's request.

#include "platform/Input.h"
#include "platform/linux/gnome/GnomeShortcuts.h"

namespace vp::gnome {

class GnomeDesktopShortcuts : public DesktopShortcuts {
public:
    // `program`: what GNOME runs; `environment`: for the settings tool, as
    // in GnomeShortcuts.
    explicit GnomeDesktopShortcuts(std::string program, std::map<std::string, std::string> environment = {});

    Ability ability() override;
    std::vector<DesktopShortcut> installed() override;
    bool install(std::string& why) override;
    bool remove(std::string& why) override;

    // What GNOME keeps for each of ours.
    std::vector<CustomShortcut> wanted() const;

private:
    std::string program_;
    GnomeShortcuts shortcuts_;
};

class GnomeInput : public InputServices {
public:
    explicit GnomeInput(std::string program, std::map<std::string, std::string> environment = {})
        : shortcuts_(std::move(program), std::move(environment)) {}

    std::unique_ptr<KeyWatch> watchKeys(const std::vector<Key>&, KeyHandler, std::function<void()>) override {
        return nullptr;
    }
    bool keysPermitted() override { return true; }
    void requestKeysPermission() override {}
    std::optional<AudioTransport> outputTransport() override { return std::nullopt; }
    DesktopShortcuts& desktopShortcuts() override { return shortcuts_; }

private:
    GnomeDesktopShortcuts shortcuts_;
};

// "<Control><Super>Up" as a person reads it: "Ctrl+Super+Up".
std::string readableBinding(const std::string& binding);

}  // namespace vp::gnome
