#include "BuildPaths.h"
#include "PagesWorld.h"
#include "UiTestMain.h"

#include "ui/card/ScreenCard.h"
#include "ui/manager/ManagerView.h"
#include "ui/panel/MenuPanel.h"
#include "ui/scenes/ManagerWindow.h"

#include <QAbstractButton>
#include <QDir>
#include <QImage>
#include <QLayout>
#include <QTest>

using namespace vp;
using namespace vp::ui;
using vp::ui::test::PagesWorld;

namespace {

// Pictures the widget at twice its size (as on a HiDPI screen).
void save(QWidget& widget, const QString& name, bool natural = true) {
    QString dir = QStringLiteral(VELVETPANE_SNAPSHOT_DIR "/pages-%1").arg(QString::fromStdString(vp::ui::test::testLanguage()));
    QVERIFY(QDir().mkpath(dir));
    widget.ensurePolished();
    if (widget.layout()) widget.layout()->activate();
    if (natural) widget.adjustSize();
    QImage image(widget.size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    widget.render(&image);
    QVERIFY(image.save(dir + "/" + name + ".png"));
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
        save(panel, QStringLiteral("panel"));
        QTest::mouseClick(panel.card(2)->findChild<QAbstractButton*>("expand"), Qt::LeftButton);
        QCoreApplication::processEvents();
        save(panel, QStringLiteral("panel-expanded"));
        world.manager().setLastError(L("O sistema recusou a mudança") + " (1001)");
        QCoreApplication::processEvents();
        save(panel, QStringLiteral("panel-error"));
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
            save(window, QString::fromLatin1(name), false);
        }
    }
};

VP_UI_TEST(PagesSnapshotTest)
#include "PagesSnapshotTest.moc"
