#include "PagesWorld.h"
#include "UiTestMain.h"

#include "platform/sim/SimHardware.h"
#include "ui/card/ScreenCard.h"
#include "ui/components/GlowSlider.h"
#include "ui/components/PillButton.h"
#include "ui/controls/ChipMenuButton.h"
#include "ui/controls/Text.h"
#include "ui/panel/MenuPanel.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>

using namespace vp;
using namespace vp::ui;
using vp::ui::test::PagesWorld;

namespace {

std::unique_ptr<MenuPanel> panelFor(PagesWorld& world) {
    auto panel = std::make_unique<MenuPanel>(*world.context, [] {}, [] {});
    panel->opened();
    world.platform.drainDDC();
    world.idle();
    return panel;
}

bool has(ScreenCard* card, const char* name) {
    return card->findChild<QWidget*>(name) != nullptr;
}

void drag(GlowSlider* slider, const std::vector<double>& fractions) {
    QRectF track = slider->trackRect();
    auto at = [&](double f) { return QPointF(track.left() + f * track.width(), track.center().y()); };
    auto send = [&](QEvent::Type type, QPointF point) {
        QMouseEvent event(type, point, slider->mapToGlobal(point), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(slider, &event);
    };
    send(QEvent::MouseButtonPress, at(fractions.front()));
    for (double f : fractions) send(QEvent::MouseMove, at(f));
    send(QEvent::MouseButtonRelease, at(fractions.back()));
}

}  // namespace

class MenuPanelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cardsScrollFromFourScreens() {
        PagesWorld world(vp::ui::test::fourScreens());
        auto panel = panelFor(world);
        QCOMPARE(panel->cards().size(), std::size_t(4));
        QVERIFY(panel->scrolls());
    }

    void bannerAppearsAndItsCloseButtonClearsTheError() {
        PagesWorld world;
        auto panel = panelFor(world);
        world.manager().setLastError("The system refused the change (1001)");
        QWidget* banner = panel->findChild<QWidget*>("banner");
        QVERIFY(!banner->isHidden());
        QCOMPARE(panel->findChild<QLabel*>("bannerText")->text(), QStringLiteral("The system refused the change (1001)"));
        QTest::mouseClick(panel->findChild<QAbstractButton*>("bannerClose"), Qt::LeftButton);
        QVERIFY(!world.manager().state().lastError);
        QVERIFY(banner->isHidden());
    }

    void windowMenuListsOtherAppsWindowsOnlyWithThePermission() {
        PagesWorld world;
        ShareableWindow editor;
        editor.windowID = 4711;
        editor.frame = {0, 0, 800, 600};
        editor.title = "Notes";
        editor.ownerPID = 99;
        editor.applicationName = "Editor";
        world.platform.simCapture.windows.push_back({editor, false});
        auto items = [&](MenuPanel& panel) {
            auto* menu = panel.findChild<ChipMenuButton*>("windowMenu")->popup();
            Q_EMIT menu->aboutToShow();
            QStringList texts;
            for (QAction* action : menu->actions()) texts << (action->isSeparator() ? QStringLiteral("—") : action->text());
            return texts;
        };

        world.platform.simCapture.screenRecordingAllowed = false;
        auto denied = panelFor(world);
        QCOMPARE(items(*denied), (QStringList{"No windows found", "—", "Refresh list"}));

        world.platform.simCapture.screenRecordingAllowed = true;
        auto granted = panelFor(world);
        QCOMPARE(items(*granted), (QStringList{QStringLiteral("Editor — Notes"), "—", "Refresh list"}));
    }

