#include "overlay/Shade.h"

#include "display/ConfigScenario.h"
#include "support/HardwareHelpers.h"

namespace vp::test {
namespace {

constexpr DisplayID kMain = 2, kPlain = 3;

// The shade must let clicks through and stay out of captures, or a dimmed
// screen would be unusable and every screenshot black.
TEST(Shade, ClickThroughOverlayHiddenFromCaptureThatFollowsItsScreen) {
    Started sim;
    Shade& shade = sim.context->shade();
    shade.set(kPlain, 1.5);
    auto plain = shadeOf(*sim.platform, kPlain);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->config.sharingType, 0);
    EXPECT_TRUE(plain->config.ignoresMouseEvents);
    EXPECT_LT(plain->config.level, sim.platform->simWindows.shieldingWindowLevel());
    EXPECT_EQ(plain->background, (RGBA{0, 0, 0, 1}));
    EXPECT_EQ(plain->frame, (Rect{3840, 1080, 1920, 1080}));
    shade.set(77, 0.5);
    EXPECT_FALSE(shade.has(77));

    // Updated in place, made again when its screen changes size, gone when clear.
    shade.set(kMain, 0.3);
    shade.set(kMain, 0.4);
    auto first = shadeOf(*sim.platform, kMain);
    EXPECT_EQ(first->background.a, 0.4);
    auto& ds = sim.displays();
    ConfigHandle handle = 0;
    ds.beginConfiguration(handle);
    ds.configureMode(handle, kMain, ds.allModes(kMain)->at(2));
    ds.completeConfiguration(handle, ConfigureOption::permanently);
    shade.set(kMain, 0.4);
    auto second = shadeOf(*sim.platform, kMain);
    EXPECT_TRUE(first->closed);
    EXPECT_EQ(second->frame.width, 2560);
    shade.set(kMain, 0.0005);
    EXPECT_TRUE(second->closed);
    EXPECT_FALSE(shade.has(kMain));
}

}  // namespace
}  // namespace vp::test
