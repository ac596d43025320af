#include "x11/ProgramRun.h"

#include "BuildPaths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/wait.h>

namespace vp::test {

namespace {

constexpr const char* kWaiting = "running until SIGINT, SIGTERM or SIGHUP";

}  // namespace

Program::Program(std::string display) : Program(std::move(display), {}) {}

Program::Program(std::string display, std::vector<std::string> overrides)
    : display_(std::move(display)), overrides_(std::move(overrides)) {
    for (const char* folder : {"sys", "dev", "home", "config", "state", "data", "runtime"})
        std::filesystem::create_directories(root_.path() / folder);
    std::filesystem::permissions(root_.path() / "runtime", std::filesystem::perms::owner_all);
}

std::vector<std::string> Program::environment() const {
    const std::string root = root_.path().string();
    const std::string nowhere = "unix:path=" + root + "/none";
    std::vector<std::string> env = {"DISPLAY=" + display_,
                                    "PATH=/usr/bin:/bin",
                                    "HOME=" + root + "/home",
                                    "XDG_CONFIG_HOME=" + root + "/config",
                                    "XDG_STATE_HOME=" + root + "/state",
                                    "XDG_DATA_HOME=" + root + "/data",
                                    "XDG_RUNTIME_DIR=" + root + "/runtime",
                                    "VELVETPANE_SYSFS_ROOT=" + root + "/sys",
                                    "VELVETPANE_DEV_ROOT=" + root + "/dev",
                                    "DBUS_SESSION_BUS_ADDRESS=" + nowhere,
                                    "DBUS_SYSTEM_BUS_ADDRESS=" + nowhere};
    for (const std::string& entry : overrides_) {
        const std::string name = entry.substr(0, entry.find('=') + 1);
        std::erase_if(env, [&](const std::string& e) { return e.rfind(name, 0) == 0; });
        env.push_back(entry);
    }
    return env;
}

ProgramRun Program::run(std::vector<std::string> args, const std::function<void(pid_t)>& whileWaiting) const {
    args.insert(args.begin(), {VELVETPANE_BINARY, "--headless", "--platform", "linux", "--json"});
    bool told = false;
    ChildOptions options{environment(), [&](pid_t pid, const ChildRun& sofar) {
                             if (told || !whileWaiting || sofar.err.find(kWaiting) == std::string::npos) return;
                             told = true;
                             whileWaiting(pid);
                         }};
    ProgramRun result;
    static_cast<ChildRun&>(result) = runChild(std::move(args), options);
    return result;
}

nlohmann::json Program::state(std::vector<std::string> args, std::string* err) const {
    ProgramRun r = run(std::move(args));
    EXPECT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0) << r.err;
    nlohmann::json state = r.state();
    EXPECT_FALSE(state.is_discarded()) << r.out << r.err;
    if (err) *err = r.err;
    return state;
}

}  // namespace vp::test
