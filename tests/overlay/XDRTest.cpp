#include "overlay/XDR.h"

#include "support/SimFixture.h"

namespace vp::test {
namespace {

nlohmann::json edrScenario(bool compositor = true) {
    auto s = defaultScenario();
    s["windowSystem"] = {{"extendedRangeCompositor", compositor}};
    s["displays"][1]["edrHeadroom"] = 1.3;
    s["displays"][2]["edrHeadroom"] = 4.0;
    return s;
}

struct XDRSim : Sim {
    explicit XDRSim(bool compositor = true) : Sim(edrScenario(compositor)) { start(); }
    XDR& xdr() { return context->xdr(); }
    std::vector<std::shared_ptr<SimWindowRecord>> overlays() {
        return platform->simWindows.openWindows(WindowRole::extraBrightness);
    }
    Screen screen(DisplayID id) { return *manager().screen(id); }
    void refreshNow() {
        manager().scheduleRefresh();
        idle();
    }
};

TEST(XDR, FactorMapping) {
    struct Case { double headroom, level, factor; };
    for (auto c : std::vector<Case>{{4.0, 0.5, 1.4}, {1.3, 1.0, 1.3}, {1.5, 2.0, 1.5}, {16.0, 1.0, 1.8},
                                    {1.8, 1.0, 1.8}, {2.0, 0.25, 1.2}, {1.0, 1.0, 1.0}})
        EXPECT_NEAR(XDR::factorFor(c.headroom, c.level), c.factor, 1e-12) << c.headroom << " at " << c.level;
}

TEST(XDR, SupportsNeedsScreenHeadroomAndCompositorAndLevelsAreClamped) {
    XDRSim sim;
    EXPECT_TRUE(sim.xdr().supports(1));
    EXPECT_TRUE(sim.xdr().supports(2));
    EXPECT_FALSE(sim.xdr().supports(99));
    EXPECT_DOUBLE_EQ(sim.xdr().headroom(99), 1.0);
    sim.displays().find(2)->edrHeadroom = 1.2;
    EXPECT_FALSE(sim.xdr().supports(2));
    EXPECT_TRUE(sim.manager().supportsXDR(sim.screen(1)));
    Screen inactive = sim.screen(1);
    inactive.isActive = false;
    EXPECT_FALSE(sim.manager().supportsXDR(inactive));
    Screen ours = sim.screen(1);
    ours.isOurVirtual = true;
    EXPECT_FALSE(sim.manager().supportsXDR(ours));

    // Stored levels are clamped, and tiny ones are not kept.
    auto& m = sim.manager();
    m.setXDR(sim.screen(1), 3.0);
    EXPECT_EQ(m.state().xdrLevel.at(1), 1.0);
    EXPECT_EQ(sim.xdr().factor(1), 1.8);
    m.setXDR(sim.screen(3), 0.005);
    EXPECT_FALSE(m.state().xdrLevel.contains(3));
    EXPECT_TRUE(sim.xdr().factor(3));
    sim.refreshNow();
    EXPECT_FALSE(sim.xdr().factor(3));
    EXPECT_EQ(sim.xdr().factor(1), 1.8);
    m.setXDR(sim.screen(1), -0.5);
    EXPECT_FALSE(m.state().xdrLevel.contains(1));
    EXPECT_TRUE(sim.overlays().empty());
    m.setXDR(sim.screen(1), std::nan(""));
    EXPECT_FALSE(m.state().xdrLevel.contains(1));

    XDRSim without(false);
    EXPECT_FALSE(without.xdr().supports(1));
    without.manager().setXDR(without.screen(1), 1.0);
    EXPECT_TRUE(without.overlays().empty());
    EXPECT_EQ(without.manager().state().xdrLevel.at(1), 1.0);
}

// The overlay lets clicks through and stays out of captures; a level change
// updates it in place, a screen that moved gets a new one, and one switched
// off has none until it is back.
TEST(XDR, OverlayCoversItsScreenAndFollowsLevelAndPlace) {
    XDRSim sim;
    auto& m = sim.manager();
    m.setXDR(sim.screen(3), 0.5);
    ASSERT_EQ(sim.overlays().size(), 1u);
    auto first = sim.overlays().at(0);
    EXPECT_DOUBLE_EQ(first->multiplyFactor, 1.4);
    EXPECT_TRUE(first->visible);
    EXPECT_EQ(first->config.sharingType, 0);
    EXPECT_TRUE(first->config.ignoresMouseEvents);
    EXPECT_EQ(first->frame, sim.xdr().screen(3)->frame);
    m.setXDR(sim.screen(3), 1.0);
    EXPECT_EQ(sim.overlays(), std::vector{first});
    EXPECT_DOUBLE_EQ(first->multiplyFactor, 1.8);
    sim.refreshNow();
    EXPECT_EQ(sim.overlays(), std::vector{first});

    sim.displays().find(3)->bounds.x += 200;
    sim.displays().announce(3);
    sim.idle();
    ASSERT_EQ(sim.overlays().size(), 1u);
    auto second = sim.overlays().at(0);
    EXPECT_NE(second, first);
    EXPECT_TRUE(first->closed);
    EXPECT_EQ(second->frame, sim.xdr().screen(3)->frame);
    EXPECT_DOUBLE_EQ(second->multiplyFactor, 1.8);

    // Switched off, the screen loses its overlay but keeps its level.
    sim.displays().find(3)->active = false;
    sim.displays().announce(3);
    sim.idle();
    EXPECT_TRUE(sim.overlays().empty());
    EXPECT_EQ(m.state().xdrLevel.at(3), 1.0);
    sim.displays().find(3)->active = true;
    sim.displays().announce(3);
    sim.idle();
    EXPECT_EQ(sim.xdr().factor(3), 1.8);
}

}  // namespace
}  // namespace vp::test
