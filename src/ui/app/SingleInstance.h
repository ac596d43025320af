#pragma once
// One running program per user. A second start hands its velvetpane://
// arguments to the running one over a local socket and exits. The socket
// lives in a directory only this user can enter (the user's runtime
// directory, or a private one made in the temporary directory), and the
// socket itself is made user-only, so no other user can open it.

#include <QObject>
#include <QStringList>

#include <functional>

class QLocalServer;

namespace vp::ui {

class SingleInstance : public QObject {
public:
    // The socket path for this user; empty when no private directory can be
    // had (the program then runs without the single-instance check).
    static QString defaultSocketPath();
    // The arguments that are URLs of the program's scheme.
    static QStringList urlArguments(const QStringList& arguments);

    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);

    // Hands the URLs to a running instance; true when one took them.
    bool forward(const QStringList& urls, int timeoutMs = 2000);
    // Becomes the running instance; false when the socket cannot be made.
    bool listen();
    // Called on the GUI thread with the URLs each later start hands over.
    std::function<void(const QStringList&)> onURLs;

private:
    void accept();
    QString path_;
    QLocalServer* server_ = nullptr;
};

}  // namespace vp::ui
