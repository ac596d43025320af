#include "app/AppDelegate.h"

#include "support/SimFixture.h"

namespace vp::test {
namespace {

struct DelegateSim : Sim {
    DelegateSim() {
        delegate.applicationDidFinishLaunching();
        idle();
    }
    AppDelegate delegate{*context};
};

TEST(AppDelegate, URLsAreHandledInOrderAndTerminationRunsOnce) {
    DelegateSim sim;
    auto& m = sim.manager();
    sim.delegate.applicationOpenURLs({"velvetpane://brightness?value=50"});
    sim.idle();
    for (const Screen& s : m.state().screens) EXPECT_DOUBLE_EQ(m.state().brightness.at(s.id), 0.5) << s.id;

    m.setEnabled(3, false);
    sim.idle();
    sim.delegate.applicationOpenURLs({"velvetpane://warmth?value=20", "velvetpane://contrast?value=90",
                                      "velvetpane://warmth?value=70", "velvetpane://brightness?value=abc"});
    sim.idle();
    EXPECT_DOUBLE_EQ(m.prefsFor(*m.screen(1)).warmth, 0.7);
    EXPECT_DOUBLE_EQ(m.prefsFor(*m.screen(2)).warmth, 0.7);
    EXPECT_DOUBLE_EQ(m.prefsFor(*m.screen(3)).warmth, ScreenPrefs{}.warmth);
    EXPECT_DOUBLE_EQ(m.state().brightness.at(1), 0.5);
    EXPECT_FALSE(m.state().lastError);

    // Termination gives the screens back, once.
    m.setWarmth(*m.screen(2), 0.8);
    sim.delegate.applicationWillTerminate();
    EXPECT_TRUE(sim.delegate.hasTerminated());
    EXPECT_EQ(sim.displays().find(2)->gamma, sim.displays().find(2)->profileGamma);

    m.setWarmth(*m.screen(2), 0.9);
    sim.delegate.applicationWillTerminate();
    EXPECT_NE(sim.displays().find(2)->gamma, sim.displays().find(2)->profileGamma);
}

}  // namespace
}  // namespace vp::test
