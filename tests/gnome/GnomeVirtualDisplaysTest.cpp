// Virtual screens through mutter's ScreenCast, checked in mutter's own state.

#include "gnome/SessionBed.h"
#include "platform/linux/gnome/GnomeVirtualDisplays.h"

#include <gtest/gtest.h>

namespace vp::gnome {
namespace {

using test::SessionBed;

class GnomeVirtualDisplaysTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!bed.ready()) GTEST_SKIP() << bed.whyNot();
        std::string why;
        ASSERT_TRUE(displays.start(why)) << why;
    }
    bool waitForMonitors(std::size_t count) {
        return test::eventually([&] { return bed.displayState().monitors.size() == count; });
    }

    SessionBed bed = SessionBed::mutter({"1920x1080"}, true);
    GnomeDisplays displays{bed.address()};
    GnomeVirtualDisplays factory{displays, bed.address(), bed.runtimeDir()};
    VirtualDisplayDescriptor descriptor{"Sidecar", 3200, 1800, {}, 0x01020304, 0x0506, 0x3a5f};
};

TEST_F(GnomeVirtualDisplaysTest, VirtualScreenIsARealMonitorUntilDestroyed) {
    ASSERT_TRUE(factory.isAvailable());
    auto display = factory.create(descriptor);
    ASSERT_TRUE(display);
    ASSERT_TRUE(display->applySettings({0, {{1600, 900, 60}, {1280, 720, 60}}}));
    DisplayID id = display->displayID();
    ASSERT_NE(id, 0u);
    MutterState s = bed.displayState();
    ASSERT_EQ(s.monitors.size(), 2u);
    const MutterMonitor* made = s.monitor(displays.connector(id));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->currentMode()->width, 1600);
    EXPECT_EQ(displays.bounds(id), (Rect{1920, 0, 1600, 900}));
    EXPECT_EQ(displays.vendorNumber(id), 0x3a5fu) << "the core knows it as ours";
    EXPECT_EQ(displays.serialNumber(id), 0x01020304u);
    auto uuid = displays.uuid(id);

    // A new size is a new stream; the screen keeps its identity.
    ASSERT_TRUE(display->applySettings({0, {{1280, 720, 30}}}));
    ASSERT_TRUE(waitForMonitors(2));
    EXPECT_EQ(bed.displayState().monitor(displays.connector(display->displayID()))->currentMode()->width, 1280);
    EXPECT_EQ(displays.uuid(display->displayID()), uuid);

    display.reset();
    EXPECT_TRUE(waitForMonitors(1));
}

TEST_F(GnomeVirtualDisplaysTest, HiDPIScreenRunsAtScaleTwo) {
    auto display = factory.create(descriptor);
    ASSERT_TRUE(display);
    ASSERT_TRUE(display->applySettings({1, {{3200, 1800, 60}, {1600, 900, 60}}}));
    MutterState s = bed.displayState();
    const LogicalMonitor* lm = s.logicalFor(displays.connector(display->displayID()));
    ASSERT_NE(lm, nullptr);
    EXPECT_EQ(lm->scale, 2.0);
    // Headless mutter lays out in pixels; a desktop in its logical layout
    // divides by the scale.
    EXPECT_EQ(displays.bounds(display->displayID()).width, s.layout == LayoutMode::logical ? 1600 : 3200);
    auto mode = displays.currentMode(display->displayID());
    ASSERT_TRUE(mode);
    EXPECT_LT(mode->width, mode->pixelWidth) << "HiDPI as the core tells it";
}

TEST(GnomeVirtualDisplaysWithoutScreenCast, IsNotAvailable) {
    SessionBed bed = SessionBed::standin();
    if (!bed.ready()) GTEST_SKIP() << bed.whyNot();
    GnomeDisplays displays(bed.address());
    GnomeVirtualDisplays factory(displays, bed.address());
    EXPECT_FALSE(factory.isAvailable());
    EXPECT_EQ(factory.create({}), nullptr);
}

}  // namespace
}  // namespace vp::gnome
