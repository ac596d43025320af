#include "platform/VirtualRuntime.h"

#include <thread>

namespace vp {

namespace {
// Rounded, not truncated: a time read from the clock converts back to the
// very nanosecond it came from.
std::int64_t toNanos(Seconds s) {
    return std::chrono::round<std::chrono::nanoseconds>(s).count();
}
}  // namespace

VirtualClock::VirtualClock(std::chrono::system_clock::time_point epoch) : epoch_(epoch) {}

std::chrono::system_clock::time_point VirtualClock::defaultEpoch() {
    // 2026-03-14 09:26:53 UTC: a fixed, readable start for virtual runs.
    return std::chrono::system_clock::time_point(std::chrono::seconds(1773480413));
}

Seconds VirtualClock::now() const {
    return std::chrono::nanoseconds(nanos_.load());
}

std::chrono::system_clock::time_point VirtualClock::wallNow() const {
    return epoch_ + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                        std::chrono::nanoseconds(nanos_.load()));
}

void VirtualClock::advance(Seconds delta) {
    if (delta.count() > 0) nanos_ += toNanos(delta);
}

void VirtualClock::setNow(Seconds t) {
    nanos_ = toNanos(t);
}

struct VirtualMainQueue::Entry : WorkItem {
    explicit Entry(Task t) : task(std::move(t)) {}
    void cancel() override { cancelled = true; }
    bool isCancelled() const override { return cancelled; }
    Task task;
    std::atomic<bool> cancelled{false};
};

VirtualMainQueue::VirtualMainQueue(VirtualClock& clock) : clock_(clock) {}

void VirtualMainQueue::post(Task task) {
    std::lock_guard lock(mutex_);
    ready_.push_back(std::move(task));
}

WorkItemRef VirtualMainQueue::postAfter(Seconds delay, Task task) {
    auto entry = std::make_shared<Entry>(std::move(task));
    std::int64_t due = toNanos(clock_.now() + std::max(delay, Seconds(0)));
    std::lock_guard lock(mutex_);
    delayed_.emplace(due, entry);
    return entry;
}

std::size_t VirtualMainQueue::runReady() {
    std::size_t count = 0;
    for (;;) {
        Task task;
        {
            std::lock_guard lock(mutex_);
            if (ready_.empty()) break;
            task = std::move(ready_.front());
            ready_.pop_front();
        }
        task();
        ++count;
    }
    while (runNextDue()) {
        ++count;
        count += runReady();
    }
    return count;
}

bool VirtualMainQueue::runNextDue() {
    std::shared_ptr<Entry> entry;
    {
        std::lock_guard lock(mutex_);
        std::int64_t now = toNanos(clock_.now());
        while (!delayed_.empty() && delayed_.begin()->first <= now) {
            auto candidate = delayed_.begin()->second;
            delayed_.erase(delayed_.begin());
            if (!candidate->cancelled) {
                entry = candidate;
                break;
            }
        }
    }
    if (!entry) return false;
    entry->task();
    return true;
}

void VirtualMainQueue::advance(Seconds delta) {
    std::int64_t target = toNanos(clock_.now() + delta);
    runReady();
    for (;;) {
        std::int64_t next = 0;
        {
            std::lock_guard lock(mutex_);
            while (!delayed_.empty() && delayed_.begin()->second->cancelled) delayed_.erase(delayed_.begin());
            if (delayed_.empty() || delayed_.begin()->first > target) break;
            next = delayed_.begin()->first;
        }
        if (next > toNanos(clock_.now())) clock_.setNow(std::chrono::nanoseconds(next));
        runReady();
    }
    if (target > toNanos(clock_.now())) clock_.setNow(std::chrono::nanoseconds(target));
    runReady();
}

bool VirtualMainQueue::runUntilIdle(Seconds limit) {
    std::int64_t deadline = toNanos(clock_.now() + limit);
    runReady();
    for (;;) {
        std::int64_t next = 0;
        {
            std::lock_guard lock(mutex_);
            while (!delayed_.empty() && delayed_.begin()->second->cancelled) delayed_.erase(delayed_.begin());
            if (delayed_.empty()) return true;
            next = delayed_.begin()->first;
        }
        if (next > deadline) return false;
        if (next > toNanos(clock_.now())) clock_.setNow(std::chrono::nanoseconds(next));
        runReady();
    }
}

bool VirtualMainQueue::hasPendingWork() const {
    std::lock_guard lock(mutex_);
    if (!ready_.empty()) return true;
    for (const auto& [due, entry] : delayed_)
        if (!entry->cancelled) return true;
    return false;
}

std::size_t VirtualMainQueue::delayedCount() const {
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const auto& [due, entry] : delayed_)
        if (!entry->cancelled) ++n;
    return n;
}

void ManualSerialQueue::async(Task task) {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
}

bool ManualSerialQueue::runOne() {
    Task task;
    {
        std::lock_guard lock(mutex_);
        if (tasks_.empty()) return false;
        task = std::move(tasks_.front());
        tasks_.pop_front();
    }
    task();
    return true;
}

std::size_t ManualSerialQueue::drain() {
    std::size_t n = 0;
    while (runOne()) ++n;
    return n;
}

std::size_t ManualSerialQueue::pending() const {
    std::lock_guard lock(mutex_);
    return tasks_.size();
}

ThreadSerialQueue::ThreadSerialQueue() : worker_([this] { loop(); }) {}

ThreadSerialQueue::~ThreadSerialQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void ThreadSerialQueue::async(Task task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
}

void ThreadSerialQueue::waitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return tasks_.empty() && !busy_; });
}

void ThreadSerialQueue::loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
        if (tasks_.empty()) return;  // stopping and nothing left
        Task task = std::move(tasks_.front());
        tasks_.pop_front();
        busy_ = true;
        lock.unlock();
        task();
        lock.lock();
        busy_ = false;
        if (tasks_.empty()) idle_.notify_all();
    }
}

VirtualSleeper::VirtualSleeper(VirtualClock& clock) : clock_(clock) {}

void VirtualSleeper::sleep(Seconds duration) {
    {
        std::lock_guard lock(mutex_);
        pauses_.push_back(duration);
    }
    clock_.advance(duration);
}

std::vector<Seconds> VirtualSleeper::pauses() const {
    std::lock_guard lock(mutex_);
    return pauses_;
}

void VirtualSleeper::clear() {
    std::lock_guard lock(mutex_);
    pauses_.clear();
}

Seconds SteadyClock::now() const {
    return std::chrono::steady_clock::now().time_since_epoch();
}

std::chrono::system_clock::time_point SteadyClock::wallNow() const {
    return std::chrono::system_clock::now();
}

void RealSleeper::sleep(Seconds duration) {
    std::this_thread::sleep_for(duration);
}

}  // namespace vp
