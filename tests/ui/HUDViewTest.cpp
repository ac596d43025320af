#include "UiTestMain.h"

#include "ui/hud/HUDView.h"

#include <QTest>

using namespace vp::ui;

class HUDViewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void levelText_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("barFraction");  // of the track; -1: the 6-point minimum
        QTest::newRow("0") << 0.0 << "0" << -1.0;
        QTest::newRow("0.25") << 0.25 << "25" << 0.25;
        QTest::newRow("1") << 1.0 << "100" << 1.0;
        QTest::newRow("0.336") << 0.336 << "34" << 0.336;
        QTest::newRow("0.994") << 0.994 << "99" << 0.994;
    }
    void levelText() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QFETCH(double, barFraction);
        HUDView hud;
        hud.setLevel(value, "sun.max.fill");
        QCOMPARE(hud.percentText(), text);
        QRectF track = hud.trackRect();
        QRectF bar = hud.barRect();
        QCOMPARE(bar.left(), track.left());
        QCOMPARE(bar.height(), 6.0);
        if (barFraction < 0) QCOMPARE(bar.width(), 6.0);
        else QVERIFY(std::abs(bar.width() - track.width() * barFraction) < 1e-9);
    }
};

VP_UI_TEST(HUDViewTest)
#include "HUDViewTest.moc"
