#include "display/ConfigScenario.h"

namespace vp::test {
namespace {

using Calls = std::vector<std::string>;

// The arrangement is shifted so the chosen display sits at the origin and
// keeps its shape; -1280.7 truncates toward zero; screens that are off or
// mirror another stay where they are.
TEST(MakeMain, ShiftsTheArrangementSoTheChosenDisplayIsAtTheOrigin) {
    nlohmann::json mirroring = monitor(5, 0, 0, 1920, 1080);
    mirroring["mirrorOf"] = 1;
    nlohmann::json off = monitor(6, 1920, 0, 1920, 1080);
    off["active"] = false;
    struct Case {
        std::vector<nlohmann::json> displays;
        DisplayID chosen;
        Calls calls;  // none: not checked
        std::map<DisplayID, Rect> bounds;
    };
    const Case cases[] = {
        {{monitor(1, 0, 0, 1920, 1080), monitor(2, 1920, -200, 2560, 1440)},
         2,
         {"begin", "main 2", "complete 2"},
         {{1, {-1920, 200, 1920, 1080}}, {2, {0, 0, 2560, 1440}}}},
        {{monitor(1, 0, 0, 1920, 1080), monitor(2, 1920, -200, 2560, 1440)},
         1,
         {"begin", "main 1", "complete 2"},
         {{1, {0, 0, 1920, 1080}}, {2, {1920, -200, 2560, 1440}}}},
        {{monitor(1, 0, 0, 1920, 1080), monitor(2, 1920, 100, 2560, 1440), monitor(3, 4480, -50, 1280, 720)},
         2,
         {"begin", "main 2", "complete 2"},
         {{1, {-1920, -100, 1920, 1080}}, {2, {0, 0, 2560, 1440}}, {3, {2560, -150, 1280, 720}}}},
        {{monitor(1, 0, 0, 1920, 1080), mirroring, off, monitor(4, -1280.7, 0, 1280, 720)},
         4,
         {},
         {{1, {1280, 0, 1920, 1080}}, {4, {0, 0, 1280, 720}}}},
    };
    for (const Case& c : cases) {
        Started sim(scenario(c.displays));
        std::size_t mark = sim.displays().transactionLog.size();
        sim.manager().makeMain(c.chosen);
        sim.idle();
        SCOPED_TRACE(c.chosen);
        if (!c.calls.empty()) {
            EXPECT_EQ(callsSince(sim.displays(), mark), c.calls);
        }
        for (const auto& [id, bounds] : c.bounds) EXPECT_EQ(sim.manager().screen(id)->bounds, bounds) << id;
        EXPECT_TRUE(sim.manager().screen(c.chosen)->isMain);
        EXPECT_FALSE(sim.manager().state().lastError);
        if (c.chosen == 4) {
            EXPECT_EQ(sim.displays().find(6)->bounds.x, 1920) << "a screen that is off keeps its place";
            EXPECT_EQ(sim.displays().find(5)->bounds.x, 1280) << "a mirror stays on its master";
        }
    }
}

// The system refuses to move one of the screens the change would move.
TEST(MakeMain, ARefusalCancelsEverything) {
    Started sim(scenario({monitor(1, 0, 0, 1920, 1080), monitor(2, 1920, 0, 1920, 1080), monitor(3, 3840, 0, 1920, 1080)}));
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
    Started sim;
    DisplayManager& m = sim.manager();
    m.mirror(3, 2);
    sim.idle();
    EXPECT_EQ(m.screen(3)->mirrorOf, 2u);
    EXPECT_EQ(m.screen(3)->bounds.x, m.screen(2)->bounds.x);
    EXPECT_EQ(m.screen(3)->name, "Office 24") << "a mirroring monitor keeps its own name";
    EXPECT_FALSE(m.screen(2)->mirrorOf);

    m.mirror(3, std::nullopt);
    sim.idle();
    EXPECT_FALSE(m.screen(3)->mirrorOf);

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
