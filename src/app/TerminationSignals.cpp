#include "app/TerminationSignals.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace vp {

namespace {

// Written only before the handlers are installed; read by the handler.
int pipeFds[2] = {-1, -1};

extern "C" void onTerminationSignal(int signal) {
    int saved = errno;
    unsigned char byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a pending signal; losing this one is fine.
    [[maybe_unused]] ssize_t written = ::write(pipeFds[1], &byte, 1);
    errno = saved;
}

bool makePipe() {
    if (::pipe(pipeFds) != 0) return false;
    for (int fd : pipeFds) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    return true;
}

bool setHandler(int signal) {
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(signal, &action, nullptr) == 0;
}

}  // namespace

bool TerminationSignals::install() {
    static const bool installed = makePipe() && setHandler(SIGINT) && setHandler(SIGTERM) && setHandler(SIGHUP);
    return installed;
}

int TerminationSignals::fd() {
    return pipeFds[0];
}

std::optional<int> TerminationSignals::take() {
    unsigned char byte = 0;
    std::optional<int> first;
    // Drain everything so that the descriptor stops being readable; only the
    // first signal matters.
    while (::read(pipeFds[0], &byte, 1) == 1)
        if (!first) first = byte;
    return first;
}

int TerminationSignals::wait() {
    for (;;) {
        if (auto signal = take()) return *signal;
        pollfd watch = {pipeFds[0], POLLIN, 0};
        ::poll(&watch, 1, -1);
    }
}

void TerminationSignals::endBy(int signal) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal);
}

}  // namespace vp
