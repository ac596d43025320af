// The program, asked to end by SIGTERM or SIGINT, restores the screens it
// changed before it goes. These tests run the real binary on the simulated
// platform in a child process.
#include "BuildPaths.h"
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace vp {
namespace {

struct ChildRun {
    int status = 0;
    std::string out, err;
};

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
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) throw std::runtime_error("pipe");
    args.insert(args.begin(), {VELVETPANE_BINARY, "--headless"});
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        for (int fd : {out[0], out[1], err[0], err[1]}) ::close(fd);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);

    ChildRun result;
    std::size_t sent = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    while (open > 0 && std::chrono::steady_clock::now() < deadline) {
        if (::poll(fds, 2, 1000) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buffer[4096];
            ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
                continue;
            }
            (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
        }
        if (sent == 0 && !signals.empty() && result.err.find("running until SIGINT or SIGTERM") != std::string::npos)
            ::kill(pid, signals[sent++]);
        if (sent == 1 && result.err.find(" taken, restoring the screens") != std::string::npos)
            while (sent < signals.size()) ::kill(pid, signals[sent++]);
    }
    if (open > 0) ::kill(pid, SIGKILL);
    ::waitpid(pid, &result.status, 0);
    for (auto& f : fds)
        if (f.fd >= 0) ::close(f.fd);
    return result;
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
    static inline nlohmann::json untouched, changed;
};

TEST_F(TerminationSignal, TheChangesAreVisibleWhileRunning) {
    EXPECT_NE(changed["hardware"]["2"]["gamma"], untouched["hardware"]["2"]["gamma"]);
    EXPECT_NE(changed["hardware"]["3"]["gamma"], untouched["hardware"]["3"]["gamma"]);
    EXPECT_TRUE(changed["disabled"].contains("1"));
    EXPECT_FALSE(changed["terminated"].get<bool>());
}

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

TEST_F(TerminationSignal, SigintRestoresToo) {
    auto args = kChanges;
    args.push_back("--until-signal");
    ChildRun r = run(args, {SIGINT});
    ASSERT_TRUE(WIFSIGNALED(r.status)) << r.err;
    EXPECT_EQ(WTERMSIG(r.status), SIGINT);
    expectRestored(stateOf(r), untouched);
}

TEST_F(TerminationSignal, TerminateFlagShowsTheSameRestoredState) {
    auto args = kChanges;
    args.push_back("--terminate");
    ChildRun r = run(args, {});
    ASSERT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0) << r.err;
    expectRestored(stateOf(r), untouched);
}

}  // namespace
}  // namespace vp
