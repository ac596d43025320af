#include "display/VirtualEngine.h"
#include "overlay/XDR.h"
#include "support/SimFixture.h"

namespace vp::test {
namespace {

struct ShutdownSim : Sim {
    // `keeping`: a platform whose configuration outlives the process, so the
    // program itself undoes its changes for this run at quit.
    explicit ShutdownSim(bool keeping = false) : Sim(scenario(keeping)) { start(); }
    static nlohmann::json scenario(bool keeping) {
        auto s = defaultScenario();
        s["windowSystem"] = {{"extendedRangeCompositor", true}};
        s["capabilities"] = {{"configurationOutlivesProcess", keeping}};
        return s;
    }
    Screen screen(DisplayID id) { return *manager().screen(id); }
    bool active(DisplayID id) { return displays().find(id)->active; }
    const GammaTable& gamma(DisplayID id) { return displays().find(id)->gamma; }
    const GammaTable& profileGamma(DisplayID id) { return displays().find(id)->profileGamma; }
    void shutdownAndSettle() {
        manager().shutdown();
        idle();
        platform->advance(Seconds(5));
    }
};

// On every platform: where configuration outlives the process nothing else
// would switch them on, and elsewhere the screens are back before it ends.
TEST(Shutdown, SwitchesOnEveryScreenItSwitchedOff) {
    for (bool keeping : {false, true}) {
        SCOPED_TRACE(keeping ? "configuration outlives the process" : "the process's changes end with it");
        ShutdownSim sim(keeping);
        sim.manager().setEnabled(1, false);
        sim.manager().setEnabled(3, false);
        sim.idle();
        ASSERT_FALSE(sim.active(1));
        ASSERT_FALSE(sim.active(3));

        sim.shutdownAndSettle();
        EXPECT_TRUE(sim.active(1));
        EXPECT_TRUE(sim.active(3));
        EXPECT_TRUE(sim.manager().state().disabled.empty());
        EXPECT_FALSE(sim.manager().state().lastError);
        for (const Screen& s : sim.manager().state().screens) EXPECT_TRUE(s.isActive) << s.id;
        sim.displays().endProcess();
        EXPECT_TRUE(sim.active(1) && sim.active(3)) << "the end of the process leaves them on";
    }
}

TEST(Shutdown, WithoutSwitchingOffTheScreensAreLeftAlone) {
    ShutdownSim sim(true);
    sim.manager().setEnabled(3, false);
    sim.idle();
    sim.platform->simCapabilities.switchOff = Ability::no("gone");
    std::size_t transactions = sim.displays().completedTransactions();
    sim.shutdownAndSettle();
    EXPECT_FALSE(sim.active(3));
    EXPECT_TRUE(sim.manager().state().disabled.contains(3));
    EXPECT_EQ(sim.displays().completedTransactions(), transactions);
}

TEST(Shutdown, RefusalsAreReportedAndTheOtherScreensStillRestored) {
    for (SimRefusals refusals : {SimRefusals{.complete = 1001}, SimRefusals{.enabled = 1001}}) {
        ShutdownSim sim(true);
        sim.manager().setEnabled(1, false);
        sim.manager().setEnabled(3, false);
        sim.manager().setWarmth(sim.screen(2), 0.8);
        sim.idle();
        sim.displays().refusals = refusals;
        sim.shutdownAndSettle();
        EXPECT_EQ(sim.manager().state().lastError, "The system refused the change (1001)");
        EXPECT_EQ(sim.manager().state().disabled.size(), 2u);
        EXPECT_EQ(sim.gamma(2), sim.profileGamma(2));
    }
}

TEST(Shutdown, EndsHiDPIMirroringPermanentlyAndKeepsThePairing) {
    for (bool keeping : {false, true}) {
        SCOPED_TRACE(keeping ? "configuration outlives the process" : "the process's changes end with it");
        ShutdownSim sim(keeping);
        sim.manager().enableHiDPI(sim.screen(3));
        sim.idle();
        auto mirrorOf = sim.displays().find(3)->mirrorOf;
        ASSERT_NE(mirrorOf, 0u);
        ASSERT_TRUE(sim.context->virtualEngine().isOurs(mirrorOf));
        auto stored = sim.defaults().data("hidpi");

        sim.manager().shutdown();
        EXPECT_EQ(sim.displays().find(3)->mirrorOf, 0u);
        EXPECT_EQ(sim.displays().find(mirrorOf), nullptr);
        // Ended permanently: the end of the process does not bring the mirror back.
        sim.displays().endProcess();
        EXPECT_EQ(sim.displays().find(3)->mirrorOf, 0u);
        EXPECT_EQ(sim.manager().state().hiDPIMap.size(), 1u);
        EXPECT_EQ(sim.defaults().data("hidpi"), stored);
    }
}

TEST(Shutdown, LeavesAPhysicalMirrorOfAPhysicalScreen) {
    ShutdownSim sim;
    sim.manager().mirror(3, DisplayID(2));
    sim.idle();
    ASSERT_EQ(sim.displays().find(3)->mirrorOf, 2u);
    sim.shutdownAndSettle();
    EXPECT_EQ(sim.displays().find(3)->mirrorOf, 2u);
}

TEST(Shutdown, RemovesOverlaysAndGivesBackProfileColoursButKeepsSettings) {
    ShutdownSim sim;
    auto& m = sim.manager();
    m.setWarmth(sim.screen(2), 0.8);
    m.setBrightness(3, 0.02);
    m.setXDR(sim.screen(1), 0.5);
    sim.idle();
    ASSERT_NE(sim.gamma(2), sim.profileGamma(2));
    ASSERT_FALSE(sim.platform->simWindows.openWindows(WindowRole::shade).empty());
    PrefsMap prefs = m.state().prefs;
    auto storedPrefs = sim.defaults().data("prefs");

    sim.shutdownAndSettle();
    EXPECT_EQ(sim.gamma(2), sim.profileGamma(2));
    EXPECT_EQ(sim.gamma(3), sim.profileGamma(3));
    EXPECT_TRUE(sim.platform->simWindows.openWindows(WindowRole::shade).empty());
    EXPECT_TRUE(sim.platform->simWindows.openWindows(WindowRole::extraBrightness).empty());
    EXPECT_EQ(m.state().prefs, prefs);
    EXPECT_EQ(sim.defaults().data("prefs"), storedPrefs);
}

}  // namespace
}  // namespace vp::test
