#include "platform/qt/QtMainQueue.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace vp {

namespace {

std::chrono::milliseconds toMilliseconds(Seconds delay) {
    double ms = std::ceil(std::max(delay.count(), 0.0) * 1000.0);
    return std::chrono::milliseconds(static_cast<long long>(ms));
}

class TimerItem : public WorkItem, public std::enable_shared_from_this<TimerItem> {
public:
    explicit TimerItem(std::weak_ptr<QObject> receiver) : receiver_(std::move(receiver)) {}

    void cancel() override {
        cancelled_ = true;
        auto receiver = receiver_.lock();
        if (!receiver) return;
        // The timer belongs to the receiver's thread: stop it there.
        QMetaObject::invokeMethod(receiver.get(), [weak = weak_from_this()] {
            if (auto self = weak.lock(); self && self->timer_) self->timer_->deleteLater();
        });
    }
    bool isCancelled() const override { return cancelled_; }

    // On the receiver's thread.
    void arm(std::chrono::milliseconds delay, Task task) {
        auto receiver = receiver_.lock();
        if (cancelled_ || !receiver) return;
        auto* timer = new QTimer(receiver.get());
        timer->setSingleShot(true);
        timer_ = timer;
        QObject::connect(timer, &QTimer::timeout, timer, [weak = weak_from_this(), timer, task = std::move(task)] {
            timer->deleteLater();
            auto self = weak.lock();
            if (self && self->cancelled_) return;
            task();
        });
        timer->start(delay);
    }

private:
    std::weak_ptr<QObject> receiver_;
    QPointer<QTimer> timer_;  // touched on the receiver's thread only
    std::atomic<bool> cancelled_{false};
};

}  // namespace

QtMainQueue::QtMainQueue() : receiver_(std::make_shared<QObject>()) {}

QtMainQueue::~QtMainQueue() = default;

void QtMainQueue::post(Task task) {
    QMetaObject::invokeMethod(receiver_.get(), std::move(task), Qt::QueuedConnection);
}

WorkItemRef QtMainQueue::postAfter(Seconds delay, Task task) {
    auto item = std::make_shared<TimerItem>(receiver_);
    post([item, ms = toMilliseconds(delay), task = std::move(task)]() mutable { item->arm(ms, std::move(task)); });
    return item;
}

}  // namespace vp
