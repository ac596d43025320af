#pragma once
// Watches an X screen for RandR changes (screen size, CRTCs, outputs, output
// properties) on a connection and thread of its own, and reports each burst
// once: a replug, another tool's change or one of ours sends a flurry of
// notifications, and the core should refresh once for all of them.
//
// The change callback runs on the watcher's thread. `lost` runs once when
// the server goes away.

#include "platform/linux/x11/XcbEventLoop.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

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

    bool running() const { return loop_ && loop_->running(); }
    // Bursts reported so far.
    std::size_t bursts() const { return bursts_; }

private:
    using Clock = XcbEventLoop::Clock;
    void take(const xcb_generic_event_t& event);
    // Reports a burst that has ended; when to look again while one lasts.
    std::optional<Clock::time_point> due();

    xcb_connection_t* c_ = nullptr;
    Callback changed_;
    std::uint8_t base_ = 0;
    // The burst under way, touched on the loop's thread only.
    bool inBurst_ = false;
    Clock::time_point burstStart_, lastEvent_;
    std::atomic<std::size_t> bursts_{0};
    std::unique_ptr<XcbEventLoop> loop_;
};

}  // namespace vp::x11
