#include "display/ConfigScenario.h"

namespace vp::test {
namespace {

const ModeOption& find(const std::vector<ModeOption>& list, const std::string& id) {
    for (const auto& m : list)
        if (m.id == id) return m;
    throw std::runtime_error("no mode " + id);
}

TEST(Modes, ApplyChangesModeBoundsAndPixelsAndTheCacheFollowsRefreshes) {
    Started sim;
    DisplayManager& m = sim.manager();
    m.apply(find(m.modes(2), "1920x1080@3840x2160@60"), 2);
    sim.idle();
    EXPECT_EQ(m.currentModeID(2), "1920x1080@3840x2160@60");
    Screen s = *m.screen(2);
    EXPECT_EQ(s.bounds, (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(s.pixelWidth, 3840);
    EXPECT_TRUE(s.isHiDPI);
    EXPECT_EQ(sim.displays().transactionLog.back(), "complete 2");
    EXPECT_FALSE(m.state().lastError);

    // The cache is rebuilt for active screens only, on every refresh: modes
    // the system offers later show up after the next refresh, not before.
    ASSERT_EQ(m.modes(2).size(), 8u);
    sim.displays().find(2)->modes.push_back(simModeFromJson({{"width", 1024}, {"height", 768}, {"refresh", 60}}));
    EXPECT_EQ(m.modes(2).size(), 8u);
    m.refresh();
    EXPECT_EQ(m.modes(2).size(), 9u);

    // A screen that is off has no entry: its list is loaded when asked for.
    sim.displays().find(3)->active = false;
    m.refresh();
    sim.displays().find(3)->modes.pop_back();
    EXPECT_EQ(m.modes(3).size(), 2u);
    sim.displays().find(3)->modes.pop_back();
    EXPECT_EQ(m.modes(3).size(), 2u) << "loaded once, then cached";
}

TEST(Modes, RefusalsAtEachStep) {
    struct Row {
        const char* what;
        SimRefusals refusals;
        std::optional<Status> message;
        bool refreshes;
    };
    const Row rows[] = {
        {"begin", {.begin = 1000}, std::nullopt, false},
        {"mode step", {.mode = 1001}, 1001, false},
        {"completion", {.complete = 1004}, 1004, true},
    };
    for (const auto& row : rows) {
        Started sim;
        DisplayManager& m = sim.manager();
        ModeOption smaller = find(m.modes(3), "1280x720@1280x720@60");
        // A rename the system does not announce shows whether a refresh ran.
        sim.displays().find(3)->name = "Renamed";
        sim.displays().refusals = row.refusals;
        m.apply(smaller, 3);
        sim.idle();
        EXPECT_EQ(m.currentModeID(3), "1920x1080@1920x1080@60") << row.what;
        EXPECT_EQ(m.screen(3)->bounds.width, 1920) << row.what;
        if (row.message) EXPECT_EQ(m.state().lastError, refusedText(*row.message)) << row.what;
        else EXPECT_FALSE(m.state().lastError) << row.what;
        EXPECT_EQ(m.screen(3)->name == "Renamed", row.refreshes) << row.what;
    }
}

TEST(Modes, DisplayWithoutModesOrCurrentMode) {
    nlohmann::json bare = monitor(1, 0, 0, 1920, 1080);
    bare["modes"] = nlohmann::json::array();
    bare.erase("currentMode");
    Started sim(scenario({bare}));
    EXPECT_TRUE(sim.manager().modes(1).empty());
    EXPECT_FALSE(sim.manager().currentModeID(1));
    EXPECT_EQ(sim.manager().screen(1)->nativePixels, (Size{0, 0}));
}

}  // namespace
}  // namespace vp::test
