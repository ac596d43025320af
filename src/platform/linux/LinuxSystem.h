#pragma once
// The user's system on a freedesktop.org desktop: settings in
// $XDG_CONFIG_HOME/velvetpane, the log in $XDG_STATE_HOME/velvetpane, the
// languages of the session's locale, the login item as an autostart entry,
// and the desktop's own settings panels.

#include "platform/FileDefaults.h"
#include "platform/System.h"
#include "platform/XdgAutostart.h"
#include "platform/linux/desktop/DesktopSettings.h"

#include <memory>

namespace vp {

// The XDG base folders of this session, with their usual defaults under the home folder.
struct XdgFolders {
    std::string home, configHome, stateHome, dataHome;
    static XdgFolders fromEnvironment();
};

class LinuxSystem : public SystemServices {
public:
    explicit LinuxSystem(XdgFolders folders);

    Defaults& defaults() override { return *defaults_; }
    std::vector<std::string> preferredLanguages() override;
    std::string logFilePath() override;
    std::string logFileDisplayPath() override;
    std::int64_t processID() override;
    bool loginItemEnabled() override { return autostart_.isEnabled(); }
    bool setLoginItemEnabled(bool on) override { return autostart_.setEnabled(on); }
    bool hasSettingsPane(SettingsPane pane) override { return settings_.has(pane); }
    bool openSettingsPane(SettingsPane pane) override { return settings_.open(pane); }

    const XdgFolders& folders() const { return folders_; }

private:
    XdgFolders folders_;
    std::unique_ptr<FileDefaults> defaults_;
    XdgAutostart autostart_;
    DesktopSettings settings_;
};

}  // namespace vp
