#include "overlay/Shade.h"
#include "support/HardwareHelpers.h"
#include "support/SimFixture.h"

namespace vp::test {
namespace {

constexpr DisplayID kMain = 2, kPlain = 3;

TEST(Shade, WindowIsABlackClickThroughOverlayHiddenFromCapture) {
    Sim sim;
    sim.start();
    sim.context->shade().set(kPlain, 1.5);
    auto record = shadeOf(*sim.platform, kPlain);
    ASSERT_TRUE(record);
    const WindowConfig& c = record->config;
    EXPECT_EQ(c.styleMask, style::borderless);
    EXPECT_EQ(c.level, sim.platform->simWindows.shieldingWindowLevel() - 1);
    EXPECT_EQ(c.collectionBehavior, 0x151u);
    EXPECT_EQ(c.sharingType, 0);
    EXPECT_TRUE(c.ignoresMouseEvents);
    EXPECT_FALSE(c.opaque);
    EXPECT_FALSE(c.hasShadow);
    EXPECT_EQ(c.screen, kPlain);
    EXPECT_EQ(record->background, (RGBA{0, 0, 0, 1}));
    EXPECT_TRUE(record->visible);
    EXPECT_EQ(record->frame, (Rect{3840, 1080, 1920, 1080}));
}

TEST(Shade, UpdatesInPlaceRecreatesOnNewFrameAndRemovesWhenClear) {
    Sim sim;
    sim.start();
    Shade& shade = sim.context->shade();
    shade.set(kMain, 0.3);
    shade.set(kMain, 0.4);
    auto& records = sim.platform->simWindows.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]->background.a, 0.4);

    auto& ds = sim.displays();
    ConfigHandle handle = 0;
    ds.beginConfiguration(handle);
    ds.configureMode(handle, kMain, ds.allModes(kMain)->at(2));
    ds.completeConfiguration(handle, ConfigureOption::permanently);
    shade.set(kMain, 0.4);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_TRUE(records[0]->closed);
    EXPECT_EQ(records[1]->frame.width, 2560);

    shade.set(kMain, 0.0005);
    EXPECT_TRUE(records[1]->closed);
    EXPECT_FALSE(shade.has(kMain));
}

TEST(Shade, UnknownScreenGetsNoneAndRemoveAllClearsEverything) {
    Sim sim;
    sim.start();
    Shade& shade = sim.context->shade();
    shade.set(77, 0.5);
    EXPECT_FALSE(shade.has(77));
    shade.set(kMain, 0.5);
    shade.set(kPlain, 0.5);
    shade.removeAll();
    EXPECT_TRUE(sim.platform->simWindows.openWindows(WindowRole::shade).empty());
}

}  // namespace
}  // namespace vp::test
