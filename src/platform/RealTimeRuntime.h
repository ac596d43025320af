#pragma once
// The runtime of a real platform without a GUI event loop (headless mode on
// real hardware): a main queue run on the calling thread in real time, the
// DDC/CI exchanges on a worker thread with real pauses, and the steady
// clock. `runUntilIdle` is how a command-line run waits for its operation
// to reach the hardware before it prints the state and exits.

#include "platform/Runtime.h"
#include "platform/VirtualRuntime.h"

#include <condition_variable>
#include <deque>
#include <limits>
#include <map>
#include <mutex>
#include <optional>

namespace vp {

class RealMainQueue : public MainQueue {
public:
    explicit RealMainQueue(const Clock& clock) : clock_(clock) {}
    void post(Task task) override;
    WorkItemRef postAfter(Seconds delay, Task task) override;

    // Runs tasks on the calling thread as they come and fall due, until
    // nothing is queued, no timer posted at or after `since` is due before
    // `limit` has passed and `busyElsewhere` (work on other threads that
    // will post back) is false. Timers posted earlier still run when they
    // fall due meanwhile. False when the limit ended the wait.
    bool runUntilIdle(Seconds limit, const std::function<bool()>& busyElsewhere,
                      Seconds since = Seconds(-std::numeric_limits<double>::infinity()));

private:
    struct Timed;
    std::optional<Task> next(Seconds now);
    // The first timer due before `deadline` that was posted at or after `since`.
    bool awaitedTimer(Seconds deadline, Seconds since) const;

    const Clock& clock_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Task> ready_;
    std::multimap<Seconds, std::shared_ptr<Timed>> timed_;
};

// A serial queue on a worker thread that knows whether it is busy, so the
// headless run can wait for the DDC/CI work it started.
class CountingSerialQueue : public SerialQueue {
public:
    void async(Task task) override;
    bool busy() const { return pending_ > 0; }

private:
    std::atomic<int> pending_{0};
    ThreadSerialQueue worker_;  // declared last: joined before pending_ goes
};

struct RealTimeRuntime {
    SteadyClock clock;
    RealMainQueue main{clock};
    CountingSerialQueue ddc;
    RealSleeper sleeper;
    Runtime runtime() { return {main, ddc, clock, sleeper}; }
    // `since` as for RealMainQueue::runUntilIdle.
    bool runUntilIdle(Seconds limit, Seconds since = Seconds(-std::numeric_limits<double>::infinity())) {
        return main.runUntilIdle(limit, [this] { return ddc.busy(); }, since);
    }
};

}  // namespace vp