    void cardMenusCallTheManager() {
        PagesWorld world;
        auto panel = panelFor(world);
        auto trigger = [&](ScreenCard* card, const char* menuName, const QString& title) {
            auto* menu = card->findChild<ChipMenuButton*>(menuName)->popup();
            Q_EMIT menu->aboutToShow();
            for (QAction* action : menu->actions())
                if (action->text() == title) {
                    action->trigger();
                    world.idle();
                    world.platform.drainDDC();
                    world.idle();
                    return true;
                }
            return false;
        };

        QVERIFY(trigger(panel->card(3), "more", QStringLiteral("Set as main display")));
        QVERIFY(world.manager().screen(3)->isMain);

        ModeOption target = world.manager().modes(3).back();
        QVERIFY(trigger(panel->card(3), "resolution", QString::fromStdString(target.label())));
        QCOMPARE(world.manager().currentModeID(3), std::optional<std::string>(target.id));

        QTest::mouseClick(panel->card(2)->findChild<QAbstractButton*>("expand"), Qt::LeftButton);
        QVERIFY(trigger(panel->card(2), "input", QStringLiteral("HDMI 1")));
        QCOMPARE(world.manager().state().inputSource.at(2), 0x11);
        QCOMPARE(world.platform.simHardware.monitorFor(2)->value(0x60)->current & 0xFF, 0x11);
    }

    // What the platform cannot do stays in view, disabled, with its reason.
    void unavailableAbilitiesAreShownDisabledWithTheirReason() {
        nlohmann::json scenario = vp::ui::test::defaultScenario();
        scenario["capabilities"]["switchOff"] = "Outputs cannot be switched off here";
        scenario["capabilities"]["virtualDisplays"] = "No virtual outputs on this server";
        PagesWorld world(scenario);
        auto panel = panelFor(world);
        ScreenCard* card = panel->card(3);
        auto* menu = card->findChild<ChipMenuButton*>("more")->popup();
        Q_EMIT menu->aboutToShow();
        const QString reason = QStringLiteral("Outputs cannot be switched off here");
        QAction* off = nullptr;
        QAction* why = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->text() == QStringLiteral("Disconnect screen")) off = action;
            if (action->text() == reason) why = action;
        }
        QVERIFY(off && why);
        QVERIFY(!off->isEnabled() && !why->isEnabled());
        QCOMPARE(off->toolTip(), reason);
        QVERIFY(menu->toolTipsVisible());
        off->trigger();
        world.idle();
        QVERIFY(world.manager().screen(3)->isActive);

        auto* hidpi = card->findChild<PillButton*>("hidpi");
        QVERIFY(hidpi && !hidpi->isEnabled());
        QCOMPARE(hidpi->toolTip(), QStringLiteral("No virtual outputs on this server"));
        QTest::mouseClick(hidpi, Qt::LeftButton);
        world.idle();
        QVERIFY(!world.manager().hiDPIOn(*world.manager().screen(3)));
    }

    void switchedOffScreenShowsOnlyItsReconnectRow() {
        PagesWorld world;
        auto panel = panelFor(world);
        world.manager().setEnabled(3, false);
        world.idle();
        ScreenCard* off = panel->card(3);
        QVERIFY(!has(off, "brightness"));
        QTest::mouseClick(off->findChild<QAbstractButton*>("reconnect"), Qt::LeftButton);
        world.idle();
        QVERIFY(world.manager().screen(3)->isActive);
        QVERIFY(has(panel->card(3), "brightness"));
    }

    void sliderDragReachesTheMonitorWithoutRebuildingTheCard() {
        PagesWorld world;
        auto panel = panelFor(world);
        ScreenCard* card = panel->card(2);
        auto monitor = world.platform.simHardware.monitorFor(2);
        QVERIFY(monitor);
        monitor->clearRecords();
        auto before = monitor->value(0x10)->current;
        int rebuilds = card->rebuildCount();
        auto* slider = card->findChild<GlowSlider*>("brightness");
        drag(slider, {0.9, 0.8, 0.7, 0.6});
        world.idle();
        world.platform.drainDDC();
        QCOMPARE(card->rebuildCount(), rebuilds);
        QCOMPARE(card->findChild<GlowSlider*>("brightness"), slider);
        QVERIFY(std::abs(world.manager().state().brightness.at(2) - 0.6) < 0.01);
        QVERIFY(std::abs(slider->value() - 0.6) < 0.01);  // the thumb followed the drag

        int setVCP = 0;
        for (const SimPacket& packet : monitor->packets())
            if (packet.bytes.size() >= 3 && packet.bytes[1] == 0x03 && packet.bytes[2] == 0x10) ++setVCP;
        QVERIFY(setVCP >= 1);
        QVERIFY(monitor->value(0x10)->current != before);
    }
};

VP_UI_TEST(MenuPanelTest)
#include "MenuPanelTest.moc"
