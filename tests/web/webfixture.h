#pragma once

#include "control/controlservice.h"
#include "core/activitylog.h"
#include "core/clock.h"
#include "support/httpexchange.h"
#include "support/tempenv.h"
#include "web/webserver.h"

#include <QJsonArray>
#include <QList>

#include <memory>

namespace skywell::test
{

// A control service that answers from a table and keeps what it was asked.
class FakeControl final : public ControlService
{
public:
    ControlReply handle(const ControlRequest &request) override
    {
        requests.append(request);
        return replies.value(request.command);
    }
    QList<ControlRequest> requests;
    QHash<QString, ControlReply> replies;
};

// A web server on 127.0.0.1 over a recordings folder with real files, a
// file outside it, and a link in it that leads out.
class WebFixture
{
public:
    WebFixture();
    // Starts the server; a password makes it ask for one.
    void start(const QString &password = {});
    quint16 port() const { return m_server->port(); }
    HttpAnswer send(const QByteArray &request) { return httpExchange(port(), request); }
    // "Cookie:" and "X-Skywell-CSRF:" lines of a new session.
    QByteArray sessionHeaders();
    int refusalsLogged() const;
    QStringList commandsReceived() const;
    QByteArray writeRecording(const QString &name, qsizetype size);

    TempFolder program;
    TempFolder recordings;
    TempFolder outside;
    SystemClock clock;
    ActivityLog log{program.path(), clock};
    FakeControl control;
    std::unique_ptr<WebServer> m_server;
};

} // namespace skywell::test
