// The display services on GNOME, driven as the core drives them, checked
// against what mutter (or the stand-in) reports afterwards to a fresh client.

#include "gnome/SessionBed.h"
#include "platform/linux/gnome/GnomeDisplays.h"
#include "platform/linux/gnome/MutterLayout.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <set>

namespace vp::gnome {
namespace {

using test::SessionBed;
using namespace std::chrono_literals;

// Counts the reconfiguration callbacks, which arrive on the watcher's thread.
struct CallbackLog {
    std::mutex mutex;
    std::condition_variable arrived;
    std::set<DisplayID> ended;

    void attach(GnomeDisplays& displays) {
        displays.registerReconfigurationCallback([this](DisplayID id, std::uint32_t flags) {
            std::lock_guard lock(mutex);
            if (!(flags & kReconfigurationBeginFlag)) ended.insert(id);
            arrived.notify_all();
        });
    }
    bool waitFor(std::size_t count) {
        std::unique_lock lock(mutex);
        return arrived.wait_for(lock, 10s, [&] { return ended.size() >= count; });
    }
};

class GnomeDisplaysTest : public ::testing::Test {
protected:
    explicit GnomeDisplaysTest(SessionBed b = SessionBed::mutter()) : bed(std::move(b)), displays(bed.address()) {}
    void SetUp() override {
        if (!bed.ready()) GTEST_SKIP() << bed.whyNot();
        std::string why;
        ASSERT_TRUE(displays.start(why)) << why;
        ids = displays.onlineDisplays();
        ASSERT_EQ(ids.size(), 2u);
    }
    Status transaction(const std::function<Status(ConfigHandle)>& body) {
        ConfigHandle handle = 0;
        EXPECT_EQ(displays.beginConfiguration(handle), 0);
        if (Status s = body(handle); s != 0) {
            displays.cancelConfiguration(handle);
            return s;
        }
        return displays.completeConfiguration(handle, ConfigureOption::permanently);
    }

