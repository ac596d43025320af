#include "UiTestMain.h"

#include "ui/components/DS.h"
#include "ui/components/PillButton.h"

#include <QSignalSpy>
#include <QTest>

using namespace vp::ui;

class PillButtonTest : public QObject {
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

    void styleDecidesLabelColourAndPadding() {
        PillButton primary(QStringLiteral("Go"), {true, false});
        PillButton secondary(QStringLiteral("Go"), {false, false});
        QCOMPARE(primary.labelColor(), QColor(0, 0, 0, 217));
        QCOMPARE(secondary.labelColor(), DS::text);

        PillButtonStyle chip = PillButtonStyle::chip();
        QVERIFY(!chip.primary && chip.compact);
        QCOMPARE(chip.fontSize(), 10.5);
        QCOMPARE(PillButtonStyle{}.fontSize(), 12.0);

        // The capsule is the label plus its padding; the primary's glow
        // margin lies outside it.
        PillButton compact(QStringLiteral("Go"), chip);
        QFontMetricsF fm(compact.font());
        QVERIFY(std::abs(compact.sizeHint().width() - (fm.horizontalAdvance(QStringLiteral("Go")) + 18)) < 1);
        primary.resize(primary.sizeHint());
        QCOMPARE(primary.capsuleRect().left(), 8.0);
        secondary.resize(secondary.sizeHint());
        QCOMPARE(secondary.capsuleRect(), QRectF(secondary.rect()));
    }
};

VP_UI_TEST(PillButtonTest)
#include "PillButtonTest.moc"
