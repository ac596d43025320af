// The plain virtual X server: one output, little RandR. The back-end must
// report what it cannot do rather than fail.

#include "platform/linux/x11/X11Displays.h"
#include "support/TempDir.h"
#include "x11/XServerBed.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace vp::test {
namespace {

class XvfbBedTest : public ::testing::Test {
protected:
    void SetUp() override {
        bed_ = XServerBed::start(XServerBed::Kind::xvfb, why_);
        if (!bed_) GTEST_SKIP() << why_;
        displays_ = std::make_unique<x11::X11Displays>(bed_->display(), state_.path());
    }
    void TearDown() override {
        displays_.reset();
        bed_.reset();
    }
    std::string why_;
    TempDir state_;
    std::unique_ptr<XServerBed> bed_;
    std::unique_ptr<x11::X11Displays> displays_;
};

// Listing the one screen is checked through the program, in XvfbHeadlessTest.
TEST_F(XvfbBedTest, TheOneScreenCannotBeSwitchedOff) {
    ASSERT_TRUE(displays_->ok()) << displays_->problem();
    auto ids = displays_->onlineDisplays();
    ASSERT_EQ(ids.size(), 1u);
    DisplayID id = ids.front();
    EXPECT_EQ(displays_->name(id), displays_->connector(id)) << "no EDID: the connector names it";

    const std::string before = bed_->run("xrandr");
    ConfigHandle handle = 0;
    ASSERT_EQ(displays_->beginConfiguration(handle), 0);
    ASSERT_EQ(displays_->configureEnabled(handle, id, false), 0);
    EXPECT_EQ(displays_->completeConfiguration(handle, ConfigureOption::forAppOnly), x11::kStatusCannotComplete);
    EXPECT_EQ(displays_->lastFailure(), "that would switch every screen off");
    EXPECT_EQ(bed_->run("xrandr"), before);
}

TEST_F(XvfbBedTest, AServerThatGoesAwayIsReportedAndCallsFailCleanly) {
    std::atomic<bool> lost{false};
    displays_->onServerLost([&] { lost = true; });
    ASSERT_EQ(displays_->onlineDisplays().size(), 1u);
    bed_->kill();
    for (int i = 0; i < 200 && !lost; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(lost);
    ConfigHandle handle = 0;
    EXPECT_EQ(displays_->beginConfiguration(handle), x11::kStatusFailure);
    EXPECT_EQ(handle, 0u);
    EXPECT_FALSE(displays_->ok());
    EXPECT_NE(displays_->problem().find("went away"), std::string::npos);
    EXPECT_EQ(displays_->writeGamma(1, GammaTable{{0, 1}, {0, 1}, {0, 1}}), x11::kStatusIllegalArgument);
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
