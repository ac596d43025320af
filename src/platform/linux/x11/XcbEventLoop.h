#pragma once
// Reads one xcb connection's events on a thread of its own and hands each to
// a handler there; blocks in poll() while nothing happens, so an idle
// connection costs no CPU. `lost` runs once when the server goes away.

#include <xcb/xcb.h>

#include <functional>
#include <thread>

namespace vp::x11 {

class XcbEventLoop {
public:
    using Handler = std::function<void(const xcb_generic_event_t&)>;

    // The connection stays the caller's; it must outlive the loop.
    XcbEventLoop(xcb_connection_t* connection, Handler handler, std::function<void()> lost = {});
    ~XcbEventLoop();
    XcbEventLoop(const XcbEventLoop&) = delete;
    XcbEventLoop& operator=(const XcbEventLoop&) = delete;

    bool running() const { return thread_.joinable(); }

private:
    void run();

    xcb_connection_t* c_;
    Handler handler_;
    std::function<void()> lost_;
    int wake_[2] = {-1, -1};
    std::thread thread_;
};

}  // namespace vp::x11
