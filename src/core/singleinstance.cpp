#include "core/singleinstance.h"

#include "core/instancefolders.h"
#include "core/instanceprotocol.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalSocket>
#include <QThread>
#include <QVariant>

#include <algorithm>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skywell
{

InstanceMessage messageFor(InstanceRequest request)
{
    switch (request) {
    case InstanceRequest::Quit:
        return {1042, 902};
    case InstanceRequest::Import:
        return {1042, 906};
    case InstanceRequest::Restore:
        return {1033, 513};
    }
    return {};
}

std::optional<InstanceRequest> requestFor(int message, int code)
{
    for (const InstanceRequest request : {InstanceRequest::Quit, InstanceRequest::Import, InstanceRequest::Restore}) {
        const InstanceMessage known = messageFor(request);
        if (known.message == message && known.code == code)
            return request;
    }
    return std::nullopt;
}

namespace
{
// Seconds between checks that the socket is still in place.
constexpr int kWatchMs = 2000;
// A connection that sends no complete request within this time is closed.
constexpr int kRequestTimeoutMs = 10000;
// A control request may take a moment to be answered (a recording to start).
constexpr int kControlAnswerMs = 30000;
// Marks a connection whose request was taken (its answer may still come).
const char *const kTakenProperty = "skywellRequestTaken";

// The user id of the process at the other end of a local socket.
bool peerUser(qintptr descriptor, uid_t &user)
{
    struct ucred credentials {
    };
    socklen_t size = sizeof credentials;
    if (::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return false;
    user = credentials.uid;
    return true;
}
} // namespace

SingleInstance::SingleInstance(const QString &programFolder, QObject *parent)
    : QObject(parent), m_programFolder(programFolder), m_lock(programFolder)
{
    m_watch.setInterval(kWatchMs);
    connect(&m_watch, &QTimer::timeout, this, [this] {
        if (!stillListening())
            listen();
    });
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

SingleInstance::Claim SingleInstance::claim()
{
    switch (m_lock.acquire()) {
    case ProgramFolderLock::State::Held:
        break;
    case ProgramFolderLock::State::Taken:
        return Claim::Taken;
    default:
        return Claim::Failed;
    }
    listen();
    m_watch.start();
    return Claim::Claimed;
}

bool SingleInstance::stillListening() const
{
    if (!m_server || !m_server->isListening())
        return false;
    // Another folder is the place now (the runtime folder came back or went).
    if (instanceSocketPlace(m_programFolder).path != m_socketPath)
        return false;
    struct stat info {
    };
    return ::lstat(QFile::encodeName(m_socketPath).constData(), &info) == 0 && info.st_dev == m_socketDevice &&
           info.st_ino == m_socketInode;
}

void SingleInstance::listen()
{
    if (m_server)
        m_server->close();
    const SocketPlace place = instanceSocketPlace(m_programFolder);
    if (!place.error.isEmpty()) {
        setListenProblem(place.error);
        return;
    }
    m_socketPath = place.path;
    // We hold the program folder's lock, so a socket file here is a
    // leftover of an instance that ended without removing it.
    QLocalServer::removeServer(m_socketPath);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    struct stat info {
    };
    if (!m_server->listen(m_socketPath)) {
        setListenProblem(QStringLiteral("cannot listen on %1: %2").arg(m_socketPath, m_server->errorString()));
    } else if (::lstat(QFile::encodeName(m_socketPath).constData(), &info) == 0) {
        m_socketDevice = info.st_dev;
        m_socketInode = info.st_ino;
        setListenProblem(QString());
    }
}

void SingleInstance::setListenProblem(const QString &problem)
{
    if (problem == m_listenProblem)
        return;
    m_listenProblem = problem;
    if (!problem.isEmpty())
        Q_EMIT notice(QStringLiteral("A second start cannot reach this instance:"), problem);
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        uid_t user = 0;
        if (!peerUser(socket->socketDescriptor(), user) || user != ::geteuid()) {
            refuse(socket, QStringLiteral("it came from user %1").arg(user));
            continue;
        }
        socket->setReadBufferSize(kMaxRequestLineBytes);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        // The end of the connection before a whole line is a refusal too.
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { readRequest(socket); });
        QTimer::singleShot(kRequestTimeoutMs, socket, [this, socket] {
            if (socket->state() == QLocalSocket::ConnectedState && !socket->property(kTakenProperty).toBool())
                refuse(socket, QStringLiteral("no request within %1 seconds").arg(kRequestTimeoutMs / 1000));
        });
    }
}

void SingleInstance::readRequest(QLocalSocket *socket)
{
    const bool ended = socket->state() != QLocalSocket::ConnectedState;
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() >= kMaxRequestLineBytes)
            refuse(socket, QStringLiteral("longer than %1 bytes").arg(kMaxRequestLineBytes));
        else if (ended)
            refuse(
                socket,
                QStringLiteral("the connection ended before a whole request (%1 bytes)").arg(socket->bytesAvailable()));
        return;
    }
    const QByteArray line = socket->readLine(kMaxRequestLineBytes).chopped(1);
    if (QByteArray json; decodeControlLine(line, json)) {
        // Answered once the event loop comes back, by the handler.
        socket->disconnect(this);
        socket->setProperty(kTakenProperty, true);
        m_pendingControl.append({socket, json});
        if (m_controlHandler)
            QTimer::singleShot(0, this, &SingleInstance::answerControlRequests);
        return;
    }
    InstanceRequestLine request;
    QString why;
    if (!decodeRequestLine(line, request, why)) {
        refuse(socket, why);
        return;
    }
    // One request per connection: take it out, answer, close. The request
    // is handled later, by whoever listens to messageReceived, never from
    // inside this handler.
    socket->disconnect(this);
    socket->write(kRequestTakenReply);
    socket->disconnectFromServer();
    Q_EMIT messageReceived(request.message, request.code, request.importPath);
}

