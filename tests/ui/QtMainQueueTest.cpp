#include "UiTestMain.h"

#include "platform/qt/QtMainQueue.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <atomic>
#include <thread>
#include <vector>

using namespace vp;

class QtMainQueueTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tasksPostedFromAnyThreadRunInOrderOnTheGuiThread() {
        QtMainQueue queue;
        std::vector<int> order;
        std::atomic<bool> offThread{false};
        std::thread worker([&] {
            for (int i = 0; i < 100; ++i)
                queue.post([&, i] {
                    if (QThread::currentThread() != qApp->thread()) offThread = true;
                    order.push_back(i);
                });
        });
        worker.join();
        QTRY_COMPARE(order.size(), std::size_t(100));
        QVERIFY(!offThread);
        for (int i = 0; i < 100; ++i) QCOMPARE(order[std::size_t(i)], i);
    }

    void delayedTasksWaitAndCancelledOnesNeverRun() {
        QtMainQueue queue;
        QElapsedTimer clock;
        clock.start();
        qint64 ranAt = -1;
        bool cancelledRan = false;
        auto item = queue.postAfter(Seconds(0.15), [&] { ranAt = clock.elapsed(); });
        auto cancelled = queue.postAfter(Seconds(0.05), [&] { cancelledRan = true; });
        cancelled->cancel();
        QVERIFY(cancelled->isCancelled());
        QTRY_VERIFY(ranAt >= 0);
        QVERIFY(ranAt >= 140);
        QTest::qWait(50);
        QVERIFY(!cancelledRan);
        QVERIFY(!item->isCancelled());
    }

    void cancellingAfterTheTimerIsArmedStopsIt() {
        QtMainQueue queue;
        bool ran = false;
        auto item = queue.postAfter(Seconds(0.1), [&] { ran = true; });
        QTest::qWait(20);  // the timer is armed by now
        std::thread([item] { item->cancel(); }).join();
        QTest::qWait(200);
        QVERIFY(!ran);
    }

    void droppingTheItemDoesNotCancelIt() {
        QtMainQueue queue;
        bool ran = false;
        queue.postAfter(Seconds(0.01), [&] { ran = true; });
        QTRY_VERIFY(ran);
    }
};

VP_UI_TEST(QtMainQueueTest)
#include "QtMainQueueTest.moc"
