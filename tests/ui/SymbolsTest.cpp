#include "UiTestMain.h"

#include "ui/components/DS.h"
#include "ui/components/Symbols.h"

#include <QFile>
#include <QImage>
#include <QTest>

using namespace vp::ui;

class SymbolsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
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
};

VP_UI_TEST(SymbolsTest)
#include "SymbolsTest.moc"
