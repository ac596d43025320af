#pragma once
// The main queue on the Qt event loop. post() may be called from any thread;
// tasks run on the thread that created the queue (the GUI thread), in order.
// Delayed tasks are single-shot timers that a cancel stops, so a cancelled
// item costs nothing while it would have waited.

#include "platform/Runtime.h"

#include <QObject>

#include <memory>

namespace vp {

class QtMainQueue : public MainQueue {
public:
    QtMainQueue();
    ~QtMainQueue() override;
    void post(Task task) override;
    WorkItemRef postAfter(Seconds delay, Task task) override;

private:
    // Receives the queued calls; destroyed with the queue, which drops the
    // tasks still waiting for it. Work items hold it weakly.
    std::shared_ptr<QObject> receiver_;
};

}  // namespace vp