void SingleInstance::refuse(QLocalSocket *socket, const QString &why)
{
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    Q_EMIT notice(QStringLiteral("Ignored a request from a second start:"), why);
}

void SingleInstance::setControlHandler(ControlHandler handler)
{
    m_controlHandler = std::move(handler);
    if (m_controlHandler && !m_pendingControl.isEmpty())
        QTimer::singleShot(0, this, &SingleInstance::answerControlRequests);
}

void SingleInstance::answerControlRequests()
{
    while (m_controlHandler && !m_pendingControl.isEmpty()) {
        const PendingControl pending = m_pendingControl.takeFirst();
        // The client may have gone meanwhile; its request is still done,
        // as it asked.
        QByteArray answer = m_controlHandler(pending.request);
        if (pending.socket && pending.socket->state() == QLocalSocket::ConnectedState) {
            answer.replace('\n', ' ');
            pending.socket->write(answer + '\n');
            pending.socket->disconnectFromServer();
        }
    }
}

QLocalSocket *SingleInstance::connectToInstance(QString &error, int waitMs) const
{
    const SocketPlace place = instanceSocketPlace(m_programFolder);
    if (!place.error.isEmpty()) {
        error = place.error;
        return nullptr;
    }
    // The running instance may hold its lock but not listen yet: retry a
    // little while.
    QDeadlineTimer deadline(waitMs);
    do {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(place.path);
        if (!socket->waitForConnected(500)) {
            error = QStringLiteral("%1: %2").arg(place.path, socket->errorString());
            QThread::msleep(100);
            continue;
        }
        uid_t user = 0;
        if (!peerUser(socket->socketDescriptor(), user) || user != ::geteuid()) {
            error = QStringLiteral("%1 belongs to user %2, not to this user").arg(place.path).arg(user);
            return nullptr;
        }
        error.clear();
        return socket.release();
    } while (!deadline.hasExpired());
    return nullptr;
}

QString SingleInstance::sendControl(const QByteArray &request, QByteArray &reply, int waitMs) const
{
    QString error;
    const std::unique_ptr<QLocalSocket> socket(connectToInstance(error, waitMs));
    if (!socket)
        return error;
    const QByteArray line = encodeControlLine(request);
    if (line.size() > kMaxRequestLineBytes)
        return QStringLiteral("the request is longer than %1 bytes").arg(kMaxRequestLineBytes);
    socket->write(line);
    QDeadlineTimer deadline(kControlAnswerMs);
    while (!socket->canReadLine() && socket->state() == QLocalSocket::ConnectedState &&
           socket->waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1)))) {
    }
    if (!socket->canReadLine())
        return QStringLiteral("the running Skywell ended the connection without an answer");
    reply = socket->readLine().chopped(1);
    return QString();
}

QString SingleInstance::send(InstanceRequest request, const QString &importPath, int waitMs) const
{
    const SocketPlace place = instanceSocketPlace(m_programFolder);
    if (!place.error.isEmpty())
        return place.error;
    const InstanceMessage m = messageFor(request);
    const QByteArray line = encodeRequestLine({m.message, m.code, importPath});
    // The running instance may hold its lock but not listen yet: retry a
    // little while.
    QDeadlineTimer deadline(waitMs);
    QString lastError;
    do {
        QLocalSocket socket;
        socket.connectToServer(place.path);
        if (!socket.waitForConnected(500)) {
            lastError = QStringLiteral("%1: %2").arg(place.path, socket.errorString());
            QThread::msleep(100);
            continue;
        }
        uid_t user = 0;
        if (!peerUser(socket.socketDescriptor(), user) || user != ::geteuid())
            return QStringLiteral("%1 belongs to user %2, not to this user").arg(place.path).arg(user);
        socket.write(line);
        // The instance answers once it has taken the request.
        while (!socket.canReadLine() && socket.state() == QLocalSocket::ConnectedState &&
               socket.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 2000)))) {
        }
        if (socket.canReadLine() && socket.readLine() == kRequestTakenReply)
            return QString();
        return QStringLiteral("%1: the running instance did not take the request").arg(place.path);
    } while (!deadline.hasExpired());
    return lastError;
}

} // namespace skywell
