#pragma once
// Threads and time as the core sees them. Core code never sleeps, never reads
// the wall clock and never starts a thread itself: it is handed a main queue,
// the DDC serial queue, a clock and a sleeper, so tests run in virtual time.

#include <chrono>
#include <functional>
#include <memory>

namespace vp {

using Seconds = std::chrono::duration<double>;
using Task = std::function<void()>;

// A delayed task that can still be cancelled before it runs.
class WorkItem {
public:
    virtual ~WorkItem() = default;
    virtual void cancel() = 0;
    virtual bool isCancelled() const = 0;
};
using WorkItemRef = std::shared_ptr<WorkItem>;

// The one queue on which every member of the display manager is touched.
// post() may be called from any thread.
class MainQueue {
public:
    virtual ~MainQueue() = default;
    virtual void post(Task task) = 0;
    virtual WorkItemRef postAfter(Seconds delay, Task task) = 0;
};

// A serial queue: tasks run one at a time, in the order they were posted.
class SerialQueue {
public:
    virtual ~SerialQueue() = default;
    virtual void async(Task task) = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic time since an arbitrary origin.
    virtual Seconds now() const = 0;
    // Calendar time, for log lines only.
    virtual std::chrono::system_clock::time_point wallNow() const = 0;
};

// Blocking pauses, used only off the main queue (DDC/CI exchanges need them).
class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void sleep(Seconds duration) = 0;
};

// The runtime a platform hands to the core.
struct Runtime {
    MainQueue& main;
    SerialQueue& ddc;
    Clock& clock;
    Sleeper& sleeper;
};

// A liveness token: tasks posted to a queue capture a weak_ptr to it, so that
// they do nothing once the object that posted them is gone.
using LifeToken = std::shared_ptr<int>;
using WeakLife = std::weak_ptr<int>;

}  // namespace vp
