// The program itself on X11, end to end: `velvetpane --headless --platform
// linux` against the Xorg dummy bed with three monitors. Every change is
// checked on the server with xrandr, while the program runs and after it has
// ended: what the user chose (mode, main display, mirroring) stays, as X
// keeps it; what the program holds only for its run (a screen switched off,
// warmth, brightness by gamma) is given back at the end, and by the next
// start when the run was killed.

#include "x11/ProgramRun.h"
#include "x11/X11BedFixture.h"

#include <optional>

#include <signal.h>
#include <sys/wait.h>

namespace vp::test {
namespace {

using nlohmann::json;

class X11HeadlessBedTest : public DummyBedTest {
protected:
    void SetUp() override {
        DummyBedTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        program_.emplace(bed().display());
        before_ = snapshot();
        listed_ = run({});
        for (const char* connector : {"DUMMY0", "DUMMY1", "DUMMY2"}) ids_[connector] = idOf(connector);
    }

    // Runs the program; its state, after checking it ended well.
    json run(std::vector<std::string> args) { return program_->state(std::move(args), &lastErr_); }
    // Runs the program until `whileWaiting` signals it.
    ProgramRun runUntilSignal(std::vector<std::string> args, const std::function<void(pid_t)>& whileWaiting) {
        args.push_back("--until-signal");
        return program_->run(std::move(args), whileWaiting);
    }
    static std::vector<std::string> operations(std::initializer_list<std::string> list) {
        std::vector<std::string> args;
        for (const auto& op : list) args.insert(args.end(), {"--do", op});
        return args;
    }

    // The listed screen on a connector, told apart by where the bed puts it
    // (the twins have the same name).
    std::string idOf(const std::string& connector) {
        for (const auto& m : bedMonitors())
            if (m.connector == connector)
                for (const auto& s : listed_["screens"])
                    if (s["name"] == m.name && s["bounds"][0] == m.x) return std::to_string(s["id"].get<DisplayID>());
        ADD_FAILURE() << "no screen for " << connector << " in " << listed_.dump();
        return "0";
    }
    std::string id(const std::string& connector) { return ids_[connector]; }
    // The listed screen with the id; an empty object when there is none.
    static json screen(const json& state, const std::string& id) {
        for (const auto& s : state.value("screens", json::array()))
            if (std::to_string(s["id"].get<DisplayID>()) == id) return s;
        ADD_FAILURE() << "no screen " << id << " in " << state.dump();
        return json::object();
    }
    std::string modeKey(const std::string& connector, int width, int height) {
        for (const auto& m : listed_["modes"][id(connector)])
            if (m["width"] == width && m["height"] == height) return m["id"].get<std::string>();
        ADD_FAILURE() << connector << " lists no " << width << "x" << height;
        return "";
    }

    std::string snapshot() { return randrState(bed()); }
    // "WxH+X+Y" of an output that shows a picture, empty for one that is off.
    std::string geometry(const std::string& output) {
        std::smatch m;
        std::string line = xrandrLine(output);
        return std::regex_search(line, m, std::regex("\\d+x\\d+\\+\\d+\\+\\d+")) ? m.str() : std::string();
    }
    bool primary(const std::string& output) { return xrandrLine(output).find(" primary ") != std::string::npos; }
    // The run-only changes the tests make, seen on the server.
    void expectRunOnlyChangesShow() {
        EXPECT_TRUE(eventually([&] { return geometry("DUMMY2").empty(); })) << xrandrLine("DUMMY2");
        EXPECT_TRUE(eventually([&] { return verboseField("DUMMY0", "Gamma") != "1.0:1.0:1.0"; }))
            << "warmth: " << verboseField("DUMMY0", "Gamma");
    }

