#include "platform/linux/x11/RandrEvents.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace vp::x11 {

namespace {

using Clock = std::chrono::steady_clock;

// Drains what is queued; true when any of it was a RandR notification.
bool drain(xcb_connection_t* c, std::uint8_t randrBase) {
    bool any = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
        const std::uint8_t type = event->response_type & 0x7F;
        any = any || type == randrBase + XCB_RANDR_SCREEN_CHANGE_NOTIFY || type == randrBase + XCB_RANDR_NOTIFY;
        std::free(event);
    }
    return any;
}

}  // namespace

RandrEvents::RandrEvents(const std::string& display, Callback changed, Callback lost)
    : changed_(std::move(changed)), lost_(std::move(lost)) {
    int screenNumber = 0;
    c_ = xcb_connect(display.empty() ? nullptr : display.c_str(), &screenNumber);
    if (xcb_connection_has_error(c_) || ::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) return;
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(c_, &xcb_randr_id);
    if (!randr || !randr->present) return;
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c_));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    xcb_randr_select_input(c_, it.data->root,
                           XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                               XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE | XCB_RANDR_NOTIFY_MASK_OUTPUT_PROPERTY);
    xcb_flush(c_);
    thread_ = std::thread([this] { run(); });
}

RandrEvents::~RandrEvents() {
    if (thread_.joinable()) {
        char byte = 1;
        [[maybe_unused]] auto n = ::write(wake_[1], &byte, 1);
        thread_.join();
    }
    for (int fd : wake_)
        if (fd >= 0) ::close(fd);
    if (c_) xcb_disconnect(c_);
}

void RandrEvents::run() {
    const std::uint8_t base = xcb_get_extension_data(c_, &xcb_randr_id)->first_event;
    pollfd fds[2] = {{xcb_get_file_descriptor(c_), POLLIN, 0}, {wake_[0], POLLIN, 0}};
    bool inBurst = false;
    Clock::time_point burstStart, lastEvent;
    for (;;) {
        int timeout = -1;
        if (inBurst) {
            auto now = Clock::now();
            auto until = std::min(lastEvent + kQuiet, burstStart + kLongest);
            timeout = until <= now ? 0 : int(std::chrono::ceil<std::chrono::milliseconds>(until - now).count());
        }
        int ready = ::poll(fds, 2, timeout);
        if (fds[1].revents) return;
        if (ready > 0 && drain(c_, base)) {
            lastEvent = Clock::now();
            if (!inBurst) burstStart = lastEvent;
            inBurst = true;
        }
        if (xcb_connection_has_error(c_)) {
            if (lost_) lost_();
            return;
        }
        auto now = Clock::now();
        if (inBurst && (now >= lastEvent + kQuiet || now >= burstStart + kLongest)) {
            inBurst = false;
            ++bursts_;
            if (changed_) changed_();
        }
    }
}

}  // namespace vp::x11
