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
        SettingsPane pane;
        std::vector<std::string> command;
    };
    for (const Case& c : std::vector<Case>{
             {DesktopKind::gnome, SettingsPane::displays, {"gnome-control-center", "display"}},
             {DesktopKind::gnome, SettingsPane::accessibility, {"gnome-control-center", "universal-access"}},
             {DesktopKind::gnome, SettingsPane::screenCapture, {}},
             {DesktopKind::kde, SettingsPane::displays, {"systemsettings", "kcm_kscreen"}},
             {DesktopKind::kde, SettingsPane::accessibility, {"systemsettings", "kcm_keys"}},
             {DesktopKind::kde, SettingsPane::screenCapture, {}},
             {DesktopKind::other, SettingsPane::displays, {}},
             {DesktopKind::other, SettingsPane::accessibility, {}}}) {
        EXPECT_EQ(settingsCommand(c.desktop, c.pane), c.command) << int(c.desktop) << " " << int(c.pane);
        std::vector<std::vector<std::string>> launched;
        DesktopSettings settings(c.desktop, [](const std::string&) { return true; },
                                 [&launched](const std::vector<std::string>& command) {
                                     launched.push_back(command);
                                     return true;
                                 });
        EXPECT_EQ(settings.has(c.pane), !c.command.empty());
        EXPECT_EQ(settings.open(c.pane), !c.command.empty());
        EXPECT_EQ(launched.size(), c.command.empty() ? 0u : 1u);
    }
}

TEST(DesktopSettings, AMissingSettingsProgramHidesThePane) {
    bool launched = false;
    DesktopSettings settings(DesktopKind::gnome, [](const std::string&) { return false; },
                             [&launched](const std::vector<std::string>&) { return launched = true; });
    EXPECT_FALSE(settings.has(SettingsPane::displays));
    EXPECT_FALSE(settings.open(SettingsPane::displays));
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
