#pragma once
// The platform under the interface. The real Linux one when --platform (or
// VELVETPANE_PLATFORM) asks for it, or, left to choose, when the machine has
// a display server, a monitor link or a backlight, by the same rule as
// headless mode; the simulated one otherwise and for a scenario, which only
// the simulated platform plays.

#include "platform/linux/LinuxPlatform.h"
#include "platform/qt/QtRuntime.h"
#include "platform/qt/QtWindowSystem.h"

#include <string>
#include <variant>

namespace vp::ui {

// `requested` is "auto" (or empty), "sim" or "linux"; the error text for
// anything else.
std::variant<PlatformChoice, std::string> chooseInterfacePlatform(const std::string& requested,
                                                                  const std::string& scenario);

// The Linux platform with its runtime on the Qt event loop and its windows
// as Qt windows on the screens of the displays' outputs.
class LinuxInterfacePlatform {
public:
    // Must be made on the GUI thread, after the QApplication.
    LinuxInterfacePlatform(LinuxPlatformOptions options, WindowContentFactory contents);
    ~LinuxInterfacePlatform();

    LinuxPlatform& platform() { return platform_; }
    QtWindowSystem& windows() { return windows_; }

private:
    QtRuntime runtime_;
    QtWindowSystem windows_;
    LinuxPlatform platform_;
};

// The XDG folders, or all of them under `home` when one is given.
XdgFolders foldersUnder(const std::string& home);

}  // namespace vp::ui
