// The program itself on the plain virtual X server: one output, little
// RandR. What the server cannot do is reported, and the run still ends well
// with the server as it was.

#include "x11/ProgramRun.h"
#include "x11/XServerBed.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <regex>
#include <thread>

#include <signal.h>

#include <sys/wait.h>

namespace vp::test {
namespace {

using nlohmann::json;

class XvfbHeadlessTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { bed_ = XServerBed::start(XServerBed::Kind::xvfb, why_).release(); }
    static void TearDownTestSuite() {
        delete bed_;
        bed_ = nullptr;
    }
    void SetUp() override {
        if (!bed_) GTEST_SKIP() << why_;
        program_.emplace(bed_->display());
        before_ = randrState(*bed_);
        listed_ = run({});
        ASSERT_EQ(listed_["screens"].size(), 1u) << listed_.dump();
        id_ = std::to_string(listed_["screens"][0]["id"].get<std::uint32_t>());
    }
    json run(std::vector<std::string> args) {
        ProgramRun r = program_->run(std::move(args));
        EXPECT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0) << r.err;
        json state = r.state();
        EXPECT_FALSE(state.is_discarded()) << r.out << r.err;
        return state;
    }
    json runOne(const std::string& operation) { return run({"--do", operation}); }

    static inline XServerBed* bed_ = nullptr;
    static inline std::string why_;
    std::optional<Program> program_;
    std::string before_, id_;
    json listed_;
};

TEST_F(XvfbHeadlessTest, WhatTheServerCannotDoIsReportedAndNothingChanges) {
    for (const std::string& op : {"setEnabled " + id_ + " off", "enableHiDPI " + id_, "mirror " + id_ + " " + id_}) {
        json state = runOne(op);
        EXPECT_TRUE(state["lastError"].is_string()) << op;
        EXPECT_EQ(state["screens"][0]["isActive"], true) << op;
        EXPECT_TRUE(state["disabled"].empty()) << op;
        EXPECT_EQ(randrState(*bed_), before_) << op;
    }
}

TEST_F(XvfbHeadlessTest, WarmthAndBrightnessReachTheRampAndEndWithTheRun) {
    auto gamma = [&] {
        std::smatch m;
        std::string all = bed_->run("xrandr --verbose");
        return std::regex_search(all, m, std::regex("Gamma:\\s*(\\S+)")) ? m[1].str() : std::string();
    };
    ProgramRun r = program_->run({"--do", "setWarmth " + id_ + " 0.8", "--do", "setBrightness " + id_ + " 0.4",
                                  "--until-signal"},
                                 [&](pid_t pid) {
                                     bool tinted = false;
                                     for (int i = 0; i < 50 && !tinted; ++i) {
                                         tinted = gamma() != "1.0:1.0:1.0";
                                         if (!tinted) std::this_thread::sleep_for(std::chrono::milliseconds(40));
                                     }
                                     EXPECT_TRUE(tinted) << gamma();
                                     ::kill(pid, SIGTERM);
                                 });
    ASSERT_TRUE(WIFSIGNALED(r.status)) << r.err;
    // Xvfb reports a ramp of zeros until someone sets one; it stands for
    // the neutral ramp, and that is what is given back.
    std::string expected = before_;
    if (auto at = expected.find("Brightness: 0.0"); at != std::string::npos) expected.replace(at, 15, "Brightness: 1.0");
    EXPECT_EQ(randrState(*bed_), expected);
}

}  // namespace
}  // namespace vp::test
