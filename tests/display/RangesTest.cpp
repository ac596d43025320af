// Values outside their range are clamped where they enter, and the
// published brightness always follows the curve in use.

#include "display/ConfigScenario.h"
#include "support/HardwareHelpers.h"

#include <functional>
#include <limits>

namespace vp::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Ranges, ColourAndVolumeAreClampedAtTheOperation) {
    Started sim;
    DisplayManager& m = sim.manager();
    const Screen office = *m.screen(3);
    struct Case {
        std::string label;
        std::function<void()> act;
        std::function<double()> read;
        double expected;
    };
    const std::vector<Case> cases = {
        {"contrast -1", [&] { m.setContrast(office, -1); }, [&] { return m.prefsFor(office).contrast; }, 0.0},
        {"contrast 7", [&] { m.setContrast(office, 7); }, [&] { return m.prefsFor(office).contrast; }, 1.0},
        {"contrast NaN", [&] { m.setContrast(office, kNaN); }, [&] { return m.prefsFor(office).contrast; }, 1.0},
        {"warmth 2", [&] { m.setWarmth(office, 2); }, [&] { return m.prefsFor(office).warmth; }, 1.0},
        {"warmth -0.5", [&] { m.setWarmth(office, -0.5); }, [&] { return m.prefsFor(office).warmth; }, 0.0},
        {"volume 2", [&] { m.setVolume(2, 2); }, [&] { return m.state().volume.at(2); }, 1.0},
        {"volume -1", [&] { m.setVolume(2, -1); }, [&] { return m.state().volume.at(2); }, 0.0},
        {"volume NaN", [&] { m.setVolume(2, kNaN); }, [&] { return m.state().volume.at(2); }, 0.0},
    };
    for (const Case& c : cases) {
        c.act();
        EXPECT_EQ(c.read(), c.expected) << c.label;
    }
    sim.idle();
    EXPECT_EQ(sim.platform->simHardware.monitorFor(2)->value(0x62)->current, 0);
    // An inverted curve must never reach the screen nor the stored settings.
    const auto& red = sim.displays().find(3)->gamma.r;
    EXPECT_LE(red.front(), red.back());
    auto stored = decodePrefs(*sim.defaults().data("prefs"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->at(office.uuid).contrast, 1.0);
}

TEST(Ranges, SwitchingCombinedDimmingReDerivesThePublishedBrightness) {
    Started sim;
    DisplayManager& m = sim.manager();
    auto monitor = sim.platform->simHardware.monitorFor(2);
    m.setCombinedDimming(false);
    EXPECT_FALSE(m.combinedDimming());
    EXPECT_NEAR(m.state().brightness.at(1), 0.5, 1e-6);  // backlight 0.5
    EXPECT_NEAR(m.state().brightness.at(2), 0.7, 1e-9);  // DDC 70 of 100
    m.stepAllBrightness(0.0625);
    sim.idle();
    EXPECT_NEAR(sim.platform->simHardware.backlightPanel()->value, 0.5625, 1e-6);
    EXPECT_EQ(monitor->value(0x10)->current, 75);

    m.setCombinedDimming(true);
    EXPECT_NEAR(m.state().brightness.at(1), 0.5625 * 0.8 + 0.2, 1e-6);
    EXPECT_NEAR(m.state().brightness.at(2), 0.75 * 0.8 + 0.2, 1e-9);
}

TEST(Ranges, LeavingCombinedDimmingLiftsTheSoftwareDimming) {
    Started sim;
    DisplayManager& m = sim.manager();
    m.setBrightness(2, 0.01);  // deep below the hardware minimum: shade and gamma
    sim.idle();
    ASSERT_NE(shadeOf(*sim.platform, 2), nullptr);
    m.setCombinedDimming(false);
    sim.idle();
    EXPECT_EQ(m.state().brightness.at(2), 0.0);  // the hardware minimum, as it shows
    EXPECT_EQ(shadeOf(*sim.platform, 2), nullptr);
    EXPECT_EQ(sim.displays().find(2)->gamma, sim.displays().find(2)->profileGamma);
}

}  // namespace
}  // namespace vp::test
