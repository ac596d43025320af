#include "support/ChildRun.h"

#include <stdexcept>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vp::test {

namespace {

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (auto& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

// Appends what one stream has ready; false once it is closed.
bool readInto(int fd, std::string& into) {
    char buffer[4096];
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    into.append(buffer, static_cast<std::size_t>(n));
    return true;
}

}  // namespace

ChildRun runChild(std::vector<std::string> argv, const ChildOptions& options) {
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) throw std::runtime_error("pipe");
    std::vector<std::string> env = options.environment;
    auto args = pointers(argv), envp = pointers(env);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        for (int fd : {out[0], out[1], err[0], err[1]}) ::close(fd);
        ::execvpe(args[0], args.data(), env.empty() ? environ : envp.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);

    ChildRun result;
    const auto deadline = std::chrono::steady_clock::now() + options.limit;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    while (open > 0 && std::chrono::steady_clock::now() < deadline) {
        if (::poll(fds, 2, 1000) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            if (readInto(fds[i].fd, i == 0 ? result.out : result.err)) continue;
            ::close(fds[i].fd);
            fds[i].fd = -1;
            --open;
        }
        if (options.progress) options.progress(pid, result);
    }
    if (open > 0) ::kill(pid, SIGKILL);
    ::waitpid(pid, &result.status, 0);
    for (auto& f : fds)
        if (f.fd >= 0) ::close(f.fd);
    return result;
}

}  // namespace vp::test
