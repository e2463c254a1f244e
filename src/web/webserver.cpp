#include "web/webserver.h"

#include "control/controlservice.h"
#include "core/activitylog.h"
#include "web/stationfinder.h"
#include "web/webpassword.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMetaObject>
#include <QUrlQuery>

#include <condition_variable>
#include <mutex>

namespace skywell
{

namespace
{

const QByteArray kSessionCookie = "skywell_session";

QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// A request's path as the log shows it: printable, and not too long.
QString loggedPath(const QString &path)
{
    QString shown;
    for (const QChar c : path.left(200))
        shown += c.isPrint() ? QString(c) : QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    return shown;
}

QByteArray sessionCookie(const QString &id)
{
    return kSessionCookie + '=' + id.toLatin1() + "; Path=/; HttpOnly; SameSite=Strict";
}

} // namespace

WebServer::WebServer(ControlService &control, ActivityLog &log, QObject *parent)
    : QObject(parent), m_control(control), m_log(log)
{
}

WebServer::~WebServer()
{
    stop();
}

QString WebServer::start(const WebAddress &address)
{
    // The page's files are read once, here, so the server's thread only
    // ever reads this table.
    const QList<std::tuple<QString, QString, QByteArray>> files{
        {QStringLiteral("/"), QStringLiteral("index.html"), "text/html; charset=utf-8"},
        {QStringLiteral("/app.js"), QStringLiteral("app.js"), "text/javascript; charset=utf-8"},
        {QStringLiteral("/app.css"), QStringLiteral("app.css"), "text/css; charset=utf-8"},
        {QStringLiteral("/favicon.svg"), QStringLiteral("favicon.svg"), "image/svg+xml"},
    };
    for (const auto &[path, name, type] : files) {
        QFile file(QStringLiteral(":/web/") + name);
        if (file.open(QIODevice::ReadOnly))
            m_page.insert(path, {type, file.readAll()});
    }
    m_address = address;
    m_stopping = false;
    const QString error = m_daemon.start(address);
    if (error.isEmpty()) {
        m_address.port = m_daemon.port();
        m_log.logLine(QStringLiteral("Web page served at"), QStringLiteral("http://%1/").arg(m_address.text()));
    }
    return error;
}

void WebServer::stop()
{
    m_stopping = true;
    m_daemon.stop();
}

std::optional<QJsonObject> WebServer::onMainThread(std::function<QJsonObject()> work)
{
    struct Call {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<QJsonObject> result;
    };
    auto call = std::make_shared<Call>();
    QMetaObject::invokeMethod(
        this,
        [call, work = std::move(work)] {
            QJsonObject result = work();
            const std::lock_guard lock(call->mutex);
            call->result = std::move(result);
            call->done.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(call->mutex);
    // stop() waits for this thread: a call the main thread will not run
    // any more must not hold it.
    while (!call->result && !m_stopping)
        call->done.wait_for(lock, std::chrono::milliseconds(100));
    return call->result;
}

std::optional<ControlReply> WebServer::control(const QString &command, const QJsonObject &arguments)
{
    ControlService &service = m_control;
    const auto answer = onMainThread([&service, command, arguments] {
        const ControlReply reply = service.handle(ControlRequest{command, arguments});
        return QJsonObject{{QStringLiteral("status"), static_cast<int>(reply.status)},
                           {QStringLiteral("message"), reply.message},
                           {QStringLiteral("data"), reply.data}};
    });
    if (!answer)
        return std::nullopt;
    return ControlReply{static_cast<ControlStatus>(answer->value(QStringLiteral("status")).toInt()),
                        answer->value(QStringLiteral("message")).toString(),
                        answer->value(QStringLiteral("data")).toObject()};
}

void WebServer::refused(const WebRequest &request, int status, const QString &reason)
{
    m_log.logLine(
        QStringLiteral("Web request refused"),
        QStringLiteral("%1 %2 %3 (%4): %5")
            .arg(request.peer.toString(), QString::fromLatin1(request.method.left(16)), loggedPath(request.path))
            .arg(status)
            .arg(reason));
}

void WebServer::serverMessage(const QString &message)
{
    m_log.logLine(QStringLiteral("Web server:"), message);
}

WebResponse WebServer::refuse(const WebRequest &request, int status, const QString &reason)
{
    refused(request, status, reason);
    WebResponse response = WebResponse::error(status, reason);
    if (status == 401 && request.hasBasic)
        response.addHeader("WWW-Authenticate", "Basic realm=\"Skywell\", charset=\"UTF-8\"");
    return response;
}

WebResponse WebServer::handle(const WebRequest &request)
{
    if (m_stopping)
        return WebResponse::error(503, QStringLiteral("Skywell is closing"));
    WebResponse response = route(request);
    response.addHeader("X-Frame-Options", "DENY");
    return response;
}

bool WebServer::sameOriginOrToken(const WebRequest &request)
{
    const QByteArray token = request.header("x-skywell-csrf");
    const auto session = m_sessions.find(QString::fromLatin1(request.cookie(kSessionCookie)));
    if (session && !token.isEmpty() && QString::fromLatin1(token) == session->csrf)
        return true;
    const QByteArray origin = request.header("origin");
    const QByteArray host = request.header("host");
    return !host.isEmpty() && (origin == "http://" + host || origin == "https://" + host);
}

bool WebServer::authorized(const WebRequest &request, WebResponse *refusal)
{
    if (!passwordSet())
        return true;
    const auto session = m_sessions.find(QString::fromLatin1(request.cookie(kSessionCookie)));
    if (session && session->loggedIn)
        return true;
    const QString client = request.peer.toString();
    if (request.hasBasic) {
        if (m_sessions.locked(client)) {
            *refusal = refuse(request, 429, QStringLiteral("too many wrong passwords, try again in a minute"));
            return false;
        }
        if (WebPassword::verify(request.basicPassword, m_passwordHash))
            return true;
        m_sessions.recordFailure(client);
        *refusal = refuse(request, 401, QStringLiteral("wrong password"));
        return false;
    }
    *refusal = refuse(request, 401, QStringLiteral("the password is needed"));
    return false;
}

WebResponse WebServer::route(const WebRequest &request)
{
    const bool get = request.method == "GET" || request.method == "HEAD";
    const QString &path = request.path;
    if (get && m_page.contains(path)) {
        const auto &[type, content] = m_page.value(path);
        WebResponse response;
        response.contentType = type;
        response.body = content;
        response.addHeader("Content-Security-Policy",
                           "default-src 'self'; img-src 'self' data:; style-src 'self' 'unsafe-inline'; "
                           "frame-ancestors 'none'");
        return response;
    }
    if (path == QLatin1String("/api/session") && get)
        return session(request);
    if (path == QLatin1String("/api/login") && request.method == "POST")
        return login(request);
    if (path.startsWith(QLatin1String("/feed/")) && path.endsWith(QLatin1String(".xml")) && get)
        return feed(request, path.mid(6, path.size() - 10));
    if (path.startsWith(QLatin1String("/recordings/")) && get)
        return recording(request, path.mid(12));
    if (path.startsWith(QLatin1String("/api/")))
        return api(request);
    return refuse(request, 404, QStringLiteral("no such page"));
}

WebResponse WebServer::session(const WebRequest &request)
{
    QString id = QString::fromLatin1(request.cookie(kSessionCookie));
    auto found = m_sessions.find(id);
    WebResponse response;
    if (!found) {
        found = m_sessions.create(&id);
        response.addHeader("Set-Cookie", sessionCookie(id));
    }
    response.status = 200;
    response.contentType = "application/json";
    response.body = compact({{QStringLiteral("csrf"), found->csrf},
                             {QStringLiteral("loggedIn"), found->loggedIn || !passwordSet()},
                             {QStringLiteral("passwordRequired"), passwordSet()}});
    return response;
}

WebResponse WebServer::login(const WebRequest &request)
{
    if (!sameOriginOrToken(request))
        return refuse(request, 403, QStringLiteral("no CSRF token"));
    const QString client = request.peer.toString();
    if (m_sessions.locked(client))
        return refuse(request, 429, QStringLiteral("too many wrong passwords, try again in a minute"));
    QString password;
    if (request.header("content-type").startsWith("application/json"))
        password = QJsonDocument::fromJson(request.body).object().value(QStringLiteral("password")).toString();
    else
        password =
            QUrlQuery(QString::fromUtf8(request.body)).queryItemValue(QStringLiteral("password"), QUrl::FullyDecoded);
    if (!passwordSet() || !WebPassword::verify(password, m_passwordHash)) {
        m_sessions.recordFailure(client);
        return refuse(request, 401, QStringLiteral("wrong password"));
    }
    // A fresh session for the logged-in browser; the old one ends.
    m_sessions.remove(QString::fromLatin1(request.cookie(kSessionCookie)));
    QString id;
    const WebSessions::Session session = m_sessions.create(&id, true);
    WebResponse response = WebResponse::json(
        200, compact({{QStringLiteral("status"), 0},
                      {QStringLiteral("message"), QStringLiteral("Logged in")},
                      {QStringLiteral("data"), QJsonObject{{QStringLiteral("csrf"), session.csrf}}}}));
    response.addHeader("Set-Cookie", sessionCookie(id));
    return response;
}

WebResponse WebServer::api(const WebRequest &request)
{
    WebResponse refusal;
    if (!authorized(request, &refusal))
        return refusal;
    static const QHash<QString, QPair<QByteArray, QString>> commands{
        {QStringLiteral("/api/shows"), {"GET", QStringLiteral("list")}},
        {QStringLiteral("/api/status"), {"GET", QStringLiteral("status")}},
        {QStringLiteral("/api/recordings"), {"GET", QStringLiteral("recordings")}},
        {QStringLiteral("/api/shows/edit"), {"POST", QStringLiteral("edit")}},
        {QStringLiteral("/api/shows/remove"), {"POST", QStringLiteral("remove")}},
        {QStringLiteral("/api/record"), {"POST", QStringLiteral("record")}},
        {QStringLiteral("/api/stop"), {"POST", QStringLiteral("stop")}},
    };
    const bool post = request.method == "POST";
    const bool get = request.method == "GET" || request.method == "HEAD";
    QString command;
    if (request.path == QLatin1String("/api/shows") && post)
        command = QStringLiteral("add");
    else if (commands.contains(request.path))
        command = commands.value(request.path).second;
    else if (request.path != QLatin1String("/api/recordings/delete") && request.path != QLatin1String("/api/stations"))
        return refuse(request, 404, QStringLiteral("no such page"));
    QByteArray method = commands.value(request.path).first;
    if (command.isEmpty())
        method = request.path == QLatin1String("/api/stations") ? "GET" : "POST";
    else if (command == QLatin1String("add"))
        method = "POST";
    if ((method == "POST" && !post) || (method == "GET" && !get))
        return refuse(request, 405, QStringLiteral("method not allowed"));
    if (post && !sameOriginOrToken(request))
        return refuse(request, 403, QStringLiteral("no CSRF token"));
    QJsonObject arguments;
    if (post) {
        QJsonParseError error{};
        const QJsonDocument body = QJsonDocument::fromJson(request.body, &error);
        if (!request.body.trimmed().isEmpty() && !body.isObject())
            return refuse(request, 400, QStringLiteral("the body is not a JSON object"));
        arguments = body.object();
    }
    if (request.path == QLatin1String("/api/recordings/delete"))
        return deleteRecording(request);
    if (request.path == QLatin1String("/api/stations"))
        return stations(request);
    const auto reply = control(command, arguments);
    if (!reply)
        return WebResponse::error(503, QStringLiteral("Skywell is closing"));
    QJsonObject data = reply->data;
    if (command == QLatin1String("list"))
        data = withFeedLinks(data);
    static const int kHttpStatus[] = {200, 409, 400};
    return WebResponse::json(kHttpStatus[qBound(0, static_cast<int>(reply->status), 2)],
                             compact({{QStringLiteral("status"), static_cast<int>(reply->status)},
                                      {QStringLiteral("message"), reply->message},
                                      {QStringLiteral("data"), data}}));
}

WebResponse WebServer::stations(const WebRequest &request)
{
    if (!m_stations)
        return WebResponse::error(404, QStringLiteral("The station directory is not available."));
    // Searched here, on the server's thread, one search at a time: a slow
    // directory holds up the page, never the recordings on the main thread.
    QString error;
    const QJsonArray found = m_stations->find(request.queryValue(QStringLiteral("q")).left(200), &error);
    if (!error.isEmpty())
        return WebResponse::error(502, error);
    return WebResponse::json(200,
                             compact({{QStringLiteral("status"), 0},
                                      {QStringLiteral("message"), QString()},
                                      {QStringLiteral("data"), QJsonObject{{QStringLiteral("stations"), found}}}}));
}

} // namespace skywell
