// The program from a shell on a GNOME Wayland session: `--headless
// --platform linux` against headless mutter with two virtual monitors. What
// each command changes is read back from mutter itself while the program
// waits; after a clean quit, and after a killed run and the next start,
// mutter's configuration is the one it had before.
//
// The child sees only the bed: its session bus and Wayland socket, no X11
// display, and otherwise the private surroundings of ProgramRun.

#include "gnome/SessionBed.h"
#include "platform/linux/gnome/DisplayConfigClient.h"
#include "platform/linux/gnome/GnomeDisplays.h"
#include "platform/linux/gnome/MutterLayout.h"

#include "x11/ProgramRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>

#include <sys/wait.h>

namespace vp::gnome {
namespace {

using test::Program;
using test::ProgramRun;
using test::SessionBed;
using namespace std::chrono_literals;

std::string waylandSocketIn(const std::string& runtimeDir) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(runtimeDir, ec)) {
        std::string name = entry.path().filename().string();
        if (name.starts_with("wayland-") && !name.ends_with(".lock")) return name;
    }
    return {};
}

class GnomeHeadlessTest : public ::testing::Test {
protected:
    // Monitors of one size: a mirror shows one mode on both.
    explicit GnomeHeadlessTest(SessionBed b = SessionBed::mutter({"1920x1080", "1920x1080"}, true))
        : bed(std::move(b)) {}
    void SetUp() override {
        if (!bed.ready()) GTEST_SKIP() << bed.whyNot();
        wayland = waylandSocketIn(bed.runtimeDir());
        // The stand-in makes no socket; only the name tells the program it
        // is on Wayland.
        if (wayland.empty()) wayland = "wayland-standin";
        program.emplace("", std::vector<std::string>{"DBUS_SESSION_BUS_ADDRESS=" + bed.address(),
                                                     "WAYLAND_DISPLAY=" + wayland,
                                                     "XDG_RUNTIME_DIR=" + bed.runtimeDir(), "XDG_SESSION_TYPE=wayland",
                                                     "XDG_CURRENT_DESKTOP=GNOME", "GSETTINGS_BACKEND=memory"});
        before = mutter();
        ASSERT_EQ(before.monitors.size(), 2u) << bed.log();
    }

    ProgramRun run(std::vector<std::string> args, const std::function<void(pid_t)>& waiting = {}) {
        return program->run(std::move(args), waiting);
    }
    // Runs the program with `args`, calls `check` while it waits, then ends
    // it cleanly (SIGTERM) and expects mutter as it was before.
    void whileRunning(std::vector<std::string> args, const std::function<void(const MutterState&)>& check) {
        args.push_back("--until-signal");
        ProgramRun r = run(args, [&](pid_t pid) {
            check(mutter());
            ::kill(pid, SIGTERM);
        });
        EXPECT_TRUE(WIFSIGNALED(r.status) && WTERMSIG(r.status) == SIGTERM) << r.err;
        EXPECT_TRUE(r.state()["lastError"].is_null()) << r.state()["lastError"];
        expectAsBefore();
    }

    MutterState mutter() const { return bed.displayState(); }
    // mutter's layout settles a moment after a stream ends.
    void expectAsBefore() {
        MonitorsConfig expected = configFromState(before);
        test::eventually([&] { return configFromState(mutter()) == expected; });
        MutterState now = mutter();
        EXPECT_EQ(now.monitors.size(), before.monitors.size());
        EXPECT_TRUE(configFromState(now) == expected) << "mutter's configuration was not put back";
    }
    std::string connector(int index) const { return before.monitors.at(index).spec.connector; }
    std::string id(int index) const { return std::to_string(displayIdFor(before.monitors.at(index).spec)); }

    SessionBed bed;
    std::string wayland;
    std::optional<Program> program;
    MutterState before;
};

TEST_F(GnomeHeadlessTest, MainMirrorAndSwitchingOffShowInMutterAndAreUndoneAtQuit) {
    whileRunning({"--do", "makeMain " + id(1)}, [&](const MutterState& s) {
        ASSERT_NE(s.logicalFor(connector(1)), nullptr);
        EXPECT_TRUE(s.logicalFor(connector(1))->primary);
        EXPECT_FALSE(s.logicalFor(connector(0))->primary);
    });
    whileRunning({"--do", "mirror " + id(1) + " " + id(0)}, [&](const MutterState& s) {
        ASSERT_EQ(s.logicalMonitors.size(), 1u);
        EXPECT_EQ(s.logicalMonitors[0].monitors.size(), 2u);
    });
    whileRunning({"--do", "setEnabled " + id(1) + " off"}, [&](const MutterState& s) {
        EXPECT_EQ(s.logicalFor(connector(1)), nullptr);
        EXPECT_NE(s.logicalFor(connector(0)), nullptr);
    });
}

