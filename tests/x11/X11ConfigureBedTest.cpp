// Display ids and layout changes against the Xorg dummy bed, each change
// checked with xrandr, not only with our own reading.

#include "x11/X11BedFixture.h"

#include <chrono>
#include <set>
#include <thread>

namespace vp::test {
namespace {

TEST_F(DummyBedTest, IdsSurviveARestartAndTheSerialZeroTwinsKeepTheirConnector) {
    std::map<std::string, DisplayID> first;
    {
        auto displays = open();
        for (DisplayID id : displays->onlineDisplays()) first[displays->connector(id)] = id;
    }
    ASSERT_EQ(first.size(), 3u);
    std::set<DisplayID> distinct;
    for (const auto& entry : first) distinct.insert(entry.second);
    EXPECT_EQ(distinct.size(), 3u) << "two identical monitors with serial 0 still get ids of their own";
    auto displays = open();
    for (DisplayID id : displays->onlineDisplays()) EXPECT_EQ(first[displays->connector(id)], id);
    const auto& screen = displays->screen();
    const auto* studio = screen.outputForDisplay(first["DUMMY0"]);
    const auto* twin = screen.outputForDisplay(first["DUMMY1"]);
    ASSERT_TRUE(studio && twin);
    EXPECT_EQ(studio->edid->serial, 700123u);
    EXPECT_EQ(twin->key.find("@DUMMY1") != std::string::npos, true);
    EXPECT_EQ(studio->key.find('@'), std::string::npos);
}

TEST_F(DummyBedTest, ModeAndOriginChangeInOneBatchAndTheArrangementStartsAtZero) {
    auto displays = open();
    DisplayID studio = byConnector(*displays, "DUMMY0"), twin = byConnector(*displays, "DUMMY1");
    auto small = modeOf(*displays, twin, 1280, 1024);
    ASSERT_TRUE(small);
    Status status = transact(*displays, [&](ConfigHandle h) {
        if (Status s = displays->configureMode(h, twin, *small); s) return s;
        // Left of the main display: X wants no negative positions, so the
        // whole arrangement moves right.
        return displays->configureOrigin(h, twin, -1280, 0);
    });
    ASSERT_EQ(status, 0) << displays->lastFailure();
    EXPECT_EQ(xrandrLine("DUMMY1").find("1280x1024+0+0") != std::string::npos, true) << xrandrLine("DUMMY1");
    EXPECT_NE(xrandrLine("DUMMY0").find("1920x1080+1280+0"), std::string::npos) << xrandrLine("DUMMY0");
    EXPECT_NE(xrandrLine("DUMMY2").find("1600x900+5120+0"), std::string::npos) << xrandrLine("DUMMY2");
    EXPECT_NE(bed().run("xrandr").find("current 6720 x 1080"), std::string::npos);
    EXPECT_TRUE(displays->isMain(studio));
    EXPECT_EQ(displays->bounds(twin), (Rect{-1280, 0, 1280, 1024})) << "relative to the main screen";
}

TEST_F(DummyBedTest, SwitchingOffTheMainDisplayHandsMainToAnother) {
    auto displays = open();
    DisplayID studio = byConnector(*displays, "DUMMY0"), twin = byConnector(*displays, "DUMMY1");
    ASSERT_EQ(transact(*displays, [&](ConfigHandle h) { return displays->configureEnabled(h, studio, false); }), 0);
    EXPECT_NE(xrandrLine("DUMMY1").find("primary 1920x1080+0+0"), std::string::npos) << xrandrLine("DUMMY1");
    EXPECT_TRUE(displays->isMain(twin));
}

TEST_F(DummyBedTest, RefusedStepsAndImpossiblePlansLeaveTheLayoutAlone) {
    auto displays = open();
    const std::string before = bed().run("xrandr");
    DisplayID studio = byConnector(*displays, "DUMMY0"), twin = byConnector(*displays, "DUMMY1");
    DisplayMode foreign = *displays->currentMode(studio);
    foreign.token = 0xFFFFFF;  // no mode of this server
    struct Case {
        const char* what;
        std::function<Status(ConfigHandle)> steps;
        Status expected;
        std::string failure = {};
    };
    const std::vector<Case> cases = {
        {"unknown mode", [&](ConfigHandle h) { return displays->configureMode(h, twin, foreign); },
         x11::kStatusIllegalArgument},
        {"unknown display", [&](ConfigHandle h) { return displays->configureOrigin(h, 12345, 0, 0); },
         x11::kStatusIllegalArgument},
        {"every screen off",
         [&](ConfigHandle h) {
             for (DisplayID id : displays->onlineDisplays())
                 if (Status s = displays->configureEnabled(h, id, false)) return s;
             return Status(0);
         },
         x11::kStatusCannotComplete, "that would switch every screen off"},
        {"larger than the screen may be",
         [&](ConfigHandle h) { return displays->configureOrigin(h, twin, 40000, 0); }, x11::kStatusCannotComplete},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(transact(*displays, c.steps), c.expected) << c.what;
        if (!c.failure.empty()) {
            EXPECT_EQ(displays->lastFailure(), c.failure) << c.what;
        }
        EXPECT_EQ(bed().run("xrandr"), before) << c.what;
    }
    ConfigHandle stale = 999;
    EXPECT_EQ(displays->completeConfiguration(stale, ConfigureOption::forAppOnly), x11::kStatusIllegalArgument);
}

TEST_F(DummyBedTest, AStepTheServerRefusesHalfwayIsRolledBack) {
    x11::RandrClient client(bed().display());
    auto screen = client.read(true);
    ASSERT_TRUE(screen);
    auto named = [&](const std::string& name) {
        for (const auto& o : screen->outputs)
            if (o.name == name) return &o;
        return static_cast<const x11::RandrOutput*>(nullptr);
    };
    const auto *first = named("DUMMY1"), *second = named("DUMMY2");
    ASSERT_TRUE(first && second);
    auto plan = std::get<x11::LayoutPlan>(x11::planLayout(*screen, x11::currentTargets(*screen), screen->primary));
    // A valid move of DUMMY1, then DUMMY2 on a CRTC that cannot drive it.
    plan.crtcs[first->crtc].y = 100;
    plan.height = 1180;
    x11::XId wrongCrtc = 0;
    for (const auto& c : screen->crtcs)
        if (c.id != second->crtc && std::find(second->crtcs.begin(), second->crtcs.end(), c.id) == second->crtcs.end() &&
            c.mode == 0)
            wrongCrtc = c.id;
    ASSERT_NE(wrongCrtc, 0u);
    plan.crtcs[wrongCrtc] = plan.crtcs[second->crtc];
    plan.crtcs[wrongCrtc].x = 0;
    plan.crtcs[wrongCrtc].y = 1080;
    plan.crtcs[second->crtc] = {};
    const std::string before = bed().run("xrandr");
    EXPECT_NE(client.apply(*screen, plan), "");
    EXPECT_EQ(bed().run("xrandr"), before);
}

TEST_F(DummyBedTest, ChangesMadeByOthersReachTheCallbackAsOneRefresh) {
    auto displays = open();
    std::atomic<int> refreshes{0}, begins{0};
    displays->registerReconfigurationCallback([&](DisplayID, std::uint32_t flags) {
        (flags & kReconfigurationBeginFlag ? begins : refreshes)++;
    });
    // The first probe may itself announce connectors the server had not
    // looked at yet; that burst is over before the change under test.
    displays->onlineDisplays();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    refreshes = 0;
    begins = 0;
    bed().run("xrandr --output DUMMY2 --pos 3840x100 --output DUMMY1 --mode 1600x900");
    for (int i = 0; i < 100 && refreshes == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(refreshes.load(), 1);
    EXPECT_EQ(begins.load(), 1);
    EXPECT_EQ(displays->bounds(byConnector(*displays, "DUMMY2")), (Rect{3840, 100, 1600, 900}));
}

TEST_F(DummyBedTest, PlacesAreRelativeToTheMainScreenWhereverXPutsIt) {
    // Main in the middle of the root window.
    bed().run("xrandr --output DUMMY1 --primary");
    auto displays = open();
    DisplayID studio = byConnector(*displays, "DUMMY0"), twin = byConnector(*displays, "DUMMY1");
    EXPECT_EQ(displays->bounds(twin), (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(displays->bounds(studio), (Rect{-1920, 0, 1920, 1080}));
    auto screens = displays->screens();
    ASSERT_EQ(screens.size(), 3u);
    EXPECT_EQ(screens.front().number, twin) << "main first";
    EXPECT_EQ(screens.front().localizedName, "Twin View 24");
    // DUMMY2 is 900 high at the top: its bottom-left is 180 above the main's.
    EXPECT_EQ(screens.back().frame, (Rect{1920, 180, 1600, 900}));

    // Asked to go right of the main screen, in main-relative places.
    ASSERT_EQ(transact(*displays, [&](ConfigHandle h) { return displays->configureOrigin(h, studio, 1920, 0); }), 0);
    EXPECT_NE(xrandrLine("DUMMY0").find("1920x1080+1920+0"), std::string::npos) << xrandrLine("DUMMY0");
    EXPECT_NE(xrandrLine("DUMMY1").find("primary 1920x1080+0+0"), std::string::npos) << xrandrLine("DUMMY1");
}

}  // namespace
}  // namespace vp::test
