#pragma once
// The desktop's own settings panels, opened as the desktop's settings
// program would open them: GNOME's control centre panels, KDE's System
// Settings modules. Other desktops have none the program can name, so their
// links are hidden. A Linux platform's settings panes are these.

#include "platform/System.h"

#include <functional>
#include <string>
#include <vector>

namespace vp {

enum class DesktopKind { gnome, kde, other };

// From XDG_CURRENT_DESKTOP, a colon-separated list ("ubuntu:GNOME", "KDE").
DesktopKind desktopKind(const std::string& currentDesktop);

// The command line that opens the desktop's panel for the pane; empty where
// the desktop has no such panel.
std::vector<std::string> settingsCommand(DesktopKind desktop, SettingsPane pane);

class DesktopSettings {
public:
    // Whether a program of that name is on the PATH.
    using Finder = std::function<bool(const std::string&)>;
    // Starts a command without waiting for it; false when it cannot start.
    using Launcher = std::function<bool(const std::vector<std::string>&)>;

    DesktopSettings(DesktopKind desktop, Finder installed, Launcher launch);
    // This session's desktop, the PATH and a detached process.
    static DesktopSettings forThisSession();

    // A pane exists when the desktop has a panel for it and its settings
    // program is installed.
    bool has(SettingsPane pane) const;
    bool open(SettingsPane pane) const;

private:
    DesktopKind desktop_;
    Finder installed_;
    Launcher launch_;
};

// Runs the command detached from this process (its own session, no zombie
// left behind); false when it could not be started.
bool launchDetached(const std::vector<std::string>& command);
// Whether an executable of that name is in one of the PATH's folders.
bool onPath(const std::string& program);

}  // namespace vp
