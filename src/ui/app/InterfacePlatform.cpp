#include "ui/app/InterfacePlatform.h"

#include "platform/linux/LookAround.h"

namespace vp::ui {

namespace {
// Above the overlay level, so the shade just below it is above every window.
constexpr int kShieldingLevel = 2000;
}  // namespace

std::variant<PlatformChoice, std::string> chooseInterfacePlatform(const std::string& requested,
                                                                  const std::string& scenario) {
    if (!scenario.empty() && requested != "linux")
        return PlatformChoice{PlatformKind::simulated, DisplayBackendKind::none, "simulated platform (a scenario)"};
    if (requested == "sim") return choosePlatform(requested, {});
    return choosePlatform(requested, lookAround(LinuxPaths::fromEnvironment()));
}

LinuxInterfacePlatform::LinuxInterfacePlatform(LinuxPlatformOptions options, WindowContentFactory contents)
    : windows_(QtScreenSource{[this] { return platform_.screens(); }, kShieldingLevel,
                              [this](DisplayID id) { return platform_.outputName(id); },
                              [this] { return bool(platform_.capabilities().shade); }},
               runtime_.main(), std::move(contents)),
      platform_(std::move(options), runtime_.runtime(), &windows_) {}

LinuxInterfacePlatform::~LinuxInterfacePlatform() {
    // DDC work in flight talks to the monitors the platform holds.
    runtime_.finishDDC();
}

XdgFolders foldersUnder(const std::string& home) {
    if (home.empty()) return XdgFolders::fromEnvironment();
    return {home, home + "/.config", home + "/.local/state", home + "/.local/share"};
}

}  // namespace vp::ui
