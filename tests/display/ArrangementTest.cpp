#include "display/ConfigScenario.h"

namespace vp::test {
namespace {

using Calls = std::vector<std::string>;

TEST(MakeMain, ShiftsTheArrangementSoTheChosenDisplayIsAtTheOrigin) {
    Sim sim(scenario({monitor(1, 0, 0, 1920, 1080), monitor(2, 1920, -200, 2560, 1440)}));
    sim.start();
    std::size_t mark = sim.displays().transactionLog.size();
    sim.manager().makeMain(2);
    sim.idle();
    EXPECT_EQ(callsSince(sim.displays(), mark), (Calls{"begin", "main 2", "complete 2"}));
    EXPECT_EQ(sim.manager().screen(2)->bounds, (Rect{0, 0, 2560, 1440}));
    EXPECT_EQ(sim.manager().screen(1)->bounds, (Rect{-1920, 200, 1920, 1080}));
    EXPECT_TRUE(sim.manager().screen(2)->isMain);
    EXPECT_FALSE(sim.manager().screen(1)->isMain);
}

TEST(MakeMain, TheMainDisplayAgainKeepsEveryOrigin) {
    Sim sim(scenario({monitor(1, 0, 0, 1920, 1080), monitor(2, 1920, -200, 2560, 1440)}));
    sim.start();
    std::size_t mark = sim.displays().transactionLog.size();
    sim.manager().makeMain(1);
    sim.idle();
    EXPECT_EQ(callsSince(sim.displays(), mark), (Calls{"begin", "main 1", "complete 2"}));
    EXPECT_EQ(sim.manager().screen(1)->bounds, (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(sim.manager().screen(2)->bounds, (Rect{1920, -200, 2560, 1440}));
    EXPECT_TRUE(sim.manager().screen(1)->isMain);
}

TEST(MakeMain, OffAndMirroringScreensAreNotMoved) {
    nlohmann::json mirroring = monitor(2, 0, 0, 1920, 1080);
    mirroring["mirrorOf"] = 1;
    nlohmann::json off = monitor(3, 1920, 0, 1920, 1080);
    off["active"] = false;
    Sim sim(scenario({monitor(1, 0, 0, 1920, 1080), mirroring, off, monitor(4, -1280.7, 0, 1280, 720)}));
    sim.start();
    sim.manager().makeMain(4);
    sim.idle();
    // -1280.7 truncates toward zero: the shifted origin of display 1 is 1280.
    EXPECT_EQ(sim.manager().screen(1)->bounds, (Rect{1280, 0, 1920, 1080}));
    EXPECT_EQ(sim.manager().screen(4)->bounds, (Rect{0, 0, 1280, 720}));
    EXPECT_TRUE(sim.manager().screen(4)->isMain);
    EXPECT_EQ(sim.displays().find(3)->bounds.x, 1920) << "a screen that is off keeps its place";
    EXPECT_EQ(sim.displays().find(2)->bounds.x, 1280) << "a mirror stays on its master";
}

// Three screens in a row, the middle one chosen: the row keeps its shape.
TEST(MakeMain, TheArrangementKeepsItsShape) {
    Sim sim(scenario({monitor(1, 0, 0, 1920, 1080), monitor(2, 1920, 100, 2560, 1440), monitor(3, 4480, -50, 1280, 720)}));
    sim.start();
    sim.manager().makeMain(2);
    sim.idle();
    EXPECT_EQ(sim.manager().screen(1)->bounds, (Rect{-1920, -100, 1920, 1080}));
    EXPECT_EQ(sim.manager().screen(2)->bounds, (Rect{0, 0, 2560, 1440}));
    EXPECT_EQ(sim.manager().screen(3)->bounds, (Rect{2560, -150, 1280, 720}));
    EXPECT_FALSE(sim.manager().state().lastError);
}

// The system refuses to move one of the screens the change would move.
TEST(MakeMain, ARefusalCancelsEverything) {
    Sim sim(scenario({monitor(1, 0, 0, 1920, 1080), monitor(2, 1920, 0, 1920, 1080), monitor(3, 3840, 0, 1920, 1080)}));
    sim.start();
    sim.displays().refusals.display[2] = 1001;
    std::size_t mark = sim.displays().transactionLog.size();
    sim.manager().makeMain(3);
    sim.idle();
    EXPECT_EQ(callsSince(sim.displays(), mark), (Calls{"begin", "main 3 -> 1001", "cancel"}));
    EXPECT_EQ(sim.manager().state().lastError, refusedText(1001));
    EXPECT_EQ(sim.manager().screen(1)->bounds.x, 0);
    EXPECT_EQ(sim.manager().screen(3)->bounds.x, 3840);
    EXPECT_TRUE(sim.manager().screen(1)->isMain);
}

TEST(Mirror, StartAndStopMirroring) {
    Sim sim;
    sim.start();
    DisplayManager& m = sim.manager();
    m.mirror(3, 2);
    sim.idle();
    EXPECT_EQ(m.screen(3)->mirrorOf, 2u);
    EXPECT_EQ(m.screen(3)->bounds.x, m.screen(2)->bounds.x);

    m.mirror(3, std::nullopt);
    sim.idle();
    EXPECT_FALSE(m.screen(3)->mirrorOf);
    EXPECT_EQ(sim.displays().transactionLog.back(), "complete 2");

    // Stopping a mirror that does not exist is still a transaction, and a
    // refresh follows it.
    sim.displays().find(3)->name = "Renamed";
    std::size_t mark = sim.displays().transactionLog.size();
    m.mirror(3, std::nullopt);
    sim.idle();
    EXPECT_EQ(callsSince(sim.displays(), mark), (Calls{"begin", "mirror 3 0", "complete 2"}));
    EXPECT_EQ(m.screen(3)->name, "Renamed");
    EXPECT_FALSE(m.state().lastError);
}

}  // namespace
}  // namespace vp::test
