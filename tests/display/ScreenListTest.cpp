#include "support/SimFixture.h"

namespace vp::test {
namespace {

std::vector<DisplayID> ids(const std::vector<Screen>& screens) {
    std::vector<DisplayID> out;
    for (const auto& s : screens) out.push_back(s.id);
    return out;
}

TEST(ScreenList, DefaultScenarioOrdersBuiltinThenMainThenOthers) {
    Sim sim;
    sim.start();
    const auto& screens = sim.manager().screens;
    ASSERT_EQ(ids(screens), (std::vector<DisplayID>{1, 2, 3}));
    EXPECT_EQ(screens[0].name, "Built-in Retina Display");
    EXPECT_TRUE(screens[0].isBuiltin);
    EXPECT_TRUE(screens[1].isMain);
    EXPECT_EQ(screens[1].name, "Lumina 27 4K");
    EXPECT_EQ(screens[2].pixelWidth, 1920);
    EXPECT_DOUBLE_EQ(screens[2].refresh, 60);
    EXPECT_FALSE(screens[2].isHiDPI);
    EXPECT_TRUE(screens[0].isHiDPI);
}

}  // namespace
}  // namespace vp::test
