#pragma once
// The built program, run as a user would: `velvetpane --headless --platform
// linux --json …` against a test display server, in an environment of its own.
// Nothing of this machine is in reach: sysfs and device files are empty
// folders, both buses point at a socket that does not exist, there is no
// Wayland display, and home, configuration and state are temporary.

#include "support/ChildRun.h"
#include "support/TempDir.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace vp::test {

struct ProgramRun : ChildRun {
    nlohmann::json state() const { return nlohmann::json::parse(out, nullptr, false); }
};

class Program {
public:
    explicit Program(std::string display);
    // The same, with `overrides` ("NAME=value") replacing or adding to the
    // private environment: a device tree of the test's own, a preload.
    Program(std::string display, std::vector<std::string> overrides);
    // Runs the program with `args` after `--headless --platform linux
    // --json`. With --until-signal, `whileWaiting` gets the process once it
    // waits for a signal, and must send one. Every wait is bounded: a
    // program that hangs is killed and fails the test instead.
    ProgramRun run(std::vector<std::string> args, const std::function<void(pid_t)>& whileWaiting = {}) const;
    // Runs it to its end, expecting a clean exit and its state in JSON; the
    // state, and its log in `err` when asked.
    nlohmann::json state(std::vector<std::string> args, std::string* err = nullptr) const;

private:
    std::vector<std::string> environment() const;

    std::string display_;
    std::vector<std::string> overrides_;
    TempDir root_;
};

}  // namespace vp::test
