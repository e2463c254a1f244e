#include "core/requestgate.h"

#include "core/singleinstance.h"

#include <algorithm>

namespace skywell
{

bool RequestGate::isQuit(const Request &request)
{
    const InstanceMessage quit = messageFor(InstanceRequest::Quit);
    return request.message == 0 || (request.message == quit.message && request.code == quit.code);
}

bool RequestGate::quitHeld() const
{
    return std::any_of(m_held.begin(), m_held.end(), isQuit);
}

void RequestGate::postMessage(int message, int code, const QString &importPath)
{
    post({message, code, importPath, {}});
}

void RequestGate::postNotice(const QString &message, const QString &detail)
{
    post({-1, 0, message, detail});
}

void RequestGate::postTermination(int signalNumber)
{
    post({0, signalNumber, {}, {}});
}

void RequestGate::post(Request request)
{
    const bool firstQuit = !m_open && isQuit(request) && !quitHeld();
    m_held.append(request);
    if (firstQuit)
        Q_EMIT quitWhileStarting();
    if (m_open && !m_drainQueued) {
        m_drainQueued = true;
        QMetaObject::invokeMethod(this, &RequestGate::drain, Qt::QueuedConnection);
    }
}

void RequestGate::open()
{
    m_open = true;
    drain();
}

void RequestGate::drain()
{
    m_drainQueued = false;
    while (!m_held.isEmpty()) {
        const Request request = m_held.takeFirst();
        // Once the program is quitting, later requests have nothing to act
        // on, but a repeated termination signal is still handed on: the
        // first may be held up by something the second can end.
        if (m_quitDelivered && request.message != 0)
            continue;
        m_quitDelivered = m_quitDelivered || isQuit(request);
        if (request.message == 0)
            Q_EMIT terminationReady(request.code);
        else if (request.message < 0)
            Q_EMIT noticeReady(request.text, request.detail);
        else
            Q_EMIT messageReady(request.message, request.code, request.text);
    }
}

} // namespace skywell
