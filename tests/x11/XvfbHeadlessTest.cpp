// The program itself on the plain virtual X server: one output, little
// RandR. What the server cannot do is reported, and the run still ends well
// with the server as it was.

#include "x11/ProgramRun.h"
#include "x11/X11BedFixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <regex>

#include <signal.h>

#include <sys/wait.h>

namespace vp::test {
namespace {

using nlohmann::json;

class XvfbHeadlessTest : public XvfbBedTest {
protected:
    void SetUp() override {
        XvfbBedTest::SetUp();
        if (IsSkipped()) return;
        program_.emplace(bed().display());
        before_ = randrState(bed());
        listed_ = run({});
        ASSERT_EQ(listed_["screens"].size(), 1u) << listed_.dump();
        id_ = std::to_string(listed_["screens"][0]["id"].get<std::uint32_t>());
    }
    json run(std::vector<std::string> args) { return program_->state(std::move(args)); }

    std::optional<Program> program_;
    std::string before_, id_;
    json listed_;
};

TEST_F(XvfbHeadlessTest, WhatTheServerCannotDoIsReportedAndNothingChanges) {
    for (const std::string& op : {"setEnabled " + id_ + " off", "enableHiDPI " + id_, "mirror " + id_ + " " + id_}) {
        json state = run({"--do", op});
        ASSERT_TRUE(state["lastError"].is_string()) << op;
        if (op.starts_with("setEnabled")) {
            EXPECT_NE(state["lastError"].get<std::string>().find("the only active screen"),
                      std::string::npos) << state["lastError"];
        }
        EXPECT_EQ(state["screens"][0]["isActive"], true) << op;
        EXPECT_TRUE(state["disabled"].empty()) << op;
        EXPECT_EQ(randrState(bed()), before_) << op;
    }
}

TEST_F(XvfbHeadlessTest, WarmthAndBrightnessReachTheRampAndEndWithTheRun) {
    auto gamma = [&] {
        std::smatch m;
        std::string all = bed().run("xrandr --verbose");
        return std::regex_search(all, m, std::regex("Gamma:\\s*(\\S+)")) ? m[1].str() : std::string();
    };
    ProgramRun r = program_->run({"--do", "setWarmth " + id_ + " 0.8", "--do", "setBrightness " + id_ + " 0.4",
                                  "--until-signal"},
                                 [&](pid_t pid) {
                                     EXPECT_TRUE(eventually([&] { return gamma() != "1.0:1.0:1.0"; })) << gamma();
                                     ::kill(pid, SIGTERM);
                                 });
    ASSERT_TRUE(WIFSIGNALED(r.status)) << r.err;
    // Xvfb reports a ramp of zeros until someone sets one; it stands for
    // the neutral ramp, and that is what is given back.
    std::string expected = before_;
    if (auto at = expected.find("Brightness: 0.0"); at != std::string::npos) expected.replace(at, 15, "Brightness: 1.0");
    EXPECT_EQ(randrState(bed()), expected);
}

}  // namespace
}  // namespace vp::test
