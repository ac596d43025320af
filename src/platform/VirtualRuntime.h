#pragma once
// Virtual time: a clock that only moves when told to, a main queue that runs
// delayed work when virtual time reaches it, a DDC queue drained by hand and a
// sleeper that records pauses (and lets virtual time pass for them).

#include "platform/Runtime.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace vp {

class VirtualClock : public Clock {
public:
    explicit VirtualClock(std::chrono::system_clock::time_point epoch = defaultEpoch());
    Seconds now() const override;
    std::chrono::system_clock::time_point wallNow() const override;
    void advance(Seconds delta);
    void setNow(Seconds t);
    static std::chrono::system_clock::time_point defaultEpoch();

private:
    std::atomic<std::int64_t> nanos_{0};
    std::chrono::system_clock::time_point epoch_;
};

class VirtualMainQueue : public MainQueue {
public:
    explicit VirtualMainQueue(VirtualClock& clock);
    void post(Task task) override;
    WorkItemRef postAfter(Seconds delay, Task task) override;

    // Runs every task that is due now, including tasks they post for now.
    // Returns the number of tasks run.
    std::size_t runReady();
    // Moves virtual time forward by delta, running due tasks in time order.
    void advance(Seconds delta);
    // Runs ready tasks and delayed work until nothing is left, moving virtual
    // time as needed, but never past now + limit (a repeating timer would
    // otherwise keep it running forever). Returns false when the limit hit.
    bool runUntilIdle(Seconds limit = Seconds(60));
    bool hasPendingWork() const;
    std::size_t delayedCount() const;

private:
    struct Entry;
    bool runNextDue();

    VirtualClock& clock_;
    mutable std::mutex mutex_;
    std::deque<Task> ready_;
    std::multimap<std::int64_t, std::shared_ptr<Entry>> delayed_;
};

// A serial queue that runs nothing until drained; tests decide when the DDC
// queue makes progress.
class ManualSerialQueue : public SerialQueue {
public:
    void async(Task task) override;
    // Runs queued tasks (and tasks they queue) until empty; returns how many.
    std::size_t drain();
    // Runs exactly one queued task, if any.
    bool runOne();
    std::size_t pending() const;

private:
    mutable std::mutex mutex_;
    std::deque<Task> tasks_;
};

// A serial queue on its own worker thread.
class ThreadSerialQueue : public SerialQueue {
public:
    ThreadSerialQueue();
    ~ThreadSerialQueue() override;
    void async(Task task) override;
    // Blocks until every task posted before the call has run.
    void waitIdle();

private:
    void loop();
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Task> tasks_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread worker_;
};

// Records every pause and advances the virtual clock by it, so the simulated
// hardware sees the time the host waited.
class VirtualSleeper : public Sleeper {
public:
    explicit VirtualSleeper(VirtualClock& clock);
    void sleep(Seconds duration) override;
    std::vector<Seconds> pauses() const;
    void clear();

private:
    VirtualClock& clock_;
    mutable std::mutex mutex_;
    std::vector<Seconds> pauses_;
};

// Real time, for the program.
class SteadyClock : public Clock {
public:
    Seconds now() const override;
    std::chrono::system_clock::time_point wallNow() const override;
};

class RealSleeper : public Sleeper {
public:
    void sleep(Seconds duration) override;
};

}  // namespace vp
