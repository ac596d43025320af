#include "UiTestMain.h"

#include "app/AppContext.h"
#include "app/I18n.h"
#include "display/DisplayManager.h"
#include "platform/sim/SimPlatform.h"
#include "ui/scenes/ManagerWindow.h"
#include "ui/panel/MenuPanel.h"
#include "ui/scenes/Scenes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

using namespace vp;
using namespace vp::ui;

namespace {

struct World {
    SimPlatform platform;
    std::unique_ptr<AppContext> context;
    int quits = 0;

    World() {
        platform.loadScenarioFile(SimPlatform::defaultScenarioPath());
        I18n::initialize({"en"});
        context = std::make_unique<AppContext>(platform);
        context->install();
        context->displayManager().start();
        platform.runUntilIdle();
    }
    std::unique_ptr<Scenes> scenes(bool tray) {
        return std::make_unique<Scenes>(*context, [this] { ++quits; }, tray);
    }
};

int managerWindows() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<ManagerWindow*>(w)) ++n;
    return n;
}

}  // namespace

class ScenesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theManagerWindowIsOnlyEverOne() {
        World world;
        auto scenes = world.scenes(true);
        QVERIFY(!scenes->managerWindow());  // not opened at launch
        scenes->openManager();
        ManagerWindow* first = scenes->managerWindow();
        QVERIFY(first && first->isVisible());

        scenes->openManager();
        QCOMPARE(scenes->managerWindow(), first);
        QCOMPARE(managerWindows(), 1);

        // Closing it leaves the program running; opening again shows the
        // same window.
        first->close();
        QVERIFY(!first->isVisible());
        QCOMPARE(world.quits, 0);
        scenes->openManager();
        QCOMPARE(scenes->managerWindow(), first);
        QVERIFY(first->isVisible());
        QCOMPARE(managerWindows(), 1);
    }

    void withoutATrayThePanelIsASmallNormalWindow() {
        World world;
        auto scenes = world.scenes(false);
        scenes->start();
        QWidget* window = scenes->panelWindow();
        QVERIFY(window && window->isVisible());
        QVERIFY(!scenes->trayIcon());
        QCOMPARE(window->windowType(), Qt::Window);
        QVERIFY(window->findChild<MenuPanel*>(QStringLiteral("panel")));

        // The tray action does not hide the only way back to the program.
        scenes->togglePanel();
        QVERIFY(window->isVisible());
        // Closing the only window quits (the screens are then restored).
        window->close();
        QCOMPARE(world.quits, 1);
    }

    void thePanelOpensAndClosesFromTheTray() {
        World world;
        auto scenes = world.scenes(true);
        scenes->togglePanel();
        QPointer<QWidget> panel = scenes->panelWindow();
        QVERIFY(panel && panel->isVisible());
        QCOMPARE(panel->windowType(), Qt::Popup);
        scenes->togglePanel();
        QTRY_VERIFY(!panel);
    }

    void panelButtonsOpenTheManagerAndQuit() {
        World world;
        auto scenes = world.scenes(false);
        scenes->start();
        auto* quit = scenes->panelWindow()->findChild<QAbstractButton*>(QStringLiteral("quit"));
        QVERIFY(quit);
        quit->click();
        QCOMPARE(world.quits, 1);
        scenes->panelWindow()->findChild<QAbstractButton*>(QStringLiteral("virtualScreens"))->click();
        QVERIFY(scenes->managerWindow() && scenes->managerWindow()->isVisible());
        scenes->managerWindow()->close();
        scenes->panelWindow()->findChild<QAbstractButton*>(QStringLiteral("settings"))->click();
        QVERIFY(scenes->managerWindow()->isVisible());
    }
};

VP_UI_TEST(ScenesTest)
#include "ScenesTest.moc"
