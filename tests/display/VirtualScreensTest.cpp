#include "display/ConfigScenario.h"

#include "display/VirtualEngine.h"

namespace vp::test {
namespace {

VirtualSpec spec(const std::string& name, std::int64_t w = 1280, std::int64_t h = 720, bool enabled = true) {
    VirtualSpec s;
    s.name = name;
    s.width = w;
    s.height = h;
    s.enabled = enabled;
    return s;
}

std::vector<DisplayID> ids(const std::vector<Screen>& screens) {
    std::vector<DisplayID> out;
    for (const auto& s : screens) out.push_back(s.id);
    return out;
}

TEST(VirtualScreens, AddedScreenIsListedLastUnderItsSpecNameThenToggledAndRemoved) {
    Started sim;
    DisplayManager& m = sim.manager();
    VirtualSpec side = spec("Side panel");
    m.addVirtual(side);
    sim.idle();
    auto id = sim.context->virtualEngine().displayID(side.id);
    ASSERT_TRUE(id);
    EXPECT_EQ(ids(m.state().screens), (std::vector<DisplayID>{1, 2, 3, *id}));
    EXPECT_EQ(m.state().screens.back().name, "Side panel");
    EXPECT_TRUE(m.state().screens.back().isOurVirtual);
    EXPECT_EQ(m.currentModeID(*id), "1280x720@1280x720@60");
    EXPECT_EQ(decodeSpecs(*sim.defaults().data("specs")), (std::vector<VirtualSpec>{side}));

    m.toggleVirtual(spec("Unknown"), false);
    EXPECT_FALSE(sim.platform->mainQueue.hasPendingWork()) << "an unknown spec changes nothing";
    m.toggleVirtual(side, false);
    sim.idle();
    EXPECT_EQ(m.state().screens.size(), 3u);
    EXPECT_FALSE(m.state().specs.at(0).enabled);
    EXPECT_FALSE(decodeSpecs(*sim.defaults().data("specs"))->at(0).enabled);

    m.toggleVirtual(side, true);
    sim.idle();
    EXPECT_EQ(m.state().screens.size(), 4u);
    EXPECT_TRUE(m.state().specs.at(0).enabled);

    m.removeVirtual(side);
    sim.idle();
    EXPECT_EQ(m.state().screens.size(), 3u);
    EXPECT_TRUE(m.state().specs.empty());
    EXPECT_EQ(decodeSpecs(*sim.defaults().data("specs"))->size(), 0u);
}

TEST(VirtualScreens, APlatformWithoutThemRefusesWithItsReason) {
    nlohmann::json s = defaultScenario();
    s["capabilities"] = {{"virtualDisplays", "No virtual screens here"}};
    Started sim(s);
    DisplayManager& m = sim.manager();
    m.addVirtual(spec("Side panel"));
    EXPECT_EQ(m.state().lastError, "No virtual screens here");
    EXPECT_TRUE(m.state().specs.empty());
    m.clearLastError();

    EXPECT_FALSE(m.canOfferHiDPI(*m.screen(2)));
    m.enableHiDPI(*m.screen(2));
    sim.idle();
    EXPECT_EQ(m.state().lastError, "No virtual screens here");
    EXPECT_TRUE(m.state().hiDPIMap.empty());
    EXPECT_TRUE(sim.platform->simVirtualDisplays.descriptors.empty());
}

TEST(VirtualScreens, FailedCreationKeepsTheSpecAndReports) {
    nlohmann::json s = defaultScenario();
    s["virtualDisplays"] = {{"refuseCreate", true}};
    Started sim(s);
    VirtualSpec side = spec("Side");
    sim.manager().addVirtual(side);
    EXPECT_EQ(sim.manager().state().lastError, L("Não foi possível criar a tela virtual."));
    EXPECT_EQ(sim.manager().state().specs, (std::vector<VirtualSpec>{side}));
    EXPECT_TRUE(sim.platform->mainQueue.hasPendingWork()) << "a refresh is scheduled";
}

TEST(VirtualScreens, EnabledSpecsComeBackAtStart) {
    Sim sim;
    VirtualSpec on = spec("On"), off = spec("Off", 1920, 1080, false);
    sim.defaults().setData("specs", *encodeSpecs({on, off}));
    sim.start();
    VirtualEngine& engine = sim.context->virtualEngine();
    EXPECT_TRUE(engine.displayID(on.id));
    EXPECT_FALSE(engine.displayID(off.id));
    ASSERT_EQ(sim.manager().state().screens.size(), 4u);
    EXPECT_EQ(sim.manager().state().screens.back().name, "On");
}

}  // namespace
}  // namespace vp::test
