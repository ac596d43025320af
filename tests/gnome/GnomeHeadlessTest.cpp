// The program from a shell on a GNOME Wayland session: `--headless
// --platform linux` against headless mutter with two virtual monitors. What
// each command changes is read back from mutter itself while the program
// waits; after a clean quit, and after a killed run and the next start,
// mutter's configuration is the one it had before.
//
// The child sees only the bed: its session bus and Wayland socket, no X11
// display, empty device trees, a system bus address that leads nowhere, and
// temporary home and XDG folders.

#include "gnome/SessionBed.h"
#include "platform/linux/gnome/DisplayConfigClient.h"
#include "platform/linux/gnome/GnomeDisplays.h"
#include "platform/linux/gnome/MutterLayout.h"

#include "BuildPaths.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace vp::gnome {
namespace {

using test::SessionBed;
using test::TempDir;
using namespace std::chrono_literals;

constexpr const char* kWaiting = "running until SIGINT, SIGTERM or SIGHUP";

std::string waylandSocketIn(const std::string& runtimeDir) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(runtimeDir, ec)) {
        std::string name = entry.path().filename().string();
        if (name.starts_with("wayland-") && !name.ends_with(".lock")) return name;
    }
    return {};
}

// One run of the program, its output in files; ended by the test.
class Child {
public:
    Child(const std::vector<std::string>& environment, std::vector<std::string> args, const TempDir& dir, int n)
        : out_(dir.file("out" + std::to_string(n))), err_(dir.file("err" + std::to_string(n))) {
        args.insert(args.begin(), {VELVETPANE_BINARY, "--headless", "--platform", "linux", "--json"});
        pid_ = ::fork();
        if (pid_ == 0) {
            std::freopen(out_.c_str(), "w", stdout);
            std::freopen(err_.c_str(), "w", stderr);
            std::vector<char*> argv, envp;
            for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            for (auto& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
            argv.push_back(nullptr);
            envp.push_back(nullptr);
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
    }
    ~Child() {
        if (pid_ > 0) end(SIGKILL);
    }

    bool waitFor(const std::string& text, std::chrono::seconds limit = 60s) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            if (err().find(text) != std::string::npos) return true;
            if (::waitpid(pid_, &status_, WNOHANG) == pid_) {
                pid_ = 0;
                return err().find(text) != std::string::npos;
            }
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }
    // Signals the run (none: lets it end by itself) and waits for its end.
    int end(int sent = 0) {
        if (pid_ <= 0) return status_;
        if (sent) ::kill(pid_, sent);
        auto deadline = std::chrono::steady_clock::now() + 60s;
        while (::waitpid(pid_, &status_, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status_, 0);
                break;
            }
            std::this_thread::sleep_for(20ms);
        }
        pid_ = 0;
        return status_;
    }
    nlohmann::json state() const {
        auto json = nlohmann::json::parse(test::readFile(out_), nullptr, false);
        EXPECT_FALSE(json.is_discarded()) << test::readFile(out_) << err();
        return json;
    }
    std::string err() const { return test::readFile(err_); }

private:
    std::string out_, err_;
    pid_t pid_ = 0;
    int status_ = 0;
};

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
        for (const char* name : {"home", "config", "state", "data", "cache", "sysfs", "dev"})
            std::filesystem::create_directories(dir.file(name));
        before = mutter();
        ASSERT_EQ(before.monitors.size(), 2u) << bed.log();
    }

    std::vector<std::string> environment() const {
        const char* path = std::getenv("PATH");
        return {"PATH=" + std::string(path ? path : "/usr/bin:/bin"),
                "DBUS_SESSION_BUS_ADDRESS=" + bed.address(),
                "DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + dir.file("no-system-bus"),
                "WAYLAND_DISPLAY=" + wayland,
                "XDG_RUNTIME_DIR=" + bed.runtimeDir(),
                "XDG_SESSION_TYPE=wayland",
                "XDG_CURRENT_DESKTOP=GNOME",
                "HOME=" + dir.file("home"),
                "XDG_CONFIG_HOME=" + dir.file("config"),
                "XDG_STATE_HOME=" + dir.file("state"),
                "XDG_DATA_HOME=" + dir.file("data"),
                "XDG_CACHE_HOME=" + dir.file("cache"),
                "VELVETPANE_SYSFS_ROOT=" + dir.file("sysfs"),
                "VELVETPANE_DEV_ROOT=" + dir.file("dev"),
                "GSETTINGS_BACKEND=memory"};
    }
    std::unique_ptr<Child> start(const std::vector<std::string>& args) {
        return std::make_unique<Child>(environment(), args, dir, runs++);
    }
    // Runs the program with `args` until it ends by itself.
    nlohmann::json run(const std::vector<std::string>& args) {
        auto child = start(args);
        int status = child->end();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << child->err();
        return child->state();
    }
    // Runs the program with `args`, calls `check` while it waits, then ends
    // it cleanly (SIGTERM) and expects mutter as it was before.
    void whileRunning(std::vector<std::string> args, const std::function<void(const MutterState&)>& check) {
        args.push_back("--until-signal");
        auto child = start(args);
        ASSERT_TRUE(child->waitFor(kWaiting)) << child->err();
        check(mutter());
        int status = child->end(SIGTERM);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << child->err();
        EXPECT_TRUE(child->state()["lastError"].is_null()) << child->state()["lastError"];
        expectAsBefore();
    }

    MutterState mutter() const {
        DisplayConfigClient client(bed.address());
        BusError error;
        auto state = client.currentState(error);
        EXPECT_TRUE(state) << error.message;
        return state.value_or(MutterState{});
    }
    // mutter's layout settles a moment after a stream ends.
    void expectAsBefore() {
        MonitorsConfig expected = configFromState(before);
        for (int i = 0; i < 200 && configFromState(mutter()) != expected; ++i) std::this_thread::sleep_for(25ms);
        MutterState now = mutter();
        EXPECT_EQ(now.monitors.size(), before.monitors.size());
        EXPECT_TRUE(configFromState(now) == expected) << "mutter's configuration was not put back";
    }
    std::string connector(int index) const { return before.monitors.at(index).spec.connector; }
    std::string id(int index) const { return std::to_string(displayIdFor(before.monitors.at(index).spec)); }

    SessionBed bed;
    TempDir dir;
    std::string wayland;
    MutterState before;
    int runs = 0;
};

