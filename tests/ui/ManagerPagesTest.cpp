#include "PagesWorld.h"
#include "UiTestMain.h"

#include "input/BrightnessKeys.h"
#include "ui/components/PillButton.h"
#include "ui/controls/Toggle.h"
#include "ui/manager/GeneralPage.h"
#include "ui/manager/ManagerView.h"
#include "ui/manager/VirtualPage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace vp;
using namespace vp::ui;
using vp::ui::test::PagesWorld;

namespace {

void type(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

}  // namespace

class ManagerPagesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sidebarSwitchesPages() {
        PagesWorld world;
        ManagerView view(*world.context);
        QCOMPARE(view.section(), ManagerSection::virtualScreens);
        QVERIFY(dynamic_cast<VirtualPage*>(view.page()));
        QTest::mouseClick(view.findChild<QAbstractButton*>("general"), Qt::LeftButton);
        QCOMPARE(view.section(), ManagerSection::general);
        QVERIFY(dynamic_cast<GeneralPage*>(view.page()));
        QTest::mouseClick(view.findChild<QAbstractButton*>("about"), Qt::LeftButton);
        QCOMPARE(view.section(), ManagerSection::about);
    }

    // Which sizes are accepted is the form's rule; the page shows its
    // refusal, keeps what was typed, and adds what it accepts.
    void createShowsTheRefusalOrAddsTheScreen() {
        PagesWorld world;
        VirtualPage page(*world.context);
        auto* width = page.findChild<QLineEdit*>("width");
        type(width, QStringLiteral("639"));
        type(page.findChild<QLineEdit*>("height"), QStringLiteral("360"));
        QTest::mouseClick(page.findChild<PillButton*>("create"), Qt::LeftButton);
        world.idle();
        DisplayManager& dm = world.manager();
        QVERIFY(dm.state().specs.empty());
        QCOMPARE(QString::fromStdString(dm.state().lastError.value_or("")), QStringLiteral("Use 640×360 up to 8192×8192."));
        QCOMPARE(width->text(), QStringLiteral("639"));

        type(width, QStringLiteral("640"));
        QTest::mouseClick(page.findChild<PillButton*>("create"), Qt::LeftButton);
        world.idle();
        QCOMPARE(dm.state().specs.size(), std::size_t(1));
        QCOMPARE(dm.state().specs[0].width, std::int64_t(640));
    }

    void presetOverwritesTypedSizeAndRowsFollowTheSpecs() {
        PagesWorld world;
        VirtualPage page(*world.context);
        type(page.findChild<QLineEdit*>("width"), QStringLiteral("1234"));
        auto* preset = page.findChild<QComboBox*>("preset");
        preset->setCurrentIndex(3);
        Q_EMIT preset->activated(3);
        QCOMPARE(page.findChild<QLineEdit*>("width")->text(), QStringLiteral("3840"));
        QCOMPARE(page.findChild<QLineEdit*>("height")->text(), QStringLiteral("2160"));

        type(page.findChild<QLineEdit*>("name"), QStringLiteral("Wall"));
        QTest::mouseClick(page.findChild<PillButton*>("create"), Qt::LeftButton);
        world.idle();
        QCOMPARE(page.findChild<QLineEdit*>("name")->text(), QString());  // only the name is cleared
        QCOMPARE(page.findChild<QLineEdit*>("width")->text(), QStringLiteral("3840"));
        QString id = QString::fromStdString(world.manager().state().specs.at(0).id.text());
        QWidget* row = page.findChild<QWidget*>(id);
        QVERIFY(row);
        QTest::mouseClick(row->findChild<Toggle*>("enabled"), Qt::LeftButton);
        world.idle();
        QVERIFY(!world.manager().state().specs.at(0).enabled);
        QTest::mouseClick(page.findChild<QWidget*>(id)->findChild<PillButton*>("remove"), Qt::LeftButton);
        world.idle();
        QVERIFY(world.manager().state().specs.empty());
    }

    void withoutVirtualDisplaysThePageSaysWhyAndCannotAdd() {
        nlohmann::json scenario = vp::ui::test::defaultScenario();
        scenario["capabilities"]["virtualDisplays"] = "No virtual outputs on this server";
        PagesWorld world(scenario);
        VirtualPage page(*world.context);
        QVERIFY(page.findChild<QWidget*>("unavailable"));
        QCOMPARE(page.findChild<QLabel*>("unavailableReason")->text(), QStringLiteral("No virtual outputs on this server"));
        auto* create = page.findChild<PillButton*>("create");
        QVERIFY(!create->isEnabled());
        QVERIFY(!page.findChild<QLineEdit*>("width")->isEnabled());
        QTest::mouseClick(create, Qt::LeftButton);
        world.idle();
        QVERIFY(world.manager().state().specs.empty());
    }

    void generalSwitchesActAtOnce() {
        PagesWorld world;
        GeneralPage page(*world.context);
        int published = 0;
        auto connection = world.manager().onChange([&] { ++published; });
        QTest::mouseClick(page.findChild<Toggle*>("dimBelow"), Qt::LeftButton);
        QVERIFY(published >= 1);  // a refresh of every screen
        QCOMPARE(world.platform.system().defaults().boolean("dimBelowMinimum"), std::optional<bool>(false));

        QTest::mouseClick(page.findChild<Toggle*>("keysAllScreens"), Qt::LeftButton);
        QVERIFY(!world.context->keys().enabled());

        QTest::mouseClick(page.findChild<Toggle*>("loginItem"), Qt::LeftButton);
        QVERIFY(world.platform.system().loginItemEnabled());
    }

    void settingsButtonsOpenTheSystemsPanesAndAPaneTheSystemLacksHasNone() {
        PagesWorld world;
        world.platform.simInput.permitted = false;
        GeneralPage page(*world.context);
        QTest::mouseClick(page.findChild<PillButton*>("openScreenRecording"), Qt::LeftButton);
        QTest::mouseClick(page.findChild<PillButton*>("openAccessibility"), Qt::LeftButton);
        QVERIFY(world.platform.simSystem.openedPanes ==
                (std::vector<SettingsPane>{SettingsPane::screenCapture, SettingsPane::accessibility}));

        world.platform.simSystem.settingsPanes = {SettingsPane::displays};
        GeneralPage lacking(*world.context);
        QVERIFY(!lacking.findChild<PillButton*>("openScreenRecording"));
        QVERIFY(!lacking.findChild<PillButton*>("openAccessibility"));
        // The warning itself still says what is missing.
        QVERIFY(!lacking.accessibilityWarning()->isHidden());
    }
};

VP_UI_TEST(ManagerPagesTest)
#include "ManagerPagesTest.moc"
