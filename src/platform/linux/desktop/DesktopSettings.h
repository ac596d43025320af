#pragma once
// The desktop's own settings panels, opened as the desktop's settings
// program would open them: GNOME's control centre panels, KDE's System
// Settings modules. Other desktops have none the program can name, so their
// links are hidden.

#include <functional>
#include <string>
#include <vector>

namespace vp {

enum class DesktopKind { gnome, kde, other };

// The panels the program links to; the platform maps its settings panes to
// these.
enum class DesktopPanel {
    displays,       // the desktop's display settings
    keys,           // where brightness and volume keys are given to programs
    screenCapture,  // where screen capture is allowed
};

// From XDG_CURRENT_DESKTOP, a colon-separated list ("ubuntu:GNOME", "KDE").
DesktopKind desktopKind(const std::string& currentDesktop);

// The command line that opens the panel; empty where the desktop has no
// such panel.
std::vector<std::string> settingsCommand(DesktopKind desktop, DesktopPanel panel);

class DesktopSettings {
public:
    // Whether a program of that name is on the PATH.
    using Finder = std::function<bool(const std::string&)>;
    // Starts a command without waiting for it; false when it cannot start.
    using Launcher = std::function<bool(const std::vector<std::string>&)>;

    DesktopSettings(DesktopKind desktop, Finder installed, Launcher launch);
    // This session's desktop, the PATH and a detached process.
    static DesktopSettings forThisSession();

    // A panel exists when the desktop has it and its settings program is installed.
    bool has(DesktopPanel panel) const;
    bool open(DesktopPanel panel) const;

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
