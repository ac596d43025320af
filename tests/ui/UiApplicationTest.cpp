#include "BuildPaths.h"
#include "UiTestMain.h"

#include "display/DisplayManager.h"
#include "input/BrightnessHUD.h"
#include "pip/PiPController.h"
#include "platform/qt/PacedCapture.h"
#include "platform/qt/QtWindows.h"
#include "ui/windows/PiPView.h"
#include "ui/app/UiApplication.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

using namespace vp;
using namespace vp::ui;

namespace {

std::vector<PlatformWidget*> visibleWindows(WindowRole role) {
    std::vector<PlatformWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = dynamic_cast<PlatformWidget*>(w); p && p->role() == role && p->isVisible()) found.push_back(p);
    return found;
}

template <typename View>
View* contentOf(PlatformWidget* window) {
    return dynamic_cast<View*>(window->content());
}

UiOptions quietOptions() {
    UiOptions options;
    options.trayAvailable = false;
    options.quit = [] {};
    return options;
}

}  // namespace

class UiApplicationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void launchesOnTheRealTimePlatformWithTheFallbackWindow() {
        int quits = 0;
        UiOptions options;
        options.trayAvailable = false;
        options.quit = [&] { ++quits; };
        UiApplication program(options);
        QVERIFY(!program.qtWindows().isAccessory());
        program.launch({});
        QVERIFY(program.qtWindows().isAccessory());

        // The manager starts on the Qt main queue, in real time.
        QTRY_COMPARE(program.context().displayManager().state().screens.size(), std::size_t(3));
        QWidget* window = program.scenes().panelWindow();
        QVERIFY(window && window->isVisible());
        QVERIFY(!program.scenes().managerWindow());

        window->findChild<QAbstractButton*>(QStringLiteral("quit"))->click();
        QCOMPARE(quits, 1);
        program.terminate();
        program.terminate();
    }

    void aScreensPictureInPictureIsALiveQtWindow() {
        UiApplication program(quietOptions());
        program.launch({});
        DisplayManager& dm = program.context().displayManager();
        QTRY_COMPARE(dm.state().screens.size(), std::size_t(3));

        program.context().pip().toggle(PiPController::Target::display(2), "Studio");
        QTRY_COMPARE(visibleWindows(WindowRole::pip).size(), std::size_t(1));
        PlatformWidget* panel = visibleWindows(WindowRole::pip).front();
        QCOMPARE(panel->windowTitle(), QStringLiteral("Studio \u2014 PiP"));
        QVERIFY(dm.state().pipOpen.contains(2));
        // Frames keep arriving while it is open, at most 30 a second.
        PiPView* picture = contentOf<PiPView>(panel);
        QVERIFY(picture);
        QTRY_VERIFY(!picture->frameImage().isNull());
        QVERIFY(program.platform().capture().preflightAccess());
        auto& paced = static_cast<PacedCapture&>(program.platform().capture());
        QVERIFY(paced.isPacing());
        QCOMPARE(picture->frameImage().width() * panel->height(), picture->frameImage().height() * panel->width());

        // The user closes it with its close button.
        panel->close();
        QTRY_VERIFY(!dm.state().pipOpen.contains(2));
        QTRY_VERIFY(!paced.isPacing());
        QVERIFY(visibleWindows(WindowRole::pip).empty());
    }

    void quittingRemovesTheShadeAndRestoresTheScreens() {
        UiApplication program(quietOptions());
        program.launch({});
        DisplayManager& dm = program.context().displayManager();
        QTRY_COMPARE(dm.state().screens.size(), std::size_t(3));
        auto* panel = program.simulated()->sim().simDisplays.find(3);
        GammaTable original = panel->gamma;
        // The 1080p monitor has no DDC/CI: this deep it is dimmed in
        // software and covered by a shade.
        dm.setBrightness(3, 0.02);
        QTRY_COMPARE(visibleWindows(WindowRole::shade).size(), std::size_t(1));
        QVERIFY(panel->gamma != original);
        program.terminate();
        QVERIFY(visibleWindows(WindowRole::shade).empty());
        QTRY_VERIFY(panel->gamma == original);
    }
};

VP_UI_TEST(UiApplicationTest)
#include "UiApplicationTest.moc"
