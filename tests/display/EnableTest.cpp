#include "display/ConfigScenario.h"

#include "display/VirtualEngine.h"

namespace vp::test {
namespace {

TEST(SetEnabled, SwitchOffAndOnAgainAndARefusedSwitchOn) {
    Started sim;
    DisplayManager& m = sim.manager();
    ASSERT_TRUE(m.canDisable());

    m.setEnabled(3, false);
    EXPECT_EQ(m.state().disabled, (std::map<DisplayID, std::string>{{3, "Office 24"}}));
    sim.idle();
    EXPECT_FALSE(sim.displays().isActive(3));
    ASSERT_TRUE(m.screen(3));
    EXPECT_FALSE(m.screen(3)->isActive);
    EXPECT_EQ(m.screen(3)->name, "Office 24");
    EXPECT_EQ(sim.displays().transactionLog.back(), "complete 0");

    m.setEnabled(3, true);
    sim.idle();
    EXPECT_TRUE(m.state().disabled.empty());
    EXPECT_TRUE(m.screen(3)->isActive);
    EXPECT_FALSE(m.state().lastError);

    // A refused switch-on keeps it listed off.
    m.setEnabled(3, false);
    sim.idle();
    sim.displays().refusals.enabled = 1001;
    m.setEnabled(3, true);
    sim.idle();
    EXPECT_EQ(m.state().disabled.count(3), 1u);
    EXPECT_FALSE(m.screen(3)->isActive);
    EXPECT_EQ(m.state().lastError, refusedText(1001));

    // A screen not listed yet is recorded by the generic name.
    sim.displays().refusals = {};
    SimDisplay late;
    late.id = 9;
    late.bounds = {5760, 0, 1280, 720};
    sim.displays().addDisplay(late, false);
    m.setEnabled(9, false);
    EXPECT_EQ(m.state().disabled.at(9), L("Tela"));
}

// Where configuration outlives the process, nothing but the program itself
// brings a switched-off screen back; elsewhere the system does.
TEST(SetEnabled, WhetherTheScreenComesBackWhenTheProcessEndsDependsOnThePlatform) {
    for (bool keeping : {false, true}) {
        nlohmann::json s = defaultScenario();
        s["capabilities"] = {{"configurationOutlivesProcess", keeping}};
        Started sim(s);
        sim.manager().setEnabled(3, false);
        sim.idle();
        sim.context.reset();
        sim.displays().endProcess();
        EXPECT_EQ(sim.displays().isActive(3), !keeping) << keeping;
    }
}

// A switch-off the system refuses leaves the screen on and showing its
// picture, so it must not be listed as switched off.
TEST(SetEnabled, RefusedSwitchOffLeavesTheScreenListedOn) {
    struct Row {
        const char* what;
        SimRefusals refusals;
        std::optional<Status> message;
    };
    const Row rows[] = {
        {"begin", {.begin = 1000}, std::nullopt},
        {"enabled step", {.enabled = 1001}, 1001},
        {"completion", {.complete = 1004}, 1004},
    };
    for (const auto& row : rows) {
        Started sim;
        sim.displays().refusals = row.refusals;
        sim.manager().setEnabled(3, false);
        sim.idle();
        EXPECT_TRUE(sim.manager().state().disabled.empty()) << row.what;
        EXPECT_TRUE(sim.manager().screen(3)->isActive) << row.what;
        if (row.message) EXPECT_EQ(sim.manager().state().lastError, refusedText(*row.message)) << row.what;
        else EXPECT_FALSE(sim.manager().state().lastError) << row.what;
    }
}

TEST(SetEnabled, TheOnlyStandaloneScreenStaysOn) {
    const std::string refused = L("Não dá para desligar a única tela ativa.");

    nlohmann::json mirroring = monitor(2, 0, 0, 1920, 1080);
    mirroring["mirrorOf"] = 1;
    Started mirrored(scenario({monitor(1, 0, 0, 1920, 1080), mirroring}));
    mirrored.manager().setEnabled(1, false);
    EXPECT_EQ(mirrored.manager().state().lastError, refused);
    EXPECT_TRUE(mirrored.manager().state().disabled.empty());
    EXPECT_EQ(mirrored.displays().transactionLog.size(), 0u);

    // One of our own virtual screens does not count as a place for windows
    // the user can rely on.
    Started withVirtual(scenario({monitor(1, 0, 0, 1920, 1080)}));
    VirtualSpec spec;
    spec.name = "Side";
    spec.width = 1280;
    spec.height = 720;
    withVirtual.manager().addVirtual(spec);
    withVirtual.idle();
    ASSERT_EQ(withVirtual.manager().state().screens.size(), 2u);
    withVirtual.manager().setEnabled(1, false);
    EXPECT_EQ(withVirtual.manager().state().lastError, refused);
    EXPECT_TRUE(withVirtual.manager().state().disabled.empty());

    // Nor does a HiDPI companion that took over as the main screen.
    withVirtual.manager().clearLastError();
    withVirtual.manager().enableHiDPI(*withVirtual.manager().screen(1));
    withVirtual.idle();
    ASSERT_NE(withVirtual.displays().mirrorsDisplay(1), 0u);  // the monitor shows the virtual screen
    withVirtual.manager().setEnabled(1, false);
    withVirtual.idle();
    EXPECT_EQ(withVirtual.manager().state().lastError, refused);
    EXPECT_TRUE(withVirtual.displays().isActive(1));
    EXPECT_TRUE(withVirtual.manager().state().disabled.empty());
}

TEST(SetEnabled, APlatformThatCannotSwitchOffRefusesWithItsReason) {
    nlohmann::json s = defaultScenario();
    s["capabilities"] = {{"switchOff", "This system cannot switch screens off"}};
    Started sim(s);
    EXPECT_FALSE(sim.manager().canDisable());
    sim.manager().setEnabled(3, false);
    sim.idle();
    EXPECT_EQ(sim.manager().state().lastError, "This system cannot switch screens off");
    EXPECT_TRUE(sim.manager().state().disabled.empty());
    EXPECT_TRUE(sim.displays().transactionLog.empty());
    EXPECT_TRUE(sim.manager().screen(3)->isActive);
}

}  // namespace
}  // namespace vp::test
