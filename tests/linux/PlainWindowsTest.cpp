// The windows of a run without a window system of its own stand where the
// core expects screens: y grows upwards from the main screen's bottom, so a
// screen placed below the main one has a negative y.

#include "platform/linux/Unavailable.h"
#include "support/SimFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vp::test {
namespace {

TEST(PlainWindows, ScreensSitWhereTheWindowSystemWouldPutThem) {
    Sim sim;
    PlainWindows plain(sim.platform->displays(), sim.platform->runtime().main, nullptr);
    auto expected = sim.platform->windows().screens();
    auto screens = plain.screens();
    ASSERT_EQ(screens.size(), 3u);
    for (const ScreenInfo& screen : screens) {
        auto same = std::find_if(expected.begin(), expected.end(),
                                 [&](const ScreenInfo& s) { return s.number == screen.number; });
        ASSERT_NE(same, expected.end());
        EXPECT_EQ(screen.frame, same->frame) << "display " << *screen.number;
    }
    // The built-in screen sits lower than the main one's top-left origin.
    EXPECT_EQ(screens[0].frame.y, 2160 - (1178 + 982));
    ASSERT_TRUE(plain.mainScreen());
    EXPECT_EQ(plain.mainScreen()->number, DisplayID(2));
}

}  // namespace
}  // namespace vp::test
