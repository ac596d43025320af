// The General page's card for desktop shortcuts: shown only where no key
// reaches the program, writing nothing until the user clicks, and saying
// why when the desktop refuses.

#include "PagesWorld.h"
#include "UiTestMain.h"

#include "ui/components/PillButton.h"
#include "ui/manager/DesktopShortcutsCard.h"
#include "ui/manager/GeneralPage.h"

#include <QLabel>
#include <QTest>

using namespace vp;
using namespace vp::ui;
using vp::ui::test::PagesWorld;

namespace {

// A desktop that keeps our shortcuts in memory, or refuses to.
class FakeShortcuts : public DesktopShortcuts {
public:
    Ability ability() override { return Ability::yes(); }
    std::vector<DesktopShortcut> installed() override { return kept; }
    bool install(std::string& why) override {
        ++writes;
        if (refuse) return fail(why);
        kept = {{Key::brightnessUp, "Ctrl+Super+Up"}, {Key::brightnessDown, "Ctrl+Super+Down"}};
        return true;
    }
    bool remove(std::string& why) override {
        ++writes;
        if (refuse) return fail(why);
        kept.clear();
        return true;
    }
    bool fail(std::string& why) {
        why = "settings are read-only";
        return false;
    }

    std::vector<DesktopShortcut> kept;
    bool refuse = false;
    int writes = 0;
};

}  // namespace

class DesktopShortcutsCardTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void addedOnClickAndRemovedAgain() {
        PagesWorld world;  // the language and the application
        FakeShortcuts desktop;
        DesktopShortcutsCard card(desktop);
        QCOMPARE(desktop.writes, 0);
        QVERIFY(!card.findChild<QLabel*>("shortcutKeys"));
        QTest::mouseClick(card.findChild<PillButton*>("addShortcuts"), Qt::LeftButton);
        QCOMPARE(desktop.kept.size(), std::size_t(2));
        QVERIFY(card.findChild<QLabel*>("shortcutKeys")->text().contains("Ctrl+Super+Down"));
        QVERIFY(!card.findChild<PillButton*>("addShortcuts"));

        QTest::mouseClick(card.findChild<PillButton*>("removeShortcuts"), Qt::LeftButton);
        QVERIFY(desktop.kept.empty());
        QVERIFY(card.findChild<PillButton*>("addShortcuts"));
        QVERIFY(!card.findChild<QLabel*>("shortcutsProblem"));
    }

    void aRefusalIsShownWithTheDesktopsReason() {
        PagesWorld world;
        FakeShortcuts desktop;
        desktop.refuse = true;
        DesktopShortcutsCard card(desktop);
        QTest::mouseClick(card.findChild<PillButton*>("addShortcuts"), Qt::LeftButton);
        QLabel* problem = card.findChild<QLabel*>("shortcutsProblem");
        QVERIFY(problem);
        QVERIFY(problem->text().contains("read-only"));
        QVERIFY(card.findChild<PillButton*>("addShortcuts"));
    }

    void generalPageShowsTheCardOnlyWhereNoKeyArrives() {
        PagesWorld keys;
        GeneralPage withKeys(*keys.context);
        QVERIFY(!withKeys.findChild<DesktopShortcutsCard*>("desktopShortcuts"));

        PagesWorld none;
        none.platform.simCapabilities.keys = KeyDelivery::none;
        GeneralPage without(*none.context);
        QVERIFY(without.findChild<DesktopShortcutsCard*>("desktopShortcuts"));
        // The simulated platform has no desktop shortcuts: it says why, and
        // offers no button.
        QVERIFY(without.findChild<QLabel*>("shortcutsUnavailable"));
        QVERIFY(!without.findChild<PillButton*>("addShortcuts"));
    }
};

VP_UI_TEST(DesktopShortcutsCardTest)
#include "DesktopShortcutsCardTest.moc"
