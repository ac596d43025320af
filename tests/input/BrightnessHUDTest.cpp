#include "input/BrightnessHUD.h"

#include "support/SimFixture.h"

namespace vp::test {
namespace {

using namespace std::chrono_literals;

struct HUD : ::testing::Test {
    Sim sim;
    BrightnessHUD& hud() { return sim.context->hud(); }
    std::shared_ptr<SimWindowRecord> panel() {
        auto panels = sim.platform->simWindows.openWindows(WindowRole::hud);
        return panels.empty() ? nullptr : panels.front();
    }
    // The arrangement moved so that `id` sits at the origin: the new main display.
    void makeMain(DisplayID id) {
        Rect origin = sim.displays().find(id)->bounds;
        for (auto& d : sim.displays().all()) {
            d.bounds.x -= origin.x;
            d.bounds.y -= origin.y;
        }
    }
};

TEST_F(HUD, OneClickThroughPanelCentredAboveTheBottomOfTheMainScreenFollowsItOnTheNextPress) {
    sim.start();
    hud().show(0.25, "sun.min.fill");
    hud().show(0.3, "sun.min.fill");

    ASSERT_EQ(sim.platform->simWindows.openWindows(WindowRole::hud).size(), 1u);
    EXPECT_TRUE(panel()->config.ignoresMouseEvents);
    EXPECT_EQ(panel()->config.styleMask, style::nonactivatingPanel);  // never takes the focus
    // Main display: 3840 × 2160 at the origin, 24 points of menu bar.
    EXPECT_EQ(panel()->frame, (Rect{1920 - 110, 90, 220, 64}));
    EXPECT_TRUE(panel()->visible);
    EXPECT_EQ(panel()->levelValue, 0.3);
    EXPECT_EQ(hud().model().icon(), "sun.min.fill");

    // The next press moves it to a new main screen; without any screen it stays put.
    makeMain(3);  // the 1920 × 1080 monitor
    hud().show(0.5, "sun.max.fill");
    const Rect moved = panel()->frame;
    EXPECT_EQ(moved.x, 960 - 110);
    EXPECT_EQ(moved.y, 90);
    for (auto& d : sim.displays().all()) d.online = false;
    hud().show(0.4, "sun.min.fill");
    EXPECT_EQ(panel()->frame, moved);
    EXPECT_TRUE(panel()->visible);
}

TEST_F(HUD, StaysUpUntilOnePointTwoSecondsAfterTheLastPressThenFades) {
    sim.start();
    hud().show(0.5, "sun.max.fill");
    sim.platform->advance(1s);
    hud().show(0.6, "sun.max.fill");
    sim.platform->advance(1.19s);
    EXPECT_TRUE(panel()->visible);
    EXPECT_EQ(panel()->fades, 0u);

    sim.platform->advance(0.02s);  // 1.21 s after the second press: fading
    EXPECT_EQ(panel()->fades, 1u);
    EXPECT_TRUE(panel()->visible);
    sim.platform->advance(0.35s);
    EXPECT_FALSE(panel()->visible);
    EXPECT_EQ(panel()->alpha, 0.0);

    hud().show(0.7, "sun.max.fill");  // the same panel comes back, opaque
    EXPECT_TRUE(panel()->visible);
    EXPECT_EQ(panel()->alpha, 1.0);
    EXPECT_EQ(sim.platform->simWindows.records().size(), 1u);

    // A press during the fade keeps it up past the end of that fade.
    sim.platform->advance(1.3s);
    hud().show(0.6, "sun.max.fill");
    sim.platform->advance(0.5s);
    EXPECT_TRUE(panel()->visible);
    EXPECT_EQ(panel()->alpha, 1.0);
    sim.platform->advance(1.1s);
    EXPECT_FALSE(panel()->visible);
}

// Without a compositor a fade would leave the panel fully drawn for its
// length; whether one runs is read when the panel goes, as it may start or
// stop at any time.
TEST_F(HUD, WhereNothingBlendsTranslucentWindowsThePanelGoesAtOnceInsteadOfFading) {
    sim.start();
    sim.platform->simCapabilities.translucentWindows = false;
    hud().show(0.5, "sun.max.fill");
    sim.platform->advance(1.21s);
    EXPECT_FALSE(panel()->visible);
    EXPECT_EQ(panel()->fades, 0u);

    sim.platform->simCapabilities.translucentWindows = true;
    hud().show(0.6, "sun.max.fill");
    sim.platform->advance(1.21s);
    EXPECT_EQ(panel()->fades, 1u);
    EXPECT_TRUE(panel()->visible);
}

TEST(HUDModel, NotifiesOncePerChangeAndNotForTheSameLevel) {
    HUDModel model;
    int notifications = 0;
    auto connection = model.changed.connect([&] { ++notifications; });
    model.set(1.0, "sun.max.fill");  // the initial state
    model.set(0.5, "sun.max.fill");
    model.set(0.5, "sun.min.fill");
    model.set(0.5, "sun.min.fill");
    EXPECT_EQ(notifications, 2);
}

}  // namespace
}  // namespace vp::test
