#include "ui/app/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSharedPointer>

#include <sys/stat.h>
#include <unistd.h>

namespace vp::ui {

namespace {

// A message is a few URLs; anything longer is not from our own program.
constexpr qint64 kMaxMessage = 64 * 1024;

// True when `dir` exists, is a real directory owned by this user and
// closed to everyone else.
bool isPrivateDirectory(const QByteArray& dir) {
    struct stat st {};
    if (lstat(dir.constData(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == getuid() && (st.st_mode & 077) == 0;
}

}  // namespace

QString SingleInstance::defaultSocketPath() {
    QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateDirectory(runtime))
        return QString::fromLocal8Bit(runtime) + QStringLiteral("/velvetpane.sock");
    QByteArray dir = QDir::tempPath().toLocal8Bit() + "/velvetpane-" + QByteArray::number(uint(getuid()));
    mkdir(dir.constData(), 0700);
    if (!isPrivateDirectory(dir)) return {};
    return QString::fromLocal8Bit(dir) + QStringLiteral("/instance.sock");
}

QStringList SingleInstance::urlArguments(const QStringList& arguments) {
    QStringList urls;
    for (const QString& a : arguments)
        if (a.startsWith(QStringLiteral("velvetpane:"), Qt::CaseInsensitive)) urls << a;
    return urls;
}

SingleInstance::SingleInstance(QString socketPath, QObject* parent) : QObject(parent), path_(std::move(socketPath)) {}

bool SingleInstance::forward(const QStringList& urls, int timeoutMs) {
    if (path_.isEmpty()) return false;
    QLocalSocket socket;
    socket.connectToServer(path_);
    if (!socket.waitForConnected(timeoutMs)) return false;
    QByteArray message;
    for (const QString& url : urls) message += url.toUtf8() + '\n';
    socket.write(message);
    if (!message.isEmpty() && !socket.waitForBytesWritten(timeoutMs)) return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(timeoutMs);
    return true;
}

bool SingleInstance::listen() {
    if (path_.isEmpty()) return false;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket file left by a program that did not end cleanly: nobody
    // answers on it (forward() failed first), so it can go.
    if (!server_->listen(path_)) {
        QLocalServer::removeServer(path_);
        if (!server_->listen(path_)) return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::accept);
    return true;
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        auto buffer = QSharedPointer<QByteArray>::create();
        connect(socket, &QLocalSocket::readyRead, socket, [socket, buffer] {
            *buffer += socket->readAll();
            if (buffer->size() > kMaxMessage) socket->abort();
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket, buffer] {
            *buffer += socket->readAll();
            socket->deleteLater();
            if (buffer->size() > kMaxMessage) return;
            QStringList urls;
            for (const QByteArray& line : buffer->split('\n'))
                if (!line.isEmpty()) urls << QString::fromUtf8(line);
            if (!urls.isEmpty() && onURLs) onURLs(urls);
        });
    }
}

}  // namespace vp::ui