    std::optional<Program> program_;
    std::string before_, lastErr_;
    json listed_;
    std::map<std::string, std::string> ids_;
};

TEST_F(X11HeadlessBedTest, ListsTheThreeMonitorsByTheirEdidNamesWithModesAndTheMainOne) {
    ASSERT_EQ(listed_["screens"].size(), 3u) << listed_.dump();
    EXPECT_NE(lastErr_.find("X11 RandR"), std::string::npos) << lastErr_;
    for (const auto& m : bedMonitors()) {
        json s = screen(listed_, id(m.connector));
        EXPECT_EQ(s["name"], m.name);
        EXPECT_EQ(s["isMain"], m.connector == "DUMMY0") << m.connector;
        EXPECT_EQ(s["isActive"], true);
        EXPECT_EQ(s["pixelWidth"], m.width);
        EXPECT_EQ(s["pixelHeight"], m.height);
        EXPECT_EQ(s["nativePixels"], json({1920, 1080})) << "the EDID's preferred timing";
        EXPECT_FALSE(listed_["currentModeID"][id(m.connector)].is_null());
    }
    EXPECT_FALSE(modeKey("DUMMY1", 1280, 1024).empty());
    EXPECT_TRUE(listed_["lastError"].is_null()) << listed_["lastError"];
    EXPECT_EQ(snapshot(), before_) << "a run that changes nothing leaves the server as it was";
}

TEST_F(X11HeadlessBedTest, ModeAndMainDisplayAreTheUsersChoiceAndStayAfterTheRun) {
    json state = run(operations({"apply " + id("DUMMY2") + " " + modeKey("DUMMY2", 1280, 1024),
                                 "makeMain " + id("DUMMY1")}));
    EXPECT_TRUE(state["lastError"].is_null()) << state["lastError"];
    EXPECT_EQ(geometry("DUMMY2"), "1280x1024+3840+0");
    EXPECT_TRUE(primary("DUMMY1"));
    EXPECT_FALSE(primary("DUMMY0"));
    EXPECT_EQ(screen(state, id("DUMMY1"))["isMain"], true);
    EXPECT_EQ(state["currentModeID"][id("DUMMY2")], modeKey("DUMMY2", 1280, 1024));
    EXPECT_EQ(geometry("DUMMY0"), "1920x1080+0+0");
    EXPECT_EQ(verboseField("DUMMY0", "Gamma"), "1.0:1.0:1.0");
}

TEST_F(X11HeadlessBedTest, MirroringStaysAndEndsWhenTheUserEndsIt) {
    json state = run(operations({"mirror " + id("DUMMY2") + " " + id("DUMMY0")}));
    EXPECT_EQ(geometry("DUMMY2"), "1920x1080+0+0") << "the mirror shows the main display's picture";
    EXPECT_EQ(geometry("DUMMY0"), "1920x1080+0+0");
    EXPECT_EQ(screen(state, id("DUMMY2"))["mirrorOf"], std::stoul(id("DUMMY0")));

    state = run(operations({"mirror " + id("DUMMY2") + " none"}));
    EXPECT_TRUE(state["lastError"].is_null()) << state["lastError"];
    EXPECT_NE(geometry("DUMMY2"), "1920x1080+0+0");
    EXPECT_FALSE(geometry("DUMMY2").empty());
    EXPECT_TRUE(screen(state, id("DUMMY2"))["mirrorOf"].is_null());
}

TEST_F(X11HeadlessBedTest, SwitchOffWarmthAndGammaBrightnessLastOnlyWhileTheProgramRuns) {
    const auto changes = operations({"setEnabled " + id("DUMMY2") + " off", "setWarmth " + id("DUMMY0") + " 0.8",
                                     "setBrightness " + id("DUMMY1") + " 0.4"});
    ProgramRun r = runUntilSignal(changes, [&](pid_t pid) {
        expectRunOnlyChangesShow();
        EXPECT_TRUE(eventually([&] { return brightness("DUMMY1") > 0 && brightness("DUMMY1") < 0.9; }))
            << "brightness by gamma: " << verboseField("DUMMY1", "Brightness");
        EXPECT_EQ(verboseField("DUMMY1", "Gamma"), "1.0:1.0:1.0") << "dimmed, not tinted";
        EXPECT_EQ(geometry("DUMMY1"), "1920x1080+1920+0");
        ::kill(pid, SIGTERM);
    });
    ASSERT_TRUE(WIFSIGNALED(r.status)) << r.err;
    EXPECT_EQ(WTERMSIG(r.status), SIGTERM);
    EXPECT_EQ(r.state()["terminated"], true);
    EXPECT_EQ(snapshot(), before_);

    // Ended by --terminate, or simply at the end of the command line.
    for (const char* ending : {"--terminate", ""}) {
        auto args = changes;
        if (*ending) args.push_back(ending);
        json state = run(args);
        EXPECT_EQ(state["disabled"].contains(id("DUMMY2")), !*ending) << ending;
        EXPECT_EQ(snapshot(), before_) << (*ending ? ending : "at the end of the command line");
    }
}

TEST_F(X11HeadlessBedTest, AScreenSwitchedOnAgainComesBackWhereItWas) {
    ProgramRun r = runUntilSignal(operations({"setEnabled " + id("DUMMY1") + " off", "setEnabled " + id("DUMMY1") + " on"}),
                                  [&](pid_t pid) {
                                      EXPECT_EQ(geometry("DUMMY1"), "1920x1080+1920+0");
                                      ::kill(pid, SIGTERM);
                                  });
    ASSERT_TRUE(WIFSIGNALED(r.status)) << r.err;
    EXPECT_TRUE(r.state()["disabled"].empty());
    EXPECT_EQ(snapshot(), before_);
}

TEST_F(X11HeadlessBedTest, AfterAKillTheNextStartPutsTheTrueOriginalsBack) {
    ProgramRun killed = runUntilSignal(
        operations({"setWarmth " + id("DUMMY0") + " 0.8", "setEnabled " + id("DUMMY2") + " off"}), [&](pid_t pid) {
            expectRunOnlyChangesShow();
            ::kill(pid, SIGKILL);
        });
    ASSERT_TRUE(WIFSIGNALED(killed.status) && WTERMSIG(killed.status) == SIGKILL) << killed.err;
    // X keeps what a killed program left: nothing was given back yet.
    EXPECT_TRUE(geometry("DUMMY2").empty());
    EXPECT_NE(verboseField("DUMMY0", "Gamma"), "1.0:1.0:1.0");

    // The warmth the user chose is theirs and comes back with the program,
    // on top of the true original: at a clean quit everything is as it was
    // before the first start, not as the killed run left it.
    ProgramRun next = runUntilSignal({}, [&](pid_t pid) {
        EXPECT_EQ(geometry("DUMMY2"), "1600x900+3840+0") << "switched on where it was before the killed run";
        EXPECT_TRUE(eventually([&] { return verboseField("DUMMY0", "Gamma") != "1.0:1.0:1.0"; }));
        ::kill(pid, SIGTERM);
    });
    EXPECT_NE(next.err.find("originals left by a run that did not end cleanly were put back"), std::string::npos)
        << next.err;
    EXPECT_EQ(snapshot(), before_);
    json state = run({});
    EXPECT_EQ(state["screens"].size(), 3u);
    EXPECT_EQ(lastErr_.find("did not end cleanly"), std::string::npos) << "the record was cleared";
    EXPECT_EQ(snapshot(), before_);
}

TEST_F(X11HeadlessBedTest, HiDPIAndVirtualScreensAreRefusedWithTheReason) {
    for (const std::string& op : {"enableHiDPI " + id("DUMMY0"), std::string("addVirtual 1920 1080 60 1 Side")}) {
        json state = run(operations({op}));
        ASSERT_TRUE(state["lastError"].is_string()) << op;
        EXPECT_NE(state["lastError"].get<std::string>().find("HiDPI"), std::string::npos) << state["lastError"];
        EXPECT_TRUE(state["hiDPIMap"].empty());
        EXPECT_EQ(state["screens"].size(), 3u);
    }
    EXPECT_EQ(snapshot(), before_);
}

}  // namespace
}  // namespace vp::test
