// The interface on the Linux platform against a private Xvfb: the test
// starts the server, holds a brightness key from another X client and runs
// OnXvfbTest in a child process on xcb, in an environment of its own (empty
// device trees, no bus, temporary home), so the developer's display, bus and
// devices are never touched. OnXvfbTest checks the platform chosen, where a
// display's window lands, the shade and the HUD's fade against the
// compositor (what the X server shows of the HUD, read over xcb) and the held key on the
// keys page.

#include "BuildPaths.h"
#include "UiTestMain.h"

#include "display/DisplayManager.h"
#include "input/BrightnessHUD.h"
#include "platform/qt/QtWindows.h"
#include "ui/app/UiApplication.h"
#include "ui/manager/ManagerView.h"
#include "ui/scenes/ManagerWindow.h"
#include "x11/XServerBed.h"

#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace vp;
using namespace vp::ui;

namespace {

constexpr const char* kOnX = "VELVETPANE_TEST_ON_XVFB";

std::vector<PlatformWidget*> shadeWindows() {
    std::vector<PlatformWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = dynamic_cast<PlatformWidget*>(w); p && p->role() == WindowRole::shade && p->isVisible())
            found.push_back(p);
    return found;
}

PlatformWidget* hudWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = dynamic_cast<PlatformWidget*>(w); p && p->role() == WindowRole::hud) return p;
    return nullptr;
}

// What the X server shows of the HUD's area, sampled while Qt runs, from
// its show until its window is unmapped: the sum of the screen's bytes
// there, once per sample it was mapped in. A compositor draws onto the root
// window, so this is the picture a user sees. Empty when it never went.
std::vector<std::uint64_t> lightUntilUnmapped(xcb_connection_t* c, xcb_window_t window, const QRect& area) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    std::vector<std::uint64_t> seen;
    for (int i = 0; i < 400; ++i) {
        auto* attributes = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
        const bool mapped = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        if (!mapped) return seen;
        auto* image = xcb_get_image_reply(
            c,
            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, std::int16_t(area.x()), std::int16_t(area.y()),
                          std::uint16_t(area.width()), std::uint16_t(area.height()), ~0u),
            nullptr);
        std::uint64_t sum = 0;
        if (image) {
            const std::uint8_t* bytes = xcb_get_image_data(image);
            for (int k = 0; k < xcb_get_image_data_length(image); ++k) sum += bytes[k];
        }
        std::free(image);
        seen.push_back(sum);
        QTest::qWait(10);
    }
    return {};
}

// The samples without repeats of the one before.
std::vector<std::uint64_t> distinctSteps(const std::vector<std::uint64_t>& samples) {
    std::vector<std::uint64_t> steps;
    for (std::uint64_t sum : samples)
        if (steps.empty() || sum != steps.back()) steps.push_back(sum);
    return steps;
}

}  // namespace

class OnXvfbTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty(kOnX)) QSKIP("runs inside LinuxInterfaceTest, on its X server");
    }

    void theInterfaceRunsOnTheRealDisplays() {
        auto choice = chooseInterfacePlatform("linux", "");
        QVERIFY(std::holds_alternative<PlatformChoice>(choice));
        UiOptions options;
        options.platform = std::get<PlatformChoice>(choice);
        QCOMPARE(options.platform.displays, DisplayBackendKind::x11);
        options.trayAvailable = false;
        options.quit = [] {};
        UiApplication program(options);
        LinuxPlatform* real = program.linuxPlatform();
        QVERIFY(real);
        QVERIFY2(QString::fromStdString(real->summary()).contains("displays: X11 RandR"), real->summary().c_str());
        program.launch({});
        DisplayManager& dm = program.context().displayManager();
        QTRY_COMPARE(dm.state().screens.size(), std::size_t(1));
        const DisplayID id = dm.state().screens.front().id;

        // Nothing blends a translucent window: no shade, however dark.
        QVERIFY(!program.platform().capabilities().shade);
        dm.setBrightness(id, 0.02);
        QTest::qWait(300);
        QVERIFY(shadeWindows().empty());

        // Nor a fading HUD: it would stay fully drawn for the fade's length.
        xcb_connection_t* x = xcb_connect(nullptr, nullptr);
        QVERIFY(!xcb_connection_has_error(x));
        program.context().hud().show(0.5, "sun.max.fill");
        QTRY_VERIFY(hudWindow() && hudWindow()->isVisible());
        const auto window = xcb_window_t(hudWindow()->winId());
        auto plain = distinctSteps(lightUntilUnmapped(x, window, hudWindow()->geometry()));
        QVERIFY2(!plain.empty(), "shown, then unmapped");
        QVERIFY2(plain.size() <= 2, "at most not yet drawn, then drawn; never half-drawn");

        QProcess compositor;
        compositor.start(QStringLiteral("xcompmgr"), {});
        QVERIFY(compositor.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(bool(program.platform().capabilities().shade), 5000);

        // With one, the HUD fades while still mapped, then goes.
        program.context().hud().show(0.6, "sun.max.fill");
        QTRY_VERIFY(hudWindow()->isVisible());
        auto faded = distinctSteps(lightUntilUnmapped(x, window, hudWindow()->geometry()));
        QVERIFY2(!faded.empty(), "shown, then unmapped");
        // Drawn, then step by step into the background below, then gone.
        QVERIFY2(faded.size() >= 4, "the HUD fades before its window goes");
        xcb_disconnect(x);
        dm.setBrightness(id, 0.03);
        QTRY_COMPARE(shadeWindows().size(), std::size_t(1));
        PlatformWidget* shade = shadeWindows().front();
        QVERIFY(shade->windowHandle()->flags().testFlag(Qt::WindowTransparentForInput));
        const QString output = QString::fromStdString(real->outputName(id));
        QVERIFY(!output.isEmpty());
        QCOMPARE(shade->screen()->name(), output);
        QCOMPARE(shade->geometry(), shade->screen()->geometry());

        QTRY_VERIFY(!program.platform().input().keyProblems().empty());
        program.scenes().openManager();
        auto* manager = program.scenes().managerWindow()->findChild<ManagerView*>();
        QVERIFY(manager);
        manager->select(ManagerSection::general);
        auto* card = manager->findChild<QWidget*>(QStringLiteral("keyProblems"));
        QVERIFY(card && card->isVisible());
        auto reasons = card->findChildren<QLabel*>(QStringLiteral("keyProblemReason"));
        QCOMPARE(reasons.size(), 1);
        QVERIFY(reasons.front()->text().contains(QStringLiteral("held by another program")));

        program.terminate();
        QVERIFY(shadeWindows().empty());
        compositor.terminate();
        compositor.waitForFinished();
    }
};

class LinuxInterfaceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theInterfaceOnXvfb() {
        std::string why;
        auto bed = vp::test::XServerBed::start(vp::test::XServerBed::Kind::xvfb, why);
        if (!bed) QSKIP(why.c_str());
        if (std::system("command -v xcompmgr >/dev/null 2>&1") != 0) QSKIP("xcompmgr is not installed");

        // Another client holds the brightness-up key, as a desktop's media keys do.
        vp::test::XClient other(bed->display());
        const int code = bed->keycode("XF86MonBrightnessUp");
        QVERIFY2(code != 0, "Xvfb's keymap has the brightness key");
        QVERIFY(other.grabKey(code));

        QTemporaryDir home, sysfs, dev, runtime;
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_STATE_HOME"), home.path() + QStringLiteral("/.local/state"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home.path() + QStringLiteral("/.cache"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("VELVETPANE_SYSFS_ROOT"), sysfs.path());
        env.insert(QStringLiteral("VELVETPANE_DEV_ROOT"), dev.path());
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + runtime.path() + "/none");
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QStringLiteral("unix:path=") + runtime.path() + "/none");
        env.insert(QStringLiteral("DISPLAY"), QString::fromStdString(bed->display()));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QString::fromLatin1(kOnX), QStringLiteral("1"));

        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("OnXvfbTest")});
        QVERIFY(child.waitForFinished(60000));
        const QByteArray output = child.readAll();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
        QVERIFY2(!output.contains("SKIP"), output.constData());
    }
};

VP_UI_TEST(OnXvfbTest)
VP_UI_TEST(LinuxInterfaceTest)
#include "LinuxInterfaceTest.moc"
