#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace skywell
{

// Holds what reaches the program from outside while it is still starting
// (a second start's requests, SIGTERM and SIGINT) and hands it on, in the
// order it came, once the main loop runs. During the splash and the
// start-up boxes nested event loops already read the socket and the
// signals; handled there, a quit would only end the nested loop and the
// program would stay up without a window. Every request is handed on from
// a queued call, never from inside the socket's or the signal's handler.
class RequestGate final : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // A second start's request (message and code, as the instance sends
    // them, and the file of an import).
    void postMessage(int message, int code, const QString &importPath = QString());
    // A line for the log (a refused request, ...), written once the log is open.
    void postNotice(const QString &message, const QString &detail);
    void postTermination(int signalNumber);
    // From now on requests are handed on; the held ones go first. Call it
    // from the main loop (a zero timer started just before exec()).
    void open();

    bool isOpen() const { return m_open; }
    // A quit request or a termination signal is waiting.
    bool quitHeld() const;

Q_SIGNALS:
    void messageReady(int message, int code, const QString &importPath);
    void noticeReady(const QString &message, const QString &detail);
    void terminationReady(int signalNumber);
    // The first quit request or termination signal arrived before open():
    // the start-up should close its boxes and ask nothing more.
    void quitWhileStarting();

private:
    struct Request {
        int message = 0; // 0: a termination signal, -1: a notice
        int code = 0;
        QString text; // the file of an import; a notice's message
        QString detail;
    };
    void post(Request request);
    void drain();
    static bool isQuit(const Request &request);

    QList<Request> m_held;
    bool m_open = false;
    bool m_drainQueued = false;
    bool m_quitDelivered = false;
};

} // namespace skywell
