// The panel and the manager pages as pictures, compared with the expected
// ones (English and German, the language with the longest words), and their
// layout checked in every language: no label shortened, no text cut.

#include "PagesWorld.h"
#include "SnapshotCompare.h"
#include "UiTestMain.h"

#include "ui/card/ScreenCard.h"
#include "ui/controls/ChipMenuButton.h"
#include "ui/controls/Text.h"
#include "ui/manager/ManagerView.h"
#include "ui/panel/MenuPanel.h"
#include "ui/scenes/ManagerWindow.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>

using namespace vp;
using namespace vp::ui;
using vp::ui::test::PagesWorld;

namespace {

QString language() {
    return QString::fromStdString(vp::ui::test::testLanguage());
}

// Pictures are compared in the languages that have expectations; in the
// others they are only written for people to look at.
void check(QWidget& widget, const QString& name, bool naturalSize = true) {
    QImage image = vp::ui::test::picture(widget, naturalSize);
    if (language() != QStringLiteral("en") && language() != QStringLiteral("de")) return;
    auto verdict = vp::ui::test::compareWithExpected(image, language(), name);
    QVERIFY2(verdict.matches, qPrintable(verdict.reason));
}

// Every chip shows its whole label: given at least the width it asks for.
void expectWholeChips(QWidget& root) {
    // ChipButton has no meta-object of its own: findChildren would take any tool button.
    for (QWidget* child : root.findChildren<QWidget*>()) {
        auto* chip = dynamic_cast<ChipButton*>(child);
        if (!chip || !chip->isVisibleTo(&root)) continue;
        QVERIFY2(chip->width() >= chip->sizeHint().width(),
                 qPrintable(QStringLiteral("chip %1 is %2 wide but needs %3")
                                .arg(chip->objectName())
                                .arg(chip->width())
                                .arg(chip->sizeHint().width())));
    }
}

// Every wrapping text has the height its lines need at its width and lies
// inside its parent, so no line hides under a neighbour or is cut off.
void expectWholeTexts(QWidget& root) {
    for (QLabel* label : root.findChildren<QLabel*>()) {
        if (!label->isVisibleTo(&root) || !label->wordWrap() || label->text().isEmpty()) continue;
        const QString what = label->text().left(40);
        QVERIFY2(label->height() >= label->heightForWidth(label->width()),
                 qPrintable(QStringLiteral("\"%1\" is %2 high but needs %3")
                                .arg(what)
                                .arg(label->height())
                                .arg(label->heightForWidth(label->width()))));
        QVERIFY2(label->parentWidget()->rect().contains(label->geometry()),
                 qPrintable(QStringLiteral("\"%1\" reaches outside its box").arg(what)));
    }
}

}  // namespace

class PagesSnapshotTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void panel() {
        PagesWorld world;
        MenuPanel panel(*world.context, [] {}, [] {});
        panel.opened();
        world.platform.drainDDC();
        world.idle();
        panel.show();
        check(panel, QStringLiteral("panel"));
        expectWholeChips(panel);
        QTest::mouseClick(panel.card(2)->findChild<QAbstractButton*>("expand"), Qt::LeftButton);
        QCoreApplication::processEvents();
        check(panel, QStringLiteral("panel-expanded"));
        expectWholeChips(panel);
        expectWholeTexts(panel);
    }

    void managerPages() {
        PagesWorld world;
        VirtualSpec spec;
        spec.name = "Projector";
        spec.width = 1920;
        spec.height = 1200;
        spec.hiDPI = true;
        world.manager().addVirtual(spec);
        world.idle();
        ManagerWindow window(*world.context);
        window.show();
        const std::pair<ManagerSection, const char*> pages[] = {{ManagerSection::virtualScreens, "manager-virtual"},
                                                                {ManagerSection::general, "manager-general"},
                                                                {ManagerSection::about, "manager-about"}};
        for (const auto& [section, name] : pages) {
            window.view()->select(section);
            QCoreApplication::processEvents();
            check(window, QString::fromLatin1(name), false);
            // The whole page as well, the cards below the window's fold included.
            check(*window.view()->page(), QString::fromLatin1(name) + QStringLiteral("-page"), false);
            expectWholeTexts(window);
            expectWholeChips(window);
        }
    }

    // Fonts without colour emoji draw the keyboard-key emoji as empty
    // boxes; the texts that use them show drawn symbols instead.
    void keyEmojiAreDrawnSymbols() {
        const QColor ink(255, 0, 0);
        QLabel* label = text(QStringLiteral("\U0001F505\U0001F506"), 12, ink);
        QVERIFY(!label->text().contains(QStringLiteral("\U0001F505")));
        label->adjustSize();
        QImage image(label->size(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        label->render(&image);
        int inked = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) inked += qRed(image.pixel(x, y)) > 200 && qGreen(image.pixel(x, y)) < 100;
        QVERIFY2(inked > 20, qPrintable(QStringLiteral("%1 pixels of the symbols drawn").arg(inked)));
        delete label;
        // Texts without them stay plain text, markup characters included.
        QLabel* plain = text(QStringLiteral("a <b> & c"), 12, ink);
        QCOMPARE(plain->textFormat(), Qt::PlainText);
        QCOMPARE(plain->text(), QStringLiteral("a <b> & c"));
        delete plain;
    }
};

VP_UI_TEST(PagesSnapshotTest)
#include "PagesSnapshotTest.moc"
