#include "UiTestMain.h"

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
};

VP_UI_TEST(PillButtonTest)
#include "PillButtonTest.moc"
