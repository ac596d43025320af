#pragma once
// The login item on a freedesktop.org desktop: an autostart entry in the
// user's configuration folder, which the session starts at login.

#include <string>

namespace vp {

class XdgAutostart {
public:
    // entryPath: where the .desktop file lives; command: what it starts.
    XdgAutostart(std::string entryPath, std::string command);

    // True when the entry exists and is not hidden.
    bool isEnabled() const;
    // Writes or removes the entry; false when the file system refused.
    bool setEnabled(bool on);

    // <configHome>/autostart/velvetpane.desktop
    static std::string entryPathUnder(const std::string& configHome);
    // This program's executable, or "velvetpane" when it cannot be found.
    static std::string currentExecutable();

private:
    std::string entryPath_;
    std::string command_;
};

}  // namespace vp
