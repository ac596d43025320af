#pragma once
// Reads one xcb connection's events on a thread of its own and hands each to
// a handler there; blocks in poll() while nothing happens, so an idle
// connection costs no CPU. `lost` runs once when the server goes away.
//
// A watcher that acts on time as well as on events (ending a burst after a
// quiet spell) gives a timer: it runs on the loop's thread after each round
// of events and when the time it asked for has come, does what is due and
// says when it wants to run next (nothing: only when events arrive).

#include <xcb/xcb.h>

#include <chrono>
#include <functional>
#include <optional>
#include <thread>

namespace vp::x11 {

class XcbEventLoop {
public:
    using Clock = std::chrono::steady_clock;
    using Handler = std::function<void(const xcb_generic_event_t&)>;
    using Timer = std::function<std::optional<Clock::time_point>()>;

    // The connection stays the caller's; it must outlive the loop.
    XcbEventLoop(xcb_connection_t* connection, Handler handler, std::function<void()> lost = {}, Timer timer = {});
    ~XcbEventLoop();
    XcbEventLoop(const XcbEventLoop&) = delete;
    XcbEventLoop& operator=(const XcbEventLoop&) = delete;

    bool running() const { return thread_.joinable(); }

private:
    void run();
    // Milliseconds until the timer's next run, -1 for none.
    int timeout();

    xcb_connection_t* c_;
    Handler handler_;
    std::function<void()> lost_;
    Timer timer_;
    int wake_[2] = {-1, -1};
    std::thread thread_;
};

}  // namespace vp::x11