TEST_F(GnomeHeadlessTest, ListsMutterMonitorsOnTheGnomeBackEnd) {
    auto child = start({});
    ASSERT_EQ(child->end(), 0) << child->err();
    auto state = child->state();
    ASSERT_EQ(state["screens"].size(), 2u) << state.dump();
    for (int i = 0; i < 2; ++i) {
        bool listed = false;
        for (const auto& s : state["screens"])
            listed = listed || std::to_string(s["id"].get<std::uint32_t>()) == id(i);
        EXPECT_TRUE(listed) << connector(i) << " in " << state.dump();
    }
    EXPECT_NE(child->err().find("GNOME's display configuration"), std::string::npos) << child->err();
}

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
    whileRunning({"--do", "setEnabled " + id(1) + " off", "--do", "setEnabled " + id(1) + " on"},
                 [&](const MutterState& s) {
                     EXPECT_NE(s.logicalFor(connector(1)), nullptr);
                     EXPECT_NE(s.logicalFor(connector(0)), nullptr);
                 });
}

TEST_F(GnomeHeadlessTest, AVirtualScreenIsAMutterMonitorWhileTheProgramRuns) {
    whileRunning({"--do", "addVirtual 1600 900 60 0 Side Screen"}, [&](const MutterState& s) {
        ASSERT_EQ(s.monitors.size(), 3u);
        std::string made;
        for (const auto& m : s.monitors)
            if (!before.monitor(m.spec.connector)) made = m.spec.connector;
        ASSERT_NE(s.logicalFor(made), nullptr);
        EXPECT_EQ(s.monitor(made)->currentMode()->width, 1600);
    });
}

