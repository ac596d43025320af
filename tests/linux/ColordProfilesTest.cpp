#include "LogindStandIn.h"
#include "TestFiles.h"
#include "platform/linux/desktop/ColordProfiles.h"
#include "platform/linux/desktop/Md5.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vp {
namespace {

using ColordStandIn = test::LogindStandIn;

const std::string kStandIn = test::besideTestBinary("colord-standin.py");
const std::vector<std::uint8_t> kEdid = {0x00, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x00, 0x4c, 0x2d, 0x01, 0x02};

// Display 2 is the monitor colord knows by its EDID; display 9 is unknown.
std::unique_ptr<ColordProfiles> profilesOn(const std::string& address, const std::string& home,
                                           std::vector<std::string>* shown = nullptr) {
    auto identify = [](DisplayID id) -> std::optional<ColordDisplay> {
        if (id == 2) return ColordDisplay{kEdid, "DP-1"};
        if (id == 9) return ColordDisplay{{9}, "HDMI-9"};
        return std::nullopt;
    };
    auto show = [shown](const std::string& folder) {
        if (shown) shown->push_back(folder);
        return true;
    };
    return std::make_unique<ColordProfiles>(home, "", identify, std::make_unique<ColordClient>(address), show);
}

std::string scenario(const std::string& home) {
    return R"({"devices": [{"id": "xrandr-Lumina", "edid_md5": ")" + md5Hex(kEdid) + R"(", "output": "DP-1",
               "profiles": [")" + home + R"(/.local/share/icc/edid-0f.icc"]}]})";
}

TEST(ColordProfiles, AssignsThroughColordAndGoesBackToTheDisplaysOwn) {
    test::TempDir home;
    ColordStandIn colord(kStandIn, scenario(home.path().string()));
    if (colord.address().empty()) GTEST_SKIP() << "no dbus-daemon or python3-dbusmock for the stand-in colord";
    auto profiles = profilesOn(colord.address(), home.path().string());
    // With colord answering, the display server's profile is not the word.
    profiles->showServerProfiles([](DisplayID) { return std::vector<std::uint8_t>{1, 2, 3}; }, home.file("server"));
    EXPECT_EQ(profiles->assignmentProblem(), "");
    // The profile colord made from the EDID is the display's own default.
    EXPECT_EQ(profiles->assigned(2), std::nullopt);
    EXPECT_TRUE(profiles->assign(2, std::string("/usr/share/color/icc/warm.icc")));
    EXPECT_EQ(profiles->assigned(2), "/usr/share/color/icc/warm.icc");
    EXPECT_TRUE(profiles->assign(2, std::nullopt));
    EXPECT_EQ(profiles->assigned(2), std::nullopt);
    // Displays colord or the platform do not know take nothing.
    EXPECT_FALSE(profiles->assign(9, std::string("/usr/share/color/icc/warm.icc")));
    EXPECT_FALSE(profiles->assign(5, std::string("/usr/share/color/icc/warm.icc")));
    EXPECT_EQ(profiles->assigned(5), std::nullopt);
}

TEST(ColordProfiles, WithoutColordTheFoldersRemainAndAssignmentSaysWhy) {
    test::TempDir home;
    ColordStandIn empty(kStandIn, R"({"devices": null})");
    if (empty.address().empty()) GTEST_SKIP() << "no dbus-daemon for an empty bus";
    std::vector<std::string> shown;
    auto profiles = profilesOn(empty.address(), home.path().string(), &shown);
    std::string problem = profiles->assignmentProblem();
    EXPECT_NE(problem.find("colord"), std::string::npos) << problem;
    EXPECT_FALSE(profiles->assign(2, std::string("/usr/share/color/icc/warm.icc")));
    EXPECT_EQ(profiles->assigned(2), std::nullopt);
    // The display server's profile is then the one shown: see LinuxPlatformProfilesTest.

    const std::string user = home.file(".local/share/icc");
    EXPECT_EQ(profiles->folders(2), (std::vector<std::string>{user, "/usr/local/share/color/icc",
                                                              "/usr/share/color/icc", "/var/lib/colord/icc"}));
    EXPECT_TRUE(profiles->openUserFolder());
    EXPECT_TRUE(std::filesystem::is_directory(user));
    EXPECT_EQ(shown, std::vector<std::string>{user});
}

TEST(ColordProfiles, TheUserFolderIsShownAsTheUserWouldWriteIt) {
    auto shown = [](const std::string& home, const std::string& dataHome) {
        ColordProfiles profiles(home, dataHome, [](DisplayID) { return std::nullopt; },
                                std::make_unique<ColordClient>("unix:path=/nonexistent"),
                                [](const std::string&) { return true; });
        return profiles.userFolderDisplayPath();
    };
    EXPECT_EQ(shown("/home/ana", ""), "~/.local/share/icc");
    EXPECT_EQ(shown("/home/ana", "/home/ana/data"), "~/data/icc");
    // Only a whole folder name is the home: /home/anabel is not under /home/ana.
    EXPECT_EQ(shown("/home/ana", "/home/anabel/data"), "/home/anabel/data/icc");
    EXPECT_EQ(shown("/home/ana", "/srv/xdg"), "/srv/xdg/icc");
}

}  // namespace
}  // namespace vp
