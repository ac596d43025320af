#include "overlay/ColorProfiles.h"
#include "overlay/ICCBuilder.h"
#include "support/SimFixture.h"
#include "support/TempDir.h"

#include <filesystem>

namespace vp::test {
namespace {

namespace fs = std::filesystem;

struct ProfileSim {
    ProfileSim() : home(dir.path()) {
        writeFile(home / "Library/ColorSync/Profiles/warm.icc", profile({descTag("Warm Panel")}));
        sim = std::make_unique<Sim>(defaultScenario(), SimOptions{home.string()});
        sim->start();
    }
    DisplayManager& manager() { return sim->manager(); }
    Screen screen(DisplayID id) { return *manager().screen(id); }
    std::string warm() { return (home / "Library/ColorSync/Profiles/warm.icc").string(); }

    TempDir dir;
    fs::path home;
    std::unique_ptr<Sim> sim;
};

TEST(ColorProfileOperations, AppliedProfileRebuildsColoursAfterTheSystemSettles) {
    ProfileSim p;
    auto& m = p.manager();
    m.setWarmth(p.screen(2), 0.8);
    GammaTable tinted = p.sim->displays().find(2)->gamma;
    std::string uuid = *p.sim->displays().uuid(2);

    m.setColorProfile(p.screen(2), p.warm());
    EXPECT_EQ(p.sim->platform->simSystem.profileAssignments.at(uuid), p.warm());
    p.sim->platform->advance(Seconds(0.5));
    EXPECT_EQ(m.state().profileTick, 0);
    p.sim->platform->advance(Seconds(0.2));
    EXPECT_EQ(m.state().profileTick, 1);
    EXPECT_EQ(p.sim->displays().find(2)->gamma, tinted);
    EXPECT_FALSE(m.state().lastError);

    m.setColorProfile(p.screen(2), std::nullopt);
    p.sim->idle();
    EXPECT_FALSE(p.sim->platform->simSystem.profileAssignments.contains(uuid));
    EXPECT_EQ(m.state().profileTick, 2);
}

TEST(ColorProfileOperations, RefusedAssignmentReportsWhyAndChangesNothing) {
    for (bool managed : {true, false}) {
        ProfileSim p;
        p.sim->platform->simSystem.refuseProfiles = managed;
        p.sim->platform->simSystem.colorManagement = managed;
        p.manager().setColorProfile(p.screen(2), p.warm());
        p.sim->idle();
        EXPECT_EQ(p.manager().state().lastError, managed ? "The system refused the change"
                                                         : "This system has no colour management to assign profiles with");
        EXPECT_EQ(p.manager().state().profileTick, 0);
    }
}

TEST(ColorProfileOperations, ListIsKeptUntilReloadedAndTheFolderIsMadeToShowIt) {
    ProfileSim p;
    auto& m = p.manager();
    ASSERT_EQ(m.iccProfiles(2).size(), 1u);
    EXPECT_EQ(m.iccProfiles(2)[0].name, "Warm Panel");
    writeFile(p.home / "Library/ColorSync/Profiles/Displays/cool.icm", profile({descTag("Cool Panel")}));
    EXPECT_EQ(m.iccProfiles(2).size(), 1u);
    m.reloadProfiles();
    ASSERT_EQ(m.iccProfiles(2).size(), 2u);
    EXPECT_EQ(m.iccProfiles(2)[0].name, "Cool Panel");

    // Opening the folder makes the user's folder where it is missing, and shows it.
    fs::remove_all(p.home / "Library");
    m.openProfilesFolder();
    const std::string user = (p.home / "Library/ColorSync/Profiles").string();
    EXPECT_TRUE(fs::is_directory(user));
    EXPECT_EQ(p.sim->platform->simSystem.shownFolders, std::vector<std::string>{user});
}

}  // namespace
}  // namespace vp::test
