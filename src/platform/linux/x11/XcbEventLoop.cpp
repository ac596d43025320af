#include "platform/linux/x11/XcbEventLoop.h"

#include <xcb/xcb.h>

#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace vp::x11 {

XcbEventLoop::XcbEventLoop(xcb_connection_t* connection, Handler handler, std::function<void()> lost, Timer timer)
    : c_(connection), handler_(std::move(handler)), lost_(std::move(lost)), timer_(std::move(timer)) {
    if (!c_ || xcb_connection_has_error(c_) || ::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) return;
    thread_ = std::thread([this] { run(); });
}

XcbEventLoop::~XcbEventLoop() {
    if (thread_.joinable()) {
        char byte = 1;
        [[maybe_unused]] auto n = ::write(wake_[1], &byte, 1);
        thread_.join();
    }
    for (int fd : wake_)
        if (fd >= 0) ::close(fd);
}

int XcbEventLoop::timeout() {
    if (!timer_) return -1;
    auto next = timer_();
    if (!next) return -1;
    auto now = Clock::now();
    return *next <= now ? 0 : int(std::chrono::ceil<std::chrono::milliseconds>(*next - now).count());
}

void XcbEventLoop::run() {
    pollfd fds[2] = {{xcb_get_file_descriptor(c_), POLLIN, 0}, {wake_[0], POLLIN, 0}};
    for (;;) {
        // Events may already sit in xcb's queue (read while answering a
        // request on another thread), so drain before blocking.
        while (xcb_generic_event_t* event = xcb_poll_for_event(c_)) {
            handler_(*event);
            std::free(event);
        }
        if (xcb_connection_has_error(c_)) {
            if (lost_) lost_();
            return;
        }
        ::poll(fds, 2, timeout());
        if (fds[1].revents) return;
    }
}

}  // namespace vp::x11
