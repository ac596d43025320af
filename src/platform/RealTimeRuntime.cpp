#include "platform/RealTimeRuntime.h"

namespace vp {

namespace {

// How often the run looks again while another thread still works without
// having posted anything back.
constexpr Seconds kBusyPoll{0.005};

}  // namespace

struct RealMainQueue::Timed : WorkItem {
    Timed(Task t, Seconds at) : task(std::move(t)), posted(at) {}
    void cancel() override { cancelled = true; }
    bool isCancelled() const override { return cancelled; }
    Task task;
    Seconds posted;
    std::atomic<bool> cancelled{false};
};

void RealMainQueue::post(Task task) {
    {
        std::lock_guard lock(mutex_);
        ready_.push_back(std::move(task));
    }
    wake_.notify_all();
}

WorkItemRef RealMainQueue::postAfter(Seconds delay, Task task) {
    const Seconds now = clock_.now();
    auto item = std::make_shared<Timed>(std::move(task), now);
    {
        std::lock_guard lock(mutex_);
        timed_.emplace(now + delay, item);
    }
    wake_.notify_all();
    return item;
}

std::optional<Task> RealMainQueue::next(Seconds now) {
    if (!ready_.empty()) {
        Task task = std::move(ready_.front());
        ready_.pop_front();
        return task;
    }
    while (!timed_.empty() && timed_.begin()->first <= now) {
        auto item = timed_.begin()->second;
        timed_.erase(timed_.begin());
        if (!item->cancelled) return std::move(item->task);
    }
    return std::nullopt;
}

bool RealMainQueue::awaitedTimer(Seconds deadline, Seconds since) const {
    for (auto it = timed_.begin(); it != timed_.end() && it->first < deadline; ++it)
        if (it->second->posted >= since && !it->second->cancelled) return true;
    return false;
}

bool RealMainQueue::runUntilIdle(Seconds limit, const std::function<bool()>& busyElsewhere, Seconds since) {
    const Seconds deadline = clock_.now() + limit;
    for (;;) {
        std::unique_lock lock(mutex_);
        if (auto task = next(clock_.now())) {
            lock.unlock();
            (*task)();
            continue;
        }
        const Seconds now = clock_.now();
        if (now >= deadline) return false;
        const bool busy = busyElsewhere && busyElsewhere();
        const bool timerBeforeDeadline = !timed_.empty() && timed_.begin()->first < deadline;
        if (!busy && !awaitedTimer(deadline, since)) return true;
        Seconds wait = deadline - now;
        if (timerBeforeDeadline) wait = std::min(wait, timed_.begin()->first - now);
        if (busy) wait = std::min(wait, kBusyPoll);
        wake_.wait_for(lock, wait);
    }
}

void CountingSerialQueue::async(Task task) {
    ++pending_;
    worker_.async([this, task = std::move(task)] {
        task();
        --pending_;
    });
}

}  // namespace vp
