// The tray icon as a desktop with a StatusNotifierItem host sees it: the
// program runs on a private X server with a private session bus on which a
// stand-in StatusNotifierWatcher (python3-dbusmock) plays the host; the icon
// must register over D-Bus and answer for itself there.

#include "BuildPaths.h"
#include "UiTestMain.h"
#include "x11/XServerBed.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

struct Bed {
    QTemporaryDir root;
    QProcess bus, watcher, program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();

    ~Bed() {
        for (QProcess* p : {&program, &watcher, &bus}) {
            if (p->state() == QProcess::NotRunning) continue;
            p->terminate();
            if (!p->waitForFinished(5000)) {
                p->kill();
                p->waitForFinished(2000);
            }
        }
    }

    // A D-Bus call on the private bus; the reply as dbus-send prints it.
    QString call(const QStringList& args) {
        QProcess send;
        send.setProcessEnvironment(env);
        send.start(QStringLiteral("dbus-send"), QStringList{QStringLiteral("--session"), QStringLiteral("--print-reply")} + args);
        send.waitForFinished(10000);
        return send.exitCode() == 0 ? QString::fromUtf8(send.readAllStandardOutput()) : QString();
    }

    QString property(const QString& service, const QString& path, const QString& interface, const QString& name) {
        return call({QStringLiteral("--dest=") + service, path, QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                     QStringLiteral("string:") + interface, QStringLiteral("string:") + name});
    }
};

QString firstLine(QProcess& process) {
    if (!process.canReadLine()) process.waitForReadyRead(10000);
    return QString::fromUtf8(process.readLine()).trimmed();
}

}  // namespace

class TrayTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void registersItsStatusNotifierItemOverDBus() {
        for (const char* tool : {"dbus-daemon", "dbus-send"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QString::fromLatin1(tool))));
        if (QProcess::execute(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral("import dbusmock")}) != 0)
            QSKIP("python3-dbusmock is not installed for /usr/bin/python3");

        std::string why;
        auto xserver = vp::test::XServerBed::start(vp::test::XServerBed::Kind::xvfb, why);
        if (!xserver) QSKIP(why.c_str());
        Bed bed;
        QVERIFY(QDir(bed.root.path()).mkpath(QStringLiteral("run")));
        chmod(QFile::encodeName(bed.root.path() + QStringLiteral("/run")).constData(), 0700);
        for (const char* name : {"XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                 "GNOME_DESKTOP_SESSION_ID", "WAYLAND_DISPLAY", "QT_QPA_PLATFORMTHEME"})
            bed.env.remove(QString::fromLatin1(name));
        bed.env.insert(QStringLiteral("XDG_RUNTIME_DIR"), bed.root.path() + QStringLiteral("/run"));

        const QString address = QStringLiteral("unix:path=") + bed.root.path() + QStringLiteral("/bus");
        bed.bus.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                       QStringLiteral("--address=") + address});
        QVERIFY2(!firstLine(bed.bus).isEmpty(), "the private session bus did not start");
        bed.env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);

        bed.env.insert(QStringLiteral("DISPLAY"), QString::fromStdString(xserver->display()));
        bed.env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));

        bed.watcher.setProcessEnvironment(bed.env);
        bed.watcher.start(QStringLiteral("/usr/bin/python3"),
                          {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"),
                           QStringLiteral(VELVETPANE_TEST_DATA "/dbus/status_notifier_watcher.py")});
        QTRY_VERIFY_WITH_TIMEOUT(bed.call({QStringLiteral("--dest=org.freedesktop.DBus"), QStringLiteral("/"),
                                           QStringLiteral("org.freedesktop.DBus.NameHasOwner"), QStringLiteral("string:") + kWatcher})
                                     .contains(QStringLiteral("true")),
                                 20000);

        bed.program.setProcessEnvironment(bed.env);
        bed.program.start(QStringLiteral(VELVETPANE_BINARY), {});
        QString items;
        QTRY_VERIFY_WITH_TIMEOUT(
            (items = bed.property(kWatcher, QStringLiteral("/StatusNotifierWatcher"), kWatcher,
                                  QStringLiteral("RegisteredStatusNotifierItems")))
                .contains(QStringLiteral("string \"")),
            20000);
        // The registered name answers as a StatusNotifierItem at its usual path.
        const int start = items.indexOf(QStringLiteral("string \"")) + 8;
        const QString item = items.mid(start, items.indexOf(QLatin1Char('"'), start) - start);
        const QString tooltip = bed.property(item, QStringLiteral("/StatusNotifierItem"),
                                             QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("ToolTip"));
        QVERIFY2(tooltip.contains(QStringLiteral("Velvetpane")), qPrintable(item + QStringLiteral(": ") + tooltip));
        const QString status = bed.property(item, QStringLiteral("/StatusNotifierItem"),
                                            QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Status"));
        QVERIFY2(status.contains(QStringLiteral("Active")), qPrintable(status));
        QCOMPARE(bed.program.state(), QProcess::Running);
    }
};

VP_UI_TEST(TrayTest)
#include "TrayTest.moc"
