#include "core/singleinstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>

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

namespace
{
QString runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime;
    return QDir::tempPath();
}

QString instanceBaseName(const QString &programFolder)
{
    const QByteArray hash = QCryptographicHash::hash(programFolder.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("%1/skywell-%2-%3").arg(runtimeFolder()).arg(::getuid()).arg(QString::fromLatin1(hash));
}
} // namespace

SingleInstance::SingleInstance(const QString &programFolder, QObject *parent)
    : QObject(parent), m_socketPath(instanceBaseName(programFolder) + QStringLiteral(".sock")),
      m_lock(instanceBaseName(programFolder) + QStringLiteral(".lock"))
{
    // A lock is stale only when its process is gone, never because of age:
    // the program runs for weeks.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

bool SingleInstance::claim()
{
    if (!m_lock.tryLock(0))
        return false;
    // We hold the lock, so any socket file is a leftover of a crashed run.
    QLocalServer::removeServer(m_socketPath);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
    if (!m_server->listen(m_socketPath))
        qWarning("Cannot listen for a second start on %s", qPrintable(m_socketPath));
    return true;
}

bool SingleInstance::anotherInstanceRuns()
{
    if (m_server)
        return false;
    if (!m_lock.tryLock(0))
        return true;
    m_lock.unlock();
    return false;
}

void SingleInstance::acceptConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                const QList<QByteArray> words = socket->readLine().trimmed().split(' ');
                bool okMessage = false;
                bool okCode = false;
                if (words.size() != 2)
                    continue;
                const int message = words[0].toInt(&okMessage);
                const int code = words[1].toInt(&okCode);
                if (okMessage && okCode)
                    Q_EMIT messageReceived(message, code);
            }
        });
    }
}

bool SingleInstance::send(InstanceRequest request, int waitMs) const
{
    const InstanceMessage m = messageFor(request);
    const QByteArray line = QByteArray::number(m.message) + ' ' + QByteArray::number(m.code) + '\n';
    // The running instance may hold its lock but not listen yet: retry a
    // little while.
    QDeadlineTimer deadline(waitMs);
    do {
        QLocalSocket socket;
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(500)) {
            socket.write(line);
            const bool sent = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            if (sent)
                return true;
        }
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    return false;
}

} // namespace skywell
