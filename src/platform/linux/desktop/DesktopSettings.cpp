#include "platform/linux/desktop/DesktopSettings.h"

#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace vp {

DesktopKind desktopKind(const std::string& currentDesktop) {
    std::istringstream names(currentDesktop);
    for (std::string name; std::getline(names, name, ':');) {
        if (name == "GNOME") return DesktopKind::gnome;
        if (name == "KDE") return DesktopKind::kde;
    }
    return DesktopKind::other;
}

std::vector<std::string> settingsCommand(DesktopKind desktop, SettingsPane pane) {
    switch (desktop) {
        case DesktopKind::gnome:
            if (pane == SettingsPane::displays) return {"gnome-control-center", "display"};
            // The keyboard and pointer aids: the nearest GNOME has to a place
            // that governs how keys reach programs.
            if (pane == SettingsPane::accessibility) return {"gnome-control-center", "universal-access"};
            return {};
        case DesktopKind::kde:
            if (pane == SettingsPane::displays) return {"systemsettings", "kcm_kscreen"};
            // Brightness and volume keys are shortcuts KDE assigns itself.
            if (pane == SettingsPane::accessibility) return {"systemsettings", "kcm_keys"};
            return {};
        case DesktopKind::other: break;
    }
    return {};
}

DesktopSettings::DesktopSettings(DesktopKind desktop, Finder installed, Launcher launch)
    : desktop_(desktop), installed_(std::move(installed)), launch_(std::move(launch)) {}

DesktopSettings DesktopSettings::forThisSession() {
    const char* current = std::getenv("XDG_CURRENT_DESKTOP");
    return DesktopSettings(desktopKind(current ? current : ""), onPath, launchDetached);
}

bool DesktopSettings::has(SettingsPane pane) const {
    auto command = settingsCommand(desktop_, pane);
    return !command.empty() && installed_(command.front());
}

bool DesktopSettings::open(SettingsPane pane) const {
    if (!has(pane)) return false;
    return launch_(settingsCommand(desktop_, pane));
}

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0) return true;
    return false;
}

bool launchDetached(const std::vector<std::string>& command) {
    if (command.empty()) return false;
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    // The exec's outcome comes back through a close-on-exec pipe: closed
    // unread when the program started, one byte when it did not.
    int status[2];
    if (pipe2(status, O_CLOEXEC) != 0) return false;
    pid_t child = fork();
    if (child < 0) {
        close(status[0]);
        close(status[1]);
        return false;
    }
    if (child == 0) {
        // The grandchild runs the program; the child ends at once, so the
        // program is nobody's child here and leaves no zombie.
        setsid();
        pid_t grandchild = fork();
        if (grandchild == 0) execvp(argv[0], argv.data());
        if (grandchild <= 0) {
            char failed = 1;
            (void)!write(status[1], &failed, 1);
        }
        _exit(0);
    }
    close(status[1]);
    int ignored = 0;
    waitpid(child, &ignored, 0);
    char failed = 0;
    ssize_t n = read(status[0], &failed, 1);
    close(status[0]);
    return n == 0;
}

}  // namespace vp