// The program's picture in picture of a screen is mutter's screen cast of
// it (headless mutter has no portal), for as long as the panel is open.
TEST_F(GnomeHeadlessTest, PictureInPictureRecordsTheScreenThroughMutter) {
    bool recording = false;
    ProgramRun r = run({"--do", "pip " + id(0), "--until-signal"}, [&](pid_t pid) {
        recording = test::eventually([&] { return bed.screenCastSessions() > 0; }, 10s);
        ::kill(pid, SIGTERM);
    });
    EXPECT_TRUE(recording) << r.err;
    EXPECT_NE(r.err.find("capture: mutter"), std::string::npos) << r.err;
    EXPECT_TRUE(r.state()["lastError"].is_null()) << r.state()["lastError"];
}

// A configuration outlives a killed run, as mutter keeps it until told
// otherwise; the next start puts it back from the record.
TEST_F(GnomeHeadlessTest, AKilledRunsConfigurationIsPutBackAtTheNextStart) {
    run({"--do", "makeMain " + id(1), "--do", "setEnabled " + id(0) + " off", "--until-signal"},
        [](pid_t pid) { ::kill(pid, SIGKILL); });
    MutterState left = mutter();
    EXPECT_EQ(left.logicalFor(connector(0)), nullptr) << "the killed run's configuration stays in mutter";
    ASSERT_NE(left.logicalFor(connector(1)), nullptr);
    EXPECT_TRUE(left.logicalFor(connector(1))->primary);

    ProgramRun next = run({});
    ASSERT_EQ(next.status, 0) << next.err;
    EXPECT_NE(next.err.find("GNOME's display configuration"), std::string::npos) << next.err;
    EXPECT_NE(next.err.find("put back"), std::string::npos) << next.err;
    expectAsBefore();
    auto state = next.state();
    ASSERT_EQ(state["screens"].size(), 2u) << state.dump();
    std::set<std::string> listed;
    for (const auto& s : state["screens"]) {
        EXPECT_TRUE(s["isActive"].get<bool>()) << s.dump();
        listed.insert(std::to_string(s["id"].get<std::uint32_t>()));
    }
    EXPECT_EQ(listed, (std::set<std::string>{id(0), id(1)})) << state.dump();
}

// A virtual screen is a mutter monitor while the program runs, and ends
// with the killed run's bus connection: mutter removes it by itself. The
// next start makes the stored screen again and removes it when it ends.
TEST_F(GnomeHeadlessTest, AKilledRunsVirtualScreenEndsWithIt) {
    std::size_t duringRun = 0;
    run({"--do", "addVirtual 1280 720 60 0 Side", "--until-signal"}, [&](pid_t pid) {
        MutterState s = mutter();
        duringRun = s.monitors.size();
        for (const auto& m : s.monitors)
            if (!before.monitor(m.spec.connector)) {
                EXPECT_NE(s.logicalFor(m.spec.connector), nullptr);
                EXPECT_EQ(m.currentMode()->width, 1280);
            }
        ::kill(pid, SIGKILL);
    });
    ASSERT_EQ(duringRun, 3u);
    EXPECT_TRUE(test::eventually([&] { return mutter().monitors.size() == 2; }));

    ProgramRun next = run({});
    ASSERT_EQ(next.status, 0) << next.err;
    EXPECT_EQ(next.state()["screens"].size(), 3u) << "the stored virtual screen is made again";
    expectAsBefore();
}

class StandinHeadlessTest : public GnomeHeadlessTest {
protected:
    StandinHeadlessTest() : GnomeHeadlessTest(SessionBed::standin()) {}
};

TEST_F(StandinHeadlessTest, MuttersWordsForARefusedChangeReachTheLastError) {
    bed.mock("RefuseNextApply", "org.freedesktop.DBus.Error.InvalidArgs \"'Logical monitors not adjacent'\"");
    auto state = run({"--do", "makeMain " + id(1)}).state();
    ASSERT_TRUE(state["lastError"].is_string()) << state.dump();
    EXPECT_NE(state["lastError"].get<std::string>().find("Logical monitors not adjacent"), std::string::npos)
        << state["lastError"];
    EXPECT_TRUE(configFromState(mutter()) == configFromState(before));
}

}  // namespace
}  // namespace vp::gnome
