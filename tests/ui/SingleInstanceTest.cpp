#include "BuildPaths.h"
#include "UiTestMain.h"

#include "ui/app/SingleInstance.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace vp::ui;

namespace {

// A runtime directory of this test's own, closed to other users.
struct RuntimeDir {
    QTemporaryDir dir;
    QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    explicit RuntimeDir(int mode = 0700) {
        chmod(QFile::encodeName(dir.path()).constData(), mode_t(mode));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    }
    ~RuntimeDir() { qputenv("XDG_RUNTIME_DIR", saved); }
};

int permissions(const QString& path) {
    struct stat st {};
    if (stat(QFile::encodeName(path).constData(), &st) != 0) return -1;
    return int(st.st_mode & 0777);
}

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aSecondProcessHandsItsURLsToTheFirst() {
        RuntimeDir runtime;
        QString path = SingleInstance::defaultSocketPath();
        QVERIFY(path.startsWith(runtime.dir.path()));
        SingleInstance first(path);
        QStringList received;
        first.onURLs = [&](const QStringList& urls) { received += urls; };
        QVERIFY(first.listen());
        QCOMPARE(permissions(path) & 077, 0);

        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.dir.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(VELVETPANE_BINARY),
                     {QStringLiteral("velvetpane://brightness?value=40"), QStringLiteral("velvetpane://warmth?value=10")});
        QVERIFY(second.waitForStarted());
        // The first instance must keep serving its event loop meanwhile.
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 20000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(received, (QStringList{QStringLiteral("velvetpane://brightness?value=40"),
                                            QStringLiteral("velvetpane://warmth?value=10")}));
    }

    void nobodyListeningMeansThisIsTheFirst() {
        RuntimeDir runtime;
        SingleInstance probe(SingleInstance::defaultSocketPath());
        QVERIFY(!probe.forward({QStringLiteral("velvetpane://brightness?value=1")}, 200));
    }

    void aSocketLeftBehindIsReplaced() {
        RuntimeDir runtime;
        QString path = SingleInstance::defaultSocketPath();
        QFile stale(path);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        SingleInstance instance(path);
        QVERIFY(instance.listen());
        SingleInstance second(path);
        QVERIFY(second.forward({}, 1000));
    }

    void aRuntimeDirectoryOthersCanEnterIsNotUsed() {
        RuntimeDir open(0755);
        QString path = SingleInstance::defaultSocketPath();
        QVERIFY(!path.startsWith(open.dir.path()));
    }

    void onlyURLsOfTheSchemeAreForwarded() {
        QCOMPARE(SingleInstance::urlArguments({QStringLiteral("--home"), QStringLiteral("/tmp"),
                                               QStringLiteral("Velvetpane://brightness?value=5"),
                                               QStringLiteral("https://example.org")}),
                 QStringList{QStringLiteral("Velvetpane://brightness?value=5")});
    }
};

VP_UI_TEST(SingleInstanceTest)
#include "SingleInstanceTest.moc"
