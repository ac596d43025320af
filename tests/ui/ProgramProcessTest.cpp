#include "BuildPaths.h"
#include "UiTestMain.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

namespace {

// The program in a child process on the offscreen platform (which has no
// tray, so it shows its fallback window), with a runtime directory of its
// own so it never meets another running instance.
struct Program {
    QTemporaryDir runtime;
    QProcess process;
    QString socket() const { return runtime.path() + QStringLiteral("/velvetpane.sock"); }

    void start(const QStringList& args = {}) {
        chmod(QFile::encodeName(runtime.path()).constData(), 0700);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // Never the real displays of whoever runs the tests.
        env.insert(QStringLiteral("VELVETPANE_PLATFORM"), QStringLiteral("sim"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(VELVETPANE_BINARY), args);
    }
    ~Program() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

}  // namespace

class ProgramProcessTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sigtermRestoresThenEndsTheProgramBySigterm() {
        Program program;
        program.start();
        QVERIFY(program.process.waitForStarted());
        // Listening on its socket means it has launched.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(program.socket()), 20000);
        ::kill(pid_t(program.process.processId()), SIGTERM);
        QVERIFY(program.process.waitForFinished(10000));
        // It ends by the signal it was sent, after its orderly shutdown
        // (which closed the instance socket).
        QCOMPARE(program.process.exitStatus(), QProcess::CrashExit);
        QCOMPARE(program.process.exitCode(), SIGTERM);
        QVERIFY(!QFile::exists(program.socket()));
    }

    void thePlatformOptionIsTheProgramsNotQts() {
        Program program;
        program.start({QStringLiteral("--platform"), QStringLiteral("sim")});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(program.socket()) ||
                                     program.process.state() == QProcess::NotRunning, 20000);
        QVERIFY2(program.process.state() == QProcess::Running, program.process.readAllStandardError().constData());
    }

    void anUnreadableScenarioIsReported() {
        Program program;
        program.start({QStringLiteral("--scenario"), QStringLiteral("/nonexistent/scenario.json")});
        QVERIFY(program.process.waitForFinished(20000));
        QCOMPARE(program.process.exitCode(), 2);
        QVERIFY(program.process.readAllStandardError().contains("cannot be read"));
    }
};

VP_UI_TEST(ProgramProcessTest)
#include "ProgramProcessTest.moc"
