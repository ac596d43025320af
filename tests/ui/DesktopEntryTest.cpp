// The installed desktop entry, as a desktop without its own URL handling
// uses it: the entry is installed under a private XDG_DATA_HOME, xdg-mime
// names it for velvetpane:// and xdg-open hands such a URL to the running
// instance.

#include "BuildPaths.h"
#include "UiTestMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

namespace {

struct Outcome {
    int status = -1;
    QString out;
};

Outcome run(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()).trimmed()};
}

// Nothing of the developer's session: no display, no session bus, no
// desktop, no configured handlers; only the private directories.
QProcessEnvironment isolated(const QTemporaryDir& root) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP",
                             "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID", "BROWSER"})
        env.remove(QString::fromLatin1(name));
    const QString r = root.path();
    env.insert(QStringLiteral("HOME"), r + QStringLiteral("/home"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), r + QStringLiteral("/local/share"));
    env.insert(QStringLiteral("XDG_DATA_DIRS"), r + QStringLiteral("/none"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), r + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), r + QStringLiteral("/none"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), r + QStringLiteral("/run"));
    env.insert(QStringLiteral("PATH"), r + QStringLiteral("/local/bin:") + env.value(QStringLiteral("PATH")));
    // xdg-open hands URLs to handlers only where there is a display; the
    // program itself draws offscreen and never connects to it.
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("velvetpane-test-no-display"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The simulated screens: never the real ones of whoever runs the tests.
    env.insert(QStringLiteral("VELVETPANE_PLATFORM"), QStringLiteral("sim"));
    return env;
}

}  // namespace

class DesktopEntryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void xdgOpenReachesTheRunningInstance() {
        for (const char* tool : {"cmake", "xdg-mime", "xdg-open", "update-desktop-database"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QString::fromLatin1(tool))));
        QTemporaryDir root;
        QVERIFY(root.isValid());
        for (const char* dir : {"home", "config", "none", "run"}) QVERIFY(QDir(root.path()).mkpath(QString::fromLatin1(dir)));
        chmod(QFile::encodeName(root.path() + QStringLiteral("/run")).constData(), 0700);
        QProcessEnvironment env = isolated(root);

        // A user-local install: the prefix whose share/ is XDG_DATA_HOME.
        const QString build = QFileInfo(QStringLiteral(VELVETPANE_BINARY)).absolutePath();
        const QString prefix = root.path() + QStringLiteral("/local");
        QCOMPARE(run(QStringLiteral("cmake"), {QStringLiteral("--install"), build, QStringLiteral("--prefix"), prefix}, env).status, 0);
        QVERIFY(QFile::exists(prefix + QStringLiteral("/share/applications/velvetpane.desktop")));
        QCOMPARE(run(QStringLiteral("update-desktop-database"), {prefix + QStringLiteral("/share/applications")}, env).status, 0);

        Outcome handler = run(QStringLiteral("xdg-mime"),
                              {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/velvetpane")}, env);
        QCOMPARE(handler.status, 0);
        QCOMPARE(handler.out, QStringLiteral("velvetpane.desktop"));

        const QString home = root.path() + QStringLiteral("/home");
        QProcess instance;
        instance.setProcessEnvironment(env);
        instance.start(prefix + QStringLiteral("/bin/velvetpane"), {QStringLiteral("--home"), home});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(root.path() + QStringLiteral("/run/velvetpane.sock")), 20000);

        QCOMPARE(run(QStringLiteral("xdg-open"), {QStringLiteral("velvetpane://warmth?value=40")}, env).status, 0);
        // The running instance carried it out: every screen's warmth is stored.
        auto stored = [&home] {
            QFile defaults(home + QStringLiteral("/.config/velvetpane/defaults.json"));
            return defaults.open(QIODevice::ReadOnly) ? QString::fromUtf8(defaults.readAll()) : QString();
        };
        QTRY_VERIFY_WITH_TIMEOUT(stored().contains(QStringLiteral("\\\"warmth\\\":0.4")), 20000);
        QCOMPARE(instance.state(), QProcess::Running);
        ::kill(pid_t(instance.processId()), SIGTERM);
        QVERIFY(instance.waitForFinished(10000));
    }
};

VP_UI_TEST(DesktopEntryTest)
#include "DesktopEntryTest.moc"
