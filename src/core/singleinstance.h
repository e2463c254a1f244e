#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

namespace skywell
{

// The three requests a second start sends to the running instance, with
// the message numbers and codes the main window dispatches on.
enum class InstanceRequest {
    Quit,    // 1042 / 902: quit at once, without asking
    Import,  // 1042 / 906: restore and import the file named in "ImportFile"
    Restore, // 1033 / 513: restore the window and bring it to the front
};

struct InstanceMessage {
    int message = 0;
    int code = 0;
};

InstanceMessage messageFor(InstanceRequest request);

// Keeps one running instance per user and program folder. The first start
// holds a lock file and listens on a local socket only this user may open;
// later starts find the lock taken and hand their request over the socket.
// A lock or socket left behind by a crashed instance is taken over.
class SingleInstance final : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString &programFolder, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this is the only instance; it then listens for requests.
    bool claim();

    // True when another instance holds the lock (checked without keeping it).
    bool anotherInstanceRuns();

    // Hands a request to the running instance; false when none took it
    // within waitMs.
    bool send(InstanceRequest request, int waitMs = 3000) const;

    QString socketPath() const { return m_socketPath; }

Q_SIGNALS:
    void messageReceived(int message, int code);

private:
    void acceptConnection();

    QString m_socketPath;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace skywell
