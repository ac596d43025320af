#include "UiTestMain.h"

#include "display/DisplayManager.h"
#include "ui/app/UiApplication.h"
#include "ui/scenes/PanelPlaceholder.h"

#include <QAbstractButton>
#include <QTest>

using namespace vp;
using namespace vp::ui;

class UiApplicationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void launchesOnTheRealTimePlatformWithTheFallbackWindow() {
        int quits = 0;
        UiOptions options;
        options.trayAvailable = false;
        options.quit = [&] { ++quits; };
        UiApplication program(options);
        QVERIFY(!program.platform().qtWindows().isAccessory());
        program.launch({});
        QVERIFY(program.platform().qtWindows().isAccessory());

        // The manager starts on the Qt main queue, in real time.
        QTRY_COMPARE(program.context().displayManager().screens.size(), std::size_t(3));
        QWidget* window = program.scenes().panelWindow();
        QVERIFY(window && window->isVisible());
        auto* panel = window->findChild<PanelPlaceholder*>();
        QTRY_COMPARE(panel->countText(), QStringLiteral("3 connected"));
        QVERIFY(!program.scenes().managerWindow());

        window->findChild<QAbstractButton*>(QStringLiteral("quit"))->click();
        QCOMPARE(quits, 1);
        program.terminate();
        program.terminate();
    }
};

VP_UI_TEST(UiApplicationTest)
#include "UiApplicationTest.moc"
