// The drawn components on their own: the pill button, the symbols, the HUD's
// level and the screen mark's animation.

#include "UiTestMain.h"

#include "ui/components/DS.h"
#include "ui/components/PillButton.h"
#include "ui/components/ScreenMark.h"
#include "ui/components/Symbols.h"
#include "ui/hud/HUDView.h"

#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

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

class ComponentsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pressedAndDisabledButtonsAreDrawnDimmedAndOnlyEnabledOnesClick() {
        PillButton button(QStringLiteral("Create"), {true, false});
        button.resize(button.sizeHint());
        QSignalSpy clicked(&button, &QAbstractButton::clicked);
        QCOMPARE(button.drawOpacity(), 1.0);
        QTest::mousePress(&button, Qt::LeftButton, {}, button.rect().center());
        QCOMPARE(button.drawOpacity(), 0.75);
        QCOMPARE(clicked.count(), 0);
        QTest::mouseRelease(&button, Qt::LeftButton, {}, button.rect().center());
        QCOMPARE(button.drawOpacity(), 1.0);
        QCOMPARE(clicked.count(), 1);

        button.setEnabled(false);
        QCOMPARE(button.drawOpacity(), 0.4);
        QTest::mouseClick(&button, Qt::LeftButton, {}, button.rect().center());
        QCOMPARE(clicked.count(), 1);
    }

    void everyNamedSymbolHasItsIcon() {
        for (const char* name :
             {"sun.max.fill", "sun.max", "sun.min.fill", "sun.min", "speaker.slash.fill", "speaker.wave.1.fill",
              "speaker.wave.2", "speaker.wave.3.fill", "display", "laptopcomputer", "pip", "gearshape", "sparkle",
              "sparkles.rectangle.stack", "rectangle.on.rectangle", "power", "xmark", "trash", "checkmark",
              "checkmark.circle.fill", "exclamationmark.triangle.fill", "arrow.clockwise", "arrow.uturn.backward",
              "aspectratio", "cable.connector", "circle.dotted", "circle.lefthalf.filled", "ellipsis", "eye.slash",
              "menubar.rectangle", "paintpalette", "rectangle.split.2x1", "slider.horizontal.3", "thermometer.sun",
              "sun.max.trianglebadge.exclamationmark"}) {
            QString file = Symbols::file(name);
            QVERIFY2(!file.isEmpty() && QFile::exists(file), name);
            QVERIFY2(!Symbols::pixmap(name, DS::glow, 18).isNull(), name);
        }
        QVERIFY(Symbols::file("no.such.symbol").isEmpty());
        QVERIFY(Symbols::pixmap("no.such.symbol", DS::glow, 18).isNull());
    }

    void iconsTakeTheGivenColour() {
        QImage image = Symbols::pixmap("sun.max.fill", DS::glow, 24).toImage();
        int tinted = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                QColor c = image.pixelColor(x, y);
                if (c.alpha() < 255) continue;
                QCOMPARE(c.rgb(), DS::glow.rgb());
                ++tinted;
            }
        QVERIFY(tinted > 20);
    }

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

VP_UI_TEST(ComponentsTest)
#include "ComponentsTest.moc"
