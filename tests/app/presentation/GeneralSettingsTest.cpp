#include "app/presentation/AboutRows.h"
#include "app/presentation/GeneralSettings.h"
#include "input/BrightnessKeys.h"
#include "support/SimFixture.h"

namespace vp {
namespace {

// Each switch reads true while missing and is stored at once; "dim below"
// refreshes the screens and the keys switch reaches the keys at once.
TEST(GeneralSettings, PersistedSwitchesReadTrueWhenMissingAndReachWhatTheyDrive) {
    test::Sim sim;
    sim.start();
    GeneralSettings page(*sim.context);
    int published = 0;
    auto connection = sim.manager().onChange([&] { ++published; });
    for (GeneralSwitch id : {GeneralSwitch::restoreHiDPI, GeneralSwitch::keysAllScreens, GeneralSwitch::dimBelow,
                             GeneralSwitch::volumeKeys}) {
        sim.defaults().remove(GeneralSettings::defaultsKey(id));
        EXPECT_TRUE(page.value(id));
        const int before = published;
        page.set(id, false);
        EXPECT_EQ(sim.defaults().boolean(GeneralSettings::defaultsKey(id)), false);
        EXPECT_FALSE(page.value(id));
        if (id == GeneralSwitch::restoreHiDPI) {
            EXPECT_EQ(published, before);
        }
        if (id == GeneralSwitch::dimBelow) {
            EXPECT_GT(published, before);
        }
    }
    EXPECT_FALSE(sim.context->keys().enabled());
    EXPECT_FALSE(sim.context->keys().isRunning());
}

TEST(GeneralSettings, LoginItemReportsARefusalAndTheAccessibilityWarningFollowsThePoll) {
    test::Sim sim;
    sim.start();
    sim.platform->simInput.permitted = false;
    GeneralSettings page(*sim.context);
    EXPECT_FALSE(page.value(GeneralSwitch::loginItem));
    page.set(GeneralSwitch::loginItem, true);
    EXPECT_TRUE(sim.platform->simSystem.loginItem);
    EXPECT_FALSE(sim.manager().state().lastError);
    sim.platform->simSystem.refuseLoginItem = true;
    page.set(GeneralSwitch::loginItem, false);
    EXPECT_TRUE(sim.manager().state().lastError);
    EXPECT_FALSE(page.value(GeneralSwitch::loginItem));  // the switch keeps the user's position

    // The warning shows only while the volume keys want the permission.
    EXPECT_TRUE(page.accessibilityWarning());
    page.set(GeneralSwitch::volumeKeys, false);
    EXPECT_FALSE(page.accessibilityWarning());
    page.set(GeneralSwitch::volumeKeys, true);
    sim.platform->simInput.permitted = true;
    EXPECT_TRUE(page.accessibilityWarning());
    page.pollPermission();
    EXPECT_FALSE(page.accessibilityWarning());
}

TEST(AboutRows, VersionFromTheBuildThePlatformAndTheRealLogLocation) {
    test::Sim sim;
    auto rows = aboutRows(*sim.platform);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].second, VELVETPANE_VERSION);
    // Nobody should take the simulated screens for their own.
    EXPECT_EQ(rows[1].second, "simulated: no real screen is controlled");
    EXPECT_EQ(rows[4].second, sim.platform->simSystem.logFileDisplayPath());
}

}  // namespace
}  // namespace vp
