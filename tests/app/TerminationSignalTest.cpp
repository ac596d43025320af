// The program, asked to end by SIGTERM or SIGINT, restores the screens it
// changed before it goes. These tests run the real binary on the simulated
// platform in a child process.
#include "BuildPaths.h"
#include "support/ChildRun.h"
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <sys/wait.h>

#include <string>
#include <vector>

namespace vp {
namespace {

using test::ChildOptions;
using test::ChildRun;
using test::runChild;

const std::vector<std::string> kChanges = {
    "--do", "setBrightness 3 0.3",  // no DDC: dimmed in software
    "--do", "setWarmth 2 0.8",
    "--do", "setEnabled 1 off",
};

// Runs the binary with `args`; once it says it is waiting, sends the first of
// `signals`, and the others once it says it took that one. Sent together,
// signals reach a process in the kernel's order (SIGINT before SIGTERM), not
// in the order sent. Every wait is bounded so that a broken child fails the
// test instead of hanging it.
ChildRun run(std::vector<std::string> args, const std::vector<int>& signals) {
    args.insert(args.begin(), {VELVETPANE_BINARY, "--headless"});
    std::size_t sent = 0;
    ChildOptions options;
    options.progress = [&](pid_t pid, const ChildRun& sofar) {
        const bool waiting = sofar.err.find("running until SIGINT, SIGTERM or SIGHUP") != std::string::npos;
        if (sent == 0 && !signals.empty() && waiting) ::kill(pid, signals[sent++]);
        if (sent == 1 && sofar.err.find(" taken, restoring the screens") != std::string::npos)
            while (sent < signals.size()) ::kill(pid, signals[sent++]);
    };
    return runChild(std::move(args), options);
}

nlohmann::json stateOf(const ChildRun& r) {
    return nlohmann::json::parse(r.out);  // throws unless exactly one JSON value
}

void expectRestored(const nlohmann::json& state, const nlohmann::json& untouched) {
    EXPECT_TRUE(state["terminated"].get<bool>());
    EXPECT_TRUE(state["disabled"].empty()) << state["disabled"];
    for (const auto& screen : state["screens"]) EXPECT_TRUE(screen["isActive"].get<bool>()) << screen["id"];
    for (const auto& [id, hardware] : untouched["hardware"].items()) {
        EXPECT_EQ(state["hardware"][id]["gamma"], hardware["gamma"]) << "display " << id;
        EXPECT_TRUE(state["hardware"][id]["shade"].is_null()) << "display " << id;
        EXPECT_TRUE(state["hardware"][id]["xdr"].is_null()) << "display " << id;
    }
}

class TerminationSignal : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        untouched = stateOf(run({}, {}));
        changed = stateOf(run(kChanges, {}));
    }
    // Without the signal the changes stay, or restoring them would prove nothing.
    void SetUp() override {
        ASSERT_NE(changed["hardware"]["2"]["gamma"], untouched["hardware"]["2"]["gamma"]);
        ASSERT_NE(changed["hardware"]["3"]["gamma"], untouched["hardware"]["3"]["gamma"]);
        ASSERT_TRUE(changed["disabled"].contains("1"));
        ASSERT_FALSE(changed["terminated"].get<bool>());
    }
    static inline nlohmann::json untouched, changed;
};

TEST_F(TerminationSignal, SigtermRestoresOnceThenEndsByTheSignal) {
    auto args = kChanges;
    args.push_back("--until-signal");
    // Signals while the first is handled must neither run the sequence again
    // nor change the signal the program ends by.
    ChildRun r = run(args, {SIGTERM, SIGTERM, SIGINT});
    ASSERT_TRUE(WIFSIGNALED(r.status)) << r.err;
    EXPECT_EQ(WTERMSIG(r.status), SIGTERM);
    EXPECT_NE(r.err.find("SIGTERM taken"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(" taken, "), r.err.rfind(" taken, ")) << r.err;
    expectRestored(stateOf(r), untouched);
}

TEST_F(TerminationSignal, SigintSighupAndTheTerminateFlagRestoreToo) {
    // SIGHUP: the terminal the program was started from is closed.
    for (int signal : {SIGINT, SIGHUP, 0}) {
        auto args = kChanges;
        args.push_back(signal ? "--until-signal" : "--terminate");
        ChildRun r = run(args, signal ? std::vector<int>{signal} : std::vector<int>{});
        if (signal) {
            ASSERT_TRUE(WIFSIGNALED(r.status) && WTERMSIG(r.status) == signal) << r.err;
        } else {
            ASSERT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0) << r.err;
        }
        expectRestored(stateOf(r), untouched);
    }
}

}  // namespace
}  // namespace vp