// The program's picture in picture of a screen is mutter's screen cast of
// it (headless mutter has no portal), for as long as the panel is open.
TEST_F(GnomeHeadlessTest, PictureInPictureRecordsTheScreenThroughMutter) {
    auto sessions = [&] {
        std::string xml = bed.call("org.gnome.Mutter.ScreenCast", "/org/gnome/Mutter/ScreenCast/Session",
                                   "org.freedesktop.DBus.Introspectable.Introspect");
        return xml.find("<node name=") != std::string::npos;
    };
    auto child = start({"--do", "pip " + id(0), "--until-signal"});
    ASSERT_TRUE(child->waitFor(kWaiting)) << child->err();
    bool recording = false;
    for (int i = 0; i < 400 && !recording; ++i) {
        recording = sessions();
        if (!recording) std::this_thread::sleep_for(25ms);
    }
    EXPECT_TRUE(recording) << child->err();
    EXPECT_NE(child->err().find("capture: mutter"), std::string::npos) << child->err();
    child->end(SIGTERM);
    EXPECT_TRUE(child->state()["lastError"].is_null()) << child->state()["lastError"];
}

// A configuration outlives a killed run, as mutter keeps it until told
// otherwise; the next start puts it back from the record.
TEST_F(GnomeHeadlessTest, AKilledRunsConfigurationIsPutBackAtTheNextStart) {
    auto child = start({"--do", "makeMain " + id(1), "--do", "setEnabled " + id(0) + " off", "--until-signal"});
    ASSERT_TRUE(child->waitFor(kWaiting)) << child->err();
    child->end(SIGKILL);
    MutterState left = mutter();
    EXPECT_EQ(left.logicalFor(connector(0)), nullptr) << "the killed run's configuration stays in mutter";
    ASSERT_NE(left.logicalFor(connector(1)), nullptr);
    EXPECT_TRUE(left.logicalFor(connector(1))->primary);

    auto next = start({});
    ASSERT_EQ(next->end(), 0) << next->err();
    EXPECT_NE(next->err().find("put back"), std::string::npos) << next->err();
    expectAsBefore();
    auto state = next->state();
    EXPECT_EQ(state["screens"].size(), 2u);
    for (const auto& s : state["screens"]) EXPECT_TRUE(s["isActive"].get<bool>()) << s.dump();
}

// A virtual screen ends with the killed run's bus connection: mutter
// removes it by itself. The next start makes the stored screen again and
// removes it when it ends.
TEST_F(GnomeHeadlessTest, AKilledRunsVirtualScreenEndsWithIt) {
    auto child = start({"--do", "addVirtual 1280 720 60 0 Side", "--until-signal"});
    ASSERT_TRUE(child->waitFor(kWaiting)) << child->err();
    ASSERT_EQ(mutter().monitors.size(), 3u);
    child->end(SIGKILL);
    for (int i = 0; i < 200 && mutter().monitors.size() != 2; ++i) std::this_thread::sleep_for(25ms);
    EXPECT_EQ(mutter().monitors.size(), 2u);

    auto next = start({});
    ASSERT_EQ(next->end(), 0) << next->err();
    EXPECT_EQ(next->state()["screens"].size(), 3u) << "the stored virtual screen is made again";
    expectAsBefore();
}

class StandinHeadlessTest : public GnomeHeadlessTest {
protected:
    StandinHeadlessTest() : GnomeHeadlessTest(SessionBed::standin()) {}
};

TEST_F(StandinHeadlessTest, MuttersWordsForARefusedChangeReachTheLastError) {
    bed.mock("RefuseNextApply", "org.freedesktop.DBus.Error.InvalidArgs \"'Logical monitors not adjacent'\"");
    auto state = run({"--do", "makeMain " + id(1)});
    ASSERT_TRUE(state["lastError"].is_string()) << state.dump();
    EXPECT_NE(state["lastError"].get<std::string>().find("Logical monitors not adjacent"), std::string::npos)
        << state["lastError"];
    EXPECT_TRUE(configFromState(mutter()) == configFromState(before));
}

}  // namespace
}  // namespace vp::gnome
