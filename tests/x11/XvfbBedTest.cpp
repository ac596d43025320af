// The X11 back-end when its server is missing or goes away: it says why and
// every later call fails cleanly. What a plain Xvfb cannot do is checked
// through the program, in XvfbHeadlessTest.

#include "platform/linux/x11/X11Displays.h"
#include "support/TempDir.h"
#include "x11/XServerBed.h"

#include <gtest/gtest.h>

#include <atomic>

namespace vp::test {
namespace {

TEST(X11DisplaysTest, AServerThatGoesAwayIsReportedAndCallsFailCleanly) {
    std::string why;
    auto bed = XServerBed::start(XServerBed::Kind::xvfb, why);
    if (!bed) GTEST_SKIP() << why;
    TempDir state;
    x11::X11Displays displays(bed->display(), state.path());
    std::atomic<bool> lost{false};
    displays.onServerLost([&] { lost = true; });
    ASSERT_EQ(displays.onlineDisplays().size(), 1u);
    bed->kill();
    EXPECT_TRUE(eventually([&] { return lost.load(); }));
    ConfigHandle handle = 0;
    EXPECT_EQ(displays.beginConfiguration(handle), x11::kStatusFailure);
    EXPECT_EQ(handle, 0u);
    EXPECT_FALSE(displays.ok());
    EXPECT_NE(displays.problem().find("went away"), std::string::npos);
    EXPECT_EQ(displays.writeGamma(1, GammaTable{{0, 1}, {0, 1}, {0, 1}}), x11::kStatusIllegalArgument);
}

TEST(X11DisplaysTest, NoServerMeansNotOkWithAReason) {
    TempDir state;
    x11::X11Displays displays(":999", state.path());
    EXPECT_FALSE(displays.ok());
    EXPECT_NE(displays.problem().find("cannot connect"), std::string::npos);
    EXPECT_TRUE(displays.onlineDisplays().empty());
}

}  // namespace
}  // namespace vp::test
