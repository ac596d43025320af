#include "UiTestMain.h"

#include "ui/components/DS.h"
#include "ui/components/GlowSlider.h"

#include <QTest>

#include <cmath>
#include <vector>

using namespace vp::ui;
namespace G = GlowSliderGeometry;

namespace {

struct Harness {
    std::vector<double> changes;
    GlowSlider slider;

    Harness(double value, double lower = 0, double upper = 1, int width = 240)
        : slider(value, options(lower, upper)) {
        slider.resize(width, slider.sizeHint().height());
    }
    GlowSlider::Options options(double lower, double upper) {
        GlowSlider::Options o;
        o.lower = lower;
        o.upper = upper;
        o.tint = DS::primary;
        o.icon = "sun.min";
        o.trailingIcon = "sun.max.fill";
        o.onChange = [this](double v) { changes.push_back(v); };
        return o;
    }
    QPoint at(double fraction) const {
        QRectF t = slider.trackRect();
        return QPointF(t.x() + fraction * t.width(), t.center().y()).toPoint();
    }
};

}  // namespace

class GlowSliderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void clickSetsTheValueAndReportsIt() {
        Harness h(0.2);
        QTest::mouseClick(&h.slider, Qt::LeftButton, {}, h.at(0.75));
        QRectF t = h.slider.trackRect();
        double expected = (h.at(0.75).x() - t.x()) / t.width();
        QCOMPARE(h.changes.size(), std::size_t(1));
        QVERIFY(std::abs(h.changes[0] - expected) < 1e-9);
        QCOMPARE(h.slider.value(), h.changes[0]);
        QVERIFY(!h.slider.isDragging());
    }

    void dragReportsEveryMoveStopsOnReleaseAndKeepsToTheBounds() {
        Harness h(0.5, 10, 20);
        QTest::mousePress(&h.slider, Qt::LeftButton, {}, h.at(0.1));
        QVERIFY(h.slider.isDragging());
        QTest::mouseMove(&h.slider, h.at(0.3));
        QTest::mouseMove(&h.slider, h.at(0.6));
        QTest::mouseRelease(&h.slider, Qt::LeftButton, {}, h.at(0.6));
        QVERIFY(!h.slider.isDragging());
        QCOMPARE(h.changes.size(), std::size_t(3));
        QVERIFY(h.changes[0] < h.changes[1] && h.changes[1] < h.changes[2]);
        QVERIFY(h.changes[2] > 15.9 && h.changes[2] < 16.1);
        QTest::mouseMove(&h.slider, h.at(0.9));
        QCOMPARE(h.changes.size(), std::size_t(3));

        // Past either end of the track the value is the bound.
        QTest::mousePress(&h.slider, Qt::LeftButton, {}, h.at(0.5));
        QTest::mouseMove(&h.slider, QPoint(-50, 5));
        QCOMPARE(h.slider.value(), 10.0);
        QTest::mouseMove(&h.slider, QPoint(h.slider.width() + 80, 5));
        QTest::mouseRelease(&h.slider, Qt::LeftButton, {}, QPoint(h.slider.width() + 80, 5));
        QCOMPARE(h.changes.back(), 20.0);
    }

    void valueOutsideTheRangeIsDrawnClampedButCountedUnclamped() {
        Harness over(1.3), under(-0.2);
        QCOMPARE(over.slider.fillRect().width(), over.slider.trackRect().width());
        QCOMPARE(over.slider.percentText(), QStringLiteral("130"));
        QCOMPARE(under.slider.fillRect().width(), G::railHeight);
        QCOMPARE(under.slider.percentText(), QStringLiteral("-20"));
    }

    void percentRoundsOverTheRangeAndAnEmptyRangeShowsNothingFilled() {
        QCOMPARE(G::percent(0.125, 0, 1), 13L);
        QCOMPARE(G::percent(15, 10, 20), 50L);
        QCOMPARE(G::percent(0.5, 0.5, 0.5), 0L);
        QCOMPARE(G::fraction(3, 2, 2), 0.0);
        QCOMPARE(G::fraction(std::nan(""), 0, 1), 0.0);
    }

    void narrowTracksNeverDivideByZero() {
        for (double w : {0.0, 1.0}) {
            for (double x : {-3.0, 0.0, 0.5, 1.0, 7.0}) {
                double v = G::valueAt(x, w, 0, 1);
                QVERIFY(std::isfinite(v));
                QVERIFY(v >= 0 && v <= 1);
            }
            QCOMPARE(G::valueAt(5, w, 0, 1), 1.0);
            QVERIFY(std::isfinite(G::thumbOffset(0.5, w)));
        }
        // A widget so narrow that its track has no width still takes a click.
        Harness h(0.5, 0, 1, 2 * 14 + 2 * 8 + 24 + 8);
        QCOMPARE(h.slider.trackRect().width(), 0.0);
        QTest::mouseClick(&h.slider, Qt::LeftButton, {}, QPoint(int(h.slider.trackRect().x()), 5));
        QCOMPARE(h.changes.size(), std::size_t(1));
        QVERIFY(std::isfinite(h.changes[0]));
    }

    void aBoundValueShowsOnlyWhatItsOwnerGivesBack() {
        double written = -1;
        GlowSlider::Options o;
        o.tint = DS::primary;
        o.write = [&](double v) { written = v; };
        GlowSlider slider(0.4, o);
        slider.resize(200, 26);
        QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(150, 13));
        QVERIFY(written > 0.8);
        QCOMPARE(slider.value(), 0.4);
    }
};

VP_UI_TEST(GlowSliderTest)
#include "GlowSliderTest.moc"
