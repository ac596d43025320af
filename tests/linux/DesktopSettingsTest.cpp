#include "platform/linux/desktop/DesktopSettings.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace vp::test {
namespace {

TEST(DesktopSettings, DesktopFromTheSessionsList) {
    EXPECT_EQ(desktopKind("GNOME"), DesktopKind::gnome);
    EXPECT_EQ(desktopKind("ubuntu:GNOME"), DesktopKind::gnome);
    EXPECT_EQ(desktopKind("KDE"), DesktopKind::kde);
    EXPECT_EQ(desktopKind("XFCE"), DesktopKind::other);
    EXPECT_EQ(desktopKind("GNOME-Flashback:Unity"), DesktopKind::other);
    EXPECT_EQ(desktopKind(""), DesktopKind::other);
}

TEST(DesktopSettings, PanesAreTheDesktopsOwnAndHiddenElsewhere) {
    struct Case {
        DesktopKind desktop;
        DesktopPanel panel;
        std::vector<std::string> command;
    };
    for (const Case& c : std::vector<Case>{
             {DesktopKind::gnome, DesktopPanel::displays, {"gnome-control-center", "display"}},
             {DesktopKind::gnome, DesktopPanel::keys, {"gnome-control-center", "universal-access"}},
             {DesktopKind::gnome, DesktopPanel::screenCapture, {}},
             {DesktopKind::kde, DesktopPanel::displays, {"systemsettings", "kcm_kscreen"}},
             {DesktopKind::kde, DesktopPanel::keys, {"systemsettings", "kcm_keys"}},
             {DesktopKind::kde, DesktopPanel::screenCapture, {}},
             {DesktopKind::other, DesktopPanel::displays, {}},
             {DesktopKind::other, DesktopPanel::keys, {}}}) {
        EXPECT_EQ(settingsCommand(c.desktop, c.panel), c.command) << int(c.desktop) << " " << int(c.panel);
        std::vector<std::vector<std::string>> launched;
        DesktopSettings settings(c.desktop, [](const std::string&) { return true; },
                                 [&launched](const std::vector<std::string>& command) {
                                     launched.push_back(command);
                                     return true;
                                 });
        EXPECT_EQ(settings.has(c.panel), !c.command.empty());
        EXPECT_EQ(settings.open(c.panel), !c.command.empty());
        EXPECT_EQ(launched.size(), c.command.empty() ? 0u : 1u);
    }
}

TEST(DesktopSettings, AMissingSettingsProgramHidesThePane) {
    bool launched = false;
    DesktopSettings settings(DesktopKind::gnome, [](const std::string&) { return false; },
                             [&launched](const std::vector<std::string>&) { return launched = true; });
    EXPECT_FALSE(settings.has(DesktopPanel::displays));
    EXPECT_FALSE(settings.open(DesktopPanel::displays));
    EXPECT_FALSE(launched);
}

TEST(DesktopSettings, LaunchesDetachedAndReportsAProgramThatCannotStart) {
    TempDir dir;
    const std::string marker = dir.file("started");
    ASSERT_TRUE(launchDetached({"sh", "-c", "touch '" + marker + "'"}));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!std::filesystem::exists(marker) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(std::filesystem::exists(marker));
    EXPECT_FALSE(launchDetached({"velvetpane-no-such-program"}));
    EXPECT_FALSE(launchDetached({}));
    EXPECT_TRUE(onPath("sh"));
    EXPECT_FALSE(onPath("velvetpane-no-such-program"));
}

}  // namespace
}  // namespace vp::test
