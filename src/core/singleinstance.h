#pragma once

#include "core/programfolderlock.h"

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <QList>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <sys/types.h>

class QLocalSocket;

namespace skywell
{

// The three requests a second start sends to the running instance, with
// the message numbers and codes the main window dispatches on.
enum class InstanceRequest {
    Quit,    // 1042 / 902: quit at once, without asking
    Import,  // 1042 / 906: restore and import the file the request names
    Restore, // 1033 / 513: restore the window and bring it to the front
};

struct InstanceMessage {
    int message = 0;
    int code = 0;
};

InstanceMessage messageFor(InstanceRequest request);
// The request a message number and code stand for; none for any other pair.
std::optional<InstanceRequest> requestFor(int message, int code);

// Keeps one running instance per program folder. The first start holds the
// program folder's lock (see ProgramFolderLock) and listens on a local
// socket of this user; later starts find the lock taken and hand their
// request over the socket. Both ends check that the other is this user.
// The socket only delivers requests: when it is removed (a logout removes
// the runtime folder) the instance listens again, in the folder a second
// start then looks in.
class SingleInstance final : public QObject
{
    Q_OBJECT
public:
    enum class Claim {
        Claimed, // this is the only instance; it listens for requests
        Taken,   // another instance runs on this program folder
        Failed,  // the lock cannot be taken: error() says why
    };

    explicit SingleInstance(const QString &programFolder, QObject *parent = nullptr);
    ~SingleInstance() override;

    Claim claim();

    // True when another instance holds the lock (checked without keeping it).
    bool anotherInstanceRuns() { return lockState() == ProgramFolderLock::State::Taken; }
    ProgramFolderLock::State lockState() { return m_lock.probe(); }

    // Hands a request (and, for an import, its file) to the running
    // instance and waits until it has taken it. Empty on success, otherwise
    // why it could not be delivered within waitMs.
    QString send(InstanceRequest request, const QString &importPath = QString(), int waitMs = 5000) const;

    // Hands a control request (JSON) to the running instance and waits for
    // its answer, one line of JSON, in reply. Empty on success, otherwise
    // why no answer came.
    QString sendControl(const QByteArray &request, QByteArray &reply, int waitMs = 5000) const;

    // Answers control requests: takes the request's JSON, returns the
    // answer's. Requests that come before it is set wait for it; each is
    // answered from the event loop, never from the socket's handler.
    using ControlHandler = std::function<QByteArray(const QByteArray &request)>;
    void setControlHandler(ControlHandler handler);

    // Why the lock could not be taken or checked.
    QString error() const { return m_lock.error(); }
    // Why second starts cannot reach this instance now; empty when they can.
    QString listenProblem() const { return m_listenProblem; }
    QString socketPath() const { return m_socketPath; }

Q_SIGNALS:
    void messageReceived(int message, int code, const QString &importPath);
    // For the log: a request that was refused, a socket that cannot listen.
    void notice(const QString &message, const QString &detail);

private:
    void listen();
    bool stillListening() const;
    void setListenProblem(const QString &problem);
    void acceptConnections();
    void readRequest(QLocalSocket *socket);
    void refuse(QLocalSocket *socket, const QString &why);
    void answerControlRequests();
    QLocalSocket *connectToInstance(QString &error, int waitMs) const;

    QString m_programFolder;
    ProgramFolderLock m_lock;
    QString m_socketPath;
    QString m_listenProblem;
    dev_t m_socketDevice = 0;
    ino_t m_socketInode = 0;
    std::unique_ptr<QLocalServer> m_server;
    QTimer m_watch;
    struct PendingControl {
        QPointer<QLocalSocket> socket;
        QByteArray request;
    };
    QList<PendingControl> m_pendingControl;
    ControlHandler m_controlHandler;
};

} // namespace skywell
