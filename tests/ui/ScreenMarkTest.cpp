#include "UiTestMain.h"

#include "ui/components/ScreenMark.h"

#include <QTest>

using namespace vp::ui;

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

}  // namespace

class ScreenMarkTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void animatesOnlyWhileVisibleAndAtMostThirtyTimesASecond() {
        QWidget window;
        auto* mark = new ScreenMark(22, &window);
        PaintCounter counter;
        mark->installEventFilter(&counter);
        QVERIFY(!mark->isAnimating());
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(mark->isAnimating());
        counter.paints = 0;
        QTest::qWait(1000);
        QVERIFY2(counter.paints <= 31, qPrintable(QString::number(counter.paints)));
        QVERIFY(counter.paints >= 5);

        window.hide();
        QVERIFY(!mark->isAnimating());
        counter.paints = 0;
        QTest::qWait(200);
        QCOMPARE(counter.paints, 0);
    }

    void aWindowInTheBackgroundDoesNotAnimate() {
        QWidget window;
        auto* mark = new ScreenMark(22, &window);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(mark->isAnimating());
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(!mark->isAnimating());
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(mark->isAnimating());
    }

    void aFrozenMarkDoesNotAnimate() {
        ScreenMark mark(48);
        mark.freezeAt(1.0);
        mark.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mark));
        QVERIFY(!mark.isAnimating());
    }
};

VP_UI_TEST(ScreenMarkTest)
#include "ScreenMarkTest.moc"
