#pragma once
// Watches an X screen for RandR changes (screen size, CRTCs, outputs, output
// properties) on a connection and thread of its own, and reports each burst
// once: a replug, another tool's change or one of ours sends a flurry of
// notifications, and the core should refresh once for all of them.
//
// The change callback runs on the watcher's thread. `lost` runs once when
// the server goes away.

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

struct xcb_connection_t;

namespace vp::x11 {

class RandrEvents {
public:
    using Callback = std::function<void()>;
    // Quiet time that ends a burst, and the longest a burst may be held.
    static constexpr std::chrono::milliseconds kQuiet{40}, kLongest{250};

    RandrEvents(const std::string& display, Callback changed, Callback lost);
    ~RandrEvents();
    RandrEvents(const RandrEvents&) = delete;
    RandrEvents& operator=(const RandrEvents&) = delete;

    bool running() const { return thread_.joinable(); }
    // Bursts reported so far.
    std::size_t bursts() const { return bursts_; }

private:
    void run();

    xcb_connection_t* c_ = nullptr;
    Callback changed_, lost_;
    int wake_[2] = {-1, -1};
    std::atomic<std::size_t> bursts_{0};
    std::thread thread_;
};

}  // namespace vp::x11
