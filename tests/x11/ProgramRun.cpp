#include "x11/ProgramRun.h"

#include "BuildPaths.h"

#include <chrono>
#include <filesystem>
#include <stdexcept>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vp::test {

namespace {

constexpr auto kLongestRun = std::chrono::seconds(60);
constexpr const char* kWaiting = "running until SIGINT, SIGTERM or SIGHUP";

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (auto& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

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
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) throw std::runtime_error("pipe");
    args.insert(args.begin(), {VELVETPANE_BINARY, "--headless", "--platform", "linux", "--json"});
    std::vector<std::string> env = environment();
    auto argv = pointers(args), envp = pointers(env);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        for (int fd : {out[0], out[1], err[0], err[1]}) ::close(fd);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);

    ProgramRun result;
    bool told = false;
    const auto deadline = std::chrono::steady_clock::now() + kLongestRun;
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
            (i == 0 ? result.out : result.err).append(buffer, std::size_t(n));
        }
        if (!told && whileWaiting && result.err.find(kWaiting) != std::string::npos) {
            told = true;
            whileWaiting(pid);
        }
    }
    if (open > 0) ::kill(pid, SIGKILL);
    ::waitpid(pid, &result.status, 0);
    for (auto& f : fds)
        if (f.fd >= 0) ::close(f.fd);
    return result;
}

}  // namespace vp::test
