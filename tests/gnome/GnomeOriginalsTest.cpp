// What a killed run left in mutter is put back at the next start, and only
// in the mutter it was changed in. The program's own clean end and killed
// run are checked in GnomeHeadlessTest.

#include "gnome/SessionBed.h"
#include "platform/linux/gnome/GnomeDisplays.h"
#include "platform/linux/gnome/MutterLayout.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace vp::gnome {
namespace {

using test::SessionBed;

Status transaction(GnomeDisplays& displays, const std::function<Status(ConfigHandle)>& body) {
    ConfigHandle handle = 0;
    displays.beginConfiguration(handle);
    if (Status s = body(handle); s != 0) return s;
    return displays.completeConfiguration(handle, ConfigureOption::permanently);
}

// Main moved to the second monitor, the first switched off.
void change(GnomeDisplays& displays) {
    auto ids = displays.onlineDisplays();
    ASSERT_EQ(ids.size(), 2u);
    ASSERT_EQ(transaction(displays, [&](ConfigHandle h) { return displays.configureMain(h, ids[1]); }), 0);
    ASSERT_EQ(transaction(displays, [&](ConfigHandle h) { return displays.configureEnabled(h, ids[0], false); }), 0);
}

// Runs `body` in a child process that then ends at once, as a killed run
// would: no destructor runs.
void inKilledRun(const std::function<void()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) {
        body();
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(GnomeOriginalsTest, RecordFromAnotherMutterIsDropped) {
    SessionBed bed = SessionBed::mutter();
    if (!bed.ready()) GTEST_SKIP() << bed.whyNot();
    test::TempDir state;
    inKilledRun([&] {
        auto* displays = new GnomeDisplays(bed.address(), state.path());
        std::string why;
        ASSERT_TRUE(displays->start(why)) << why;
        change(*displays);
    });
    // Another session: its mutter never had our change.
    SessionBed other = SessionBed::mutter();
    ASSERT_TRUE(other.ready()) << other.whyNot();
    MonitorsConfig untouched = configFromState(other.displayState());
    GnomeDisplays next(other.address(), state.path());
    std::string why;
    ASSERT_TRUE(next.start(why)) << why;
    EXPECT_EQ(configFromState(other.displayState()), untouched);
    ASSERT_FALSE(next.notes().empty());
    EXPECT_NE(next.notes().front().find("dropped"), std::string::npos);
}

TEST(GnomeGammaOriginalsTest, KilledRunsRampsArePutBack) {
    SessionBed bed = SessionBed::standin();
    if (!bed.ready()) GTEST_SKIP() << bed.whyNot();
    test::TempDir state;
    DisplayConfigClient client(bed.address());
    BusError error;
    auto original = client.gamma("DP-1", error);
    ASSERT_TRUE(original) << error.message;
    inKilledRun([&] {
        auto* displays = new GnomeDisplays(bed.address(), state.path());
        std::string why;
        ASSERT_TRUE(displays->start(why)) << why;
        GammaTable dark{{0, 0.1f}, {0, 0.1f}, {0, 0.1f}};
        ASSERT_EQ(displays->writeGamma(displays->idOf("DP-1"), dark), 0) << displays->lastFailure();
    });
    ASSERT_NE(client.gamma("DP-1", error), original);
    GnomeDisplays next(bed.address(), state.path());
    std::string why;
    ASSERT_TRUE(next.start(why)) << why;
    EXPECT_EQ(client.gamma("DP-1", error), original);
}

}  // namespace
}  // namespace vp::gnome
