#pragma once
// A child process run to its end with both output streams collected, for the
// tests that start the built program itself. Every wait is bounded, so that a
// child that hangs fails its test instead of hanging the suite.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace vp::test {

struct ChildRun {
    int status = -1;  // as waitpid() gives it
    std::string out, err;
};

struct ChildOptions {
    // The whole environment of the child; empty: this process's own.
    std::vector<std::string> environment;
    // Called after every read with what has arrived so far; may signal the child.
    std::function<void(pid_t, const ChildRun&)> progress;
    // A child whose output is still open after this is killed.
    std::chrono::seconds limit{60};
};

// argv[0] without a slash is looked up on PATH.
ChildRun runChild(std::vector<std::string> argv, const ChildOptions& options = {});

}  // namespace vp::test