    SessionBed bed;
    GnomeDisplays displays;
    std::vector<DisplayID> ids;
};

TEST_F(GnomeDisplaysTest, ListsMonitorsAndMainOffAndOnReachMutter) {
    EXPECT_EQ(displays.bounds(ids[0]), (Rect{0, 0, 2560, 1440}));
    EXPECT_EQ(displays.bounds(ids[1]), (Rect{2560, 0, 1920, 1080}));
    EXPECT_TRUE(displays.isMain(ids[0]));
    EXPECT_FALSE(displays.isMain(ids[1]));
    EXPECT_TRUE(displays.isActive(ids[1]));
    EXPECT_EQ(displays.mirrorsDisplay(ids[1]), 0u);
    auto mode = displays.currentMode(ids[1]);
    ASSERT_TRUE(mode);
    EXPECT_EQ(mode->pixelWidth, 1920);
    EXPECT_EQ(mode->width, 1920);
    EXPECT_NEAR(mode->refresh, 60, 0.01);
    EXPECT_TRUE(mode->native);
    auto a = displays.uuid(ids[0]), b = displays.uuid(ids[1]);
    ASSERT_TRUE(a && b);
    EXPECT_NE(*a, *b);
    EXPECT_EQ(a->size(), 36u);

    ASSERT_EQ(transaction([&](ConfigHandle h) { return displays.configureMain(h, ids[1]); }), 0)
        << displays.lastFailure();
    MutterState s = bed.displayState();
    ASSERT_NE(s.logicalFor(displays.connector(ids[1])), nullptr);
    EXPECT_TRUE(s.logicalFor(displays.connector(ids[1]))->primary);
    EXPECT_TRUE(displays.isMain(ids[1]));

    ASSERT_EQ(transaction([&](ConfigHandle h) { return displays.configureEnabled(h, ids[0], false); }), 0)
        << displays.lastFailure();
    s = bed.displayState();
    EXPECT_EQ(s.logicalFor(displays.connector(ids[0])), nullptr);
    ASSERT_EQ(s.logicalMonitors.size(), 1u);
    EXPECT_EQ(s.logicalMonitors[0].x, 0) << "the one left moves to the origin";
    EXPECT_FALSE(displays.isActive(ids[0]));
    EXPECT_EQ(displays.onlineDisplays().size(), 2u) << "a switched-off monitor stays listed";

    EXPECT_EQ(transaction([&](ConfigHandle h) { return displays.configureEnabled(h, ids[1], false); }), kEditRefused);
    EXPECT_NE(displays.lastFailure().find("only display"), std::string::npos);

    ASSERT_EQ(transaction([&](ConfigHandle h) { return displays.configureEnabled(h, ids[0], true); }), 0)
        << displays.lastFailure();
    s = bed.displayState();
    ASSERT_NE(s.logicalFor(displays.connector(ids[0])), nullptr);
    EXPECT_EQ(s.logicalFor(displays.connector(ids[0]))->x, 1920);
    EXPECT_EQ(displays.bounds(ids[0]), (Rect{1920, 0, 2560, 1440}));
}

TEST_F(GnomeDisplaysTest, ChangesMadeElsewhereReachTheCallback) {
    CallbackLog log;
    log.attach(displays);
    MutterState s = bed.displayState();
    MonitorsConfig config = configFromState(s);
    std::swap(config.logicalMonitors[0].primary, config.logicalMonitors[1].primary);
    DisplayConfigClient other(bed.address());
    BusError error;
    ASSERT_TRUE(other.apply(s.serial, ApplyMethod::temporary, config, error)) << error.message;
    ASSERT_TRUE(log.waitFor(2));
    EXPECT_TRUE(displays.isMain(ids[1])) << "the state is read again before the callback";
}

TEST_F(GnomeDisplaysTest, MutterGoingAwayEmptiesTheListAndFailsChanges) {
    CallbackLog log;
    log.attach(displays);
    bed.stop();
    ASSERT_TRUE(log.waitFor(1));
    EXPECT_TRUE(displays.onlineDisplays().empty());
    EXPECT_EQ(transaction([&](ConfigHandle h) { return displays.configureMain(h, ids[1]); }), kUnknownDisplay);
    ConfigHandle h = 0;
    displays.beginConfiguration(h);
    EXPECT_EQ(displays.completeConfiguration(h, ConfigureOption::forAppOnly), kMutterUnreachable);
}

class GnomeMirrorTest : public GnomeDisplaysTest {
protected:
    GnomeMirrorTest() : GnomeDisplaysTest(SessionBed::mutter({"1920x1080", "1920x1080"})) {}
};

TEST_F(GnomeMirrorTest, MirrorsAndStandsAloneAgain) {
    ASSERT_EQ(transaction([&](ConfigHandle h) { return displays.configureMirror(h, ids[1], ids[0]); }), 0)
        << displays.lastFailure();
    MutterState s = bed.displayState();
    ASSERT_EQ(s.logicalMonitors.size(), 1u);
    EXPECT_EQ(s.logicalMonitors[0].monitors.size(), 2u);
    EXPECT_EQ(displays.mirrorsDisplay(ids[1]), ids[0]);
    EXPECT_EQ(displays.mirrorsDisplay(ids[0]), 0u);
    EXPECT_TRUE(displays.isMain(ids[0]));
    EXPECT_FALSE(displays.isMain(ids[1])) << "a mirror is not the main display";
    EXPECT_EQ(displays.bounds(ids[1]), displays.bounds(ids[0]));

    ASSERT_EQ(transaction([&](ConfigHandle h) { return displays.configureMirror(h, ids[1], 0); }), 0)
        << displays.lastFailure();
    s = bed.displayState();
    ASSERT_EQ(s.logicalMonitors.size(), 2u);
    EXPECT_EQ(displays.mirrorsDisplay(ids[1]), 0u);
    EXPECT_EQ(displays.bounds(ids[1]).x, 1920);
}

class StandinDisplaysTest : public GnomeDisplaysTest {
protected:
    StandinDisplaysTest() : GnomeDisplaysTest(SessionBed::standin()) {}
    DisplayID dp() { return displays.idOf("DP-1"); }
    DisplayID hdmi() { return displays.idOf("HDMI-1"); }
};

TEST_F(StandinDisplaysTest, ModeChangeKeepsTheLayoutTouchingAndAStaleSerialIsRetriedOnce) {
    auto modes = displays.allModes(dp());
    ASSERT_TRUE(modes);
    ASSERT_EQ(modes->size(), 4u);
    const DisplayMode& fast = (*modes)[2];
    ASSERT_NEAR(fast.refresh, 144.001, 0.001);
    ASSERT_EQ(transaction([&](ConfigHandle h) { return displays.configureMode(h, dp(), fast); }), 0)
        << displays.lastFailure();
    MutterState s = bed.displayState();
    EXPECT_EQ(s.monitor("DP-1")->currentMode()->id, "1920x1080@144.001");
    EXPECT_EQ(s.logicalFor("HDMI-1")->x, 1920) << "no gap where the larger mode was";
    EXPECT_EQ(displays.currentMode(dp()), fast);
    EXPECT_EQ(displays.bounds(hdmi()).x, 1920);

    DisplayMode unknown = fast;
    unknown.token = 0;
    unknown.pixelWidth = 999;
    EXPECT_EQ(transaction([&](ConfigHandle h) { return displays.configureMode(h, dp(), unknown); }), kEditRefused);

    // A stale serial is read again and retried, once.
    bed.mock("RefuseNextApply", "org.freedesktop.DBus.Error.AccessDenied stale");
    ASSERT_EQ(transaction([&](ConfigHandle h) { return displays.configureMain(h, hdmi()); }), 0)
        << displays.lastFailure();
    EXPECT_TRUE(bed.displayState().logicalFor("HDMI-1")->primary);

    bed.mock("RefuseNextApply", "org.freedesktop.DBus.Error.AccessDenied stale");
    bed.mock("RefuseNextApply", "org.freedesktop.DBus.Error.AccessDenied stale");
    EXPECT_EQ(transaction([&](ConfigHandle h) { return displays.configureMain(h, dp()); }), kMutterRefused);
    EXPECT_TRUE(bed.displayState().logicalFor("HDMI-1")->primary);
}

TEST_F(StandinDisplaysTest, MonitorUnpluggedDuringTransactionFailsThatStep) {
    auto modes = displays.allModes(hdmi());
    ASSERT_TRUE(modes);
    ConfigHandle h = 0;
    displays.beginConfiguration(h);
    ASSERT_EQ(displays.configureMode(h, hdmi(), modes->back()), 0);
    bed.mock("Unplug", "HDMI-1");
    EXPECT_EQ(displays.completeConfiguration(h, ConfigureOption::permanently), kEditRefused);
    EXPECT_NE(displays.lastFailure().find("no longer connected"), std::string::npos);
}

TEST_F(StandinDisplaysTest, GammaIsWrittenReappliedAfterChangesAndRestored) {
    auto original = displays.readGamma(hdmi(), 256);
    ASSERT_TRUE(original);
    ASSERT_EQ(original->r.size(), 256u);
    GammaTable dim = *original;
    for (auto* channel : {&dim.r, &dim.g, &dim.b})
        for (float& v : *channel) v *= 0.5f;
    ASSERT_EQ(displays.writeGamma(hdmi(), dim), 0) << displays.lastFailure();
    DisplayConfigClient other(bed.address());
    BusError error;
    EXPECT_EQ(other.gamma("HDMI-1", error)->red.back(), 32768);

    // The desktop rewrites the ramps; after the next change mutter
    // announces, ours are back.
    CallbackLog log;
    log.attach(displays);
    bed.mock("OverwriteGamma", "HDMI-1");
    EXPECT_EQ(other.gamma("HDMI-1", error)->red.back(), 65535);
    MutterState s = bed.displayState();
    ASSERT_TRUE(other.apply(s.serial, ApplyMethod::temporary, configFromState(s), error)) << error.message;
    ASSERT_TRUE(log.waitFor(2));
    EXPECT_EQ(other.gamma("HDMI-1", error)->red.back(), 32768);

    displays.restoreGamma();
    EXPECT_EQ(other.gamma("HDMI-1", error)->red.back(), 65535);
    EXPECT_EQ(displays.writeGamma(999, dim), kUnknownDisplay);
}

}  // namespace
}  // namespace vp::gnome
