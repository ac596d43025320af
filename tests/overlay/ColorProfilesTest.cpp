#include "overlay/ColorProfiles.h"

#include "overlay/ICCBuilder.h"
#include "support/SimFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vp {
namespace {

using namespace vp::test;
namespace fs = std::filesystem;

struct ProfileFolders : ::testing::Test {
    TempDir home;
    Sim sim{defaultScenario(), SimOptions{home.path().string()}};
    fs::path system() { return fs::path(sim.platform->simSystem.systemRoot()) / "System/Library/ColorSync/Profiles"; }
    fs::path machine() { return fs::path(sim.platform->simSystem.systemRoot()) / "Library/ColorSync/Profiles"; }
    fs::path user() { return home.path() / "Library/ColorSync/Profiles"; }
    fs::path userDisplays() { return user() / "Displays"; }
    std::vector<std::string> names() {
        std::vector<std::string> out;
        for (const auto& p : ColorProfiles::all(*sim.platform, 2)) out.push_back(p.name);
        return out;
    }
};

// Missing folders are skipped; in the others only display RGB profiles count.
TEST_F(ProfileFolders, ListsDisplayRGBProfilesNamedSortedAndDeduplicated) {
    EXPECT_TRUE(names().empty());
    writeFile(system() / "Zeta.ICC", profile({descTag("zeta panel")}));
    writeFile(system() / "studio.icc", profile({descTag("Studio")}));
    writeFile(system() / "printer.icc", profile({descTag("Printer")}, "prtr"));
    writeFile(system() / "cmyk.icc", profile({descTag("Press")}, "mntr", "CMYK"));
    writeFile(system() / "grey.icm", profile({descTag("Grey")}, "mntr", "GRAY"));
    writeFile(system() / "short.icc", Bytes(19, 0));
    writeFile(system() / "notes.txt", profile({descTag("Not a profile name")}));
    writeFile(machine() / "Displays/Beta Panel.icm", profile({descTag("x", 1)}));
    writeFile(user() / "copy-of-studio.icc", profile({descTag("STUDIO")}));
    writeFile(userDisplays() / "v4.icc", profile({mlucTag(utf16be(u"\u00C9cran"))}));
    writeFile(userDisplays() / "alpha.icc", profile({descTag("alpha")}));
    fs::create_directories(user() / "folder.icc");

    EXPECT_EQ(names(), (std::vector<std::string>{"alpha", "Beta Panel", "\xC3\x89" "cran", "Studio", "zeta panel"}));
    auto list = ColorProfiles::all(*sim.platform, 2);
    auto studio = std::find_if(list.begin(), list.end(), [](const ICCProfile& p) { return p.name == "Studio"; });
    ASSERT_NE(studio, list.end());
    EXPECT_EQ(fs::path(studio->path), system() / "studio.icc");
}

TEST_F(ProfileFolders, ApplyRecordsTheAssignmentAndTheScreenShowsItsName) {
    writeFile(user() / "warm.icc", profile({descTag("Warm Panel")}));
    writeFile(user() / "plain.icc", Bytes(8, 0));
    std::string path = (user() / "warm.icc").string();
    sim.start();
    auto& system = sim.platform->simSystem;
    std::string uuid = *sim.displays().uuid(2);

    EXPECT_EQ(ColorProfiles::currentName(*sim.platform, 2), "sRGB IEC61966-2.1");
    EXPECT_TRUE(ColorProfiles::apply(*sim.platform, path, 2));
    EXPECT_EQ(system.profileAssignments.at(uuid), path);
    EXPECT_EQ(sim.platform->profiles().assigned(2), path);
    EXPECT_EQ(ColorProfiles::currentName(*sim.platform, 2), "Warm Panel");

    EXPECT_TRUE(ColorProfiles::apply(*sim.platform, std::nullopt, 2));
    EXPECT_FALSE(system.profileAssignments.contains(uuid));
    EXPECT_EQ(sim.platform->profiles().assigned(2), std::nullopt);
    EXPECT_EQ(ColorProfiles::currentName(*sim.platform, 2), "sRGB IEC61966-2.1");
    EXPECT_EQ(ColorProfiles::currentName(*sim.platform, 99), std::nullopt);

    EXPECT_FALSE(ColorProfiles::apply(*sim.platform, path, 99));

    // The assigned profile names the screen even where the screen has no colour space name.
    sim.platform->simWindows.colorSpaceName = [](const SimDisplay&) { return std::string(); };
    EXPECT_EQ(ColorProfiles::currentName(*sim.platform, 2), "");
    ASSERT_TRUE(ColorProfiles::apply(*sim.platform, path, 2));
    EXPECT_EQ(ColorProfiles::currentName(*sim.platform, 2), "Warm Panel");
    // A file that is no profile is still named, by its file name.
    ASSERT_TRUE(ColorProfiles::apply(*sim.platform, (user() / "plain.icc").string(), 2));
    EXPECT_EQ(ColorProfiles::currentName(*sim.platform, 2), "plain");
}

}  // namespace
}  // namespace vp
