#pragma once

#include "web/httpdaemon.h"
#include "web/websessions.h"

#include <QHash>
#include <QObject>

#include <atomic>
#include <functional>
#include <optional>

namespace skywell
{

class ActivityLog;
class ControlService;
class StationFinder;
struct ControlReply;

// The local web page and its JSON API, the podcast feeds and the
// recordings, served to browsers and podcast apps. Requests arrive on the
// HTTP server's thread; whatever touches the running instance (Shows,
// recordings, status) is handed to this object's thread, the main thread,
// and answered there through the ControlService.
class WebServer final : public QObject, private HttpHandler
{
    Q_OBJECT
public:
    WebServer(ControlService &control, ActivityLog &log, QObject *parent = nullptr);
    ~WebServer() override;

    // Set before start().
    void setRecordingsFolder(const QString &folder) { m_recordingsFolder = folder; }
    // The stored "WebPassword" (hashed); empty: no password.
    void setPasswordHash(const QString &hash) { m_passwordHash = hash; }
    void setStationFinder(StationFinder *finder) { m_stations = finder; }

    // Starts serving; returns why it cannot, or empty.
    QString start(const WebAddress &address);
    // Ends every connection and the server's thread.
    void stop();
    quint16 port() const { return m_daemon.port(); }

private:
    WebResponse handle(const WebRequest &request) override;
    void refused(const WebRequest &request, int status, const QString &reason) override;
    void serverMessage(const QString &message) override;

    WebResponse route(const WebRequest &request);
    WebResponse session(const WebRequest &request);
    WebResponse login(const WebRequest &request);
    WebResponse api(const WebRequest &request);
    WebResponse feed(const WebRequest &request, const QString &name);
    WebResponse recording(const WebRequest &request, const QString &name);
    WebResponse deleteRecording(const WebRequest &request);
    WebResponse stations(const WebRequest &request);
    WebResponse refuse(const WebRequest &request, int status, const QString &reason);
    // The Show list with each Show's feed address, and that of all recordings.
    QJsonObject withFeedLinks(QJsonObject data) const;
    QString feedPath(const QString &show) const;

    bool passwordSet() const { return !m_passwordHash.isEmpty(); }
    bool authorized(const WebRequest &request, WebResponse *refusal);
    bool sameOriginOrToken(const WebRequest &request);
    QString baseUrl(const WebRequest &request) const;
    std::optional<ControlReply> control(const QString &command, const QJsonObject &arguments);
    // Runs work on the main thread and waits for it; empty when the server
    // stops meanwhile.
    std::optional<QJsonObject> onMainThread(std::function<QJsonObject()> work);

    ControlService &m_control;
    ActivityLog &m_log;
    StationFinder *m_stations = nullptr;
    QString m_recordingsFolder;
    QString m_passwordHash;
    WebAddress m_address;
    QHash<QString, QPair<QByteArray, QByteArray>> m_page; // path -> type, content
    WebSessions m_sessions;
    std::atomic<bool> m_stopping{false};
    HttpDaemon m_daemon{*this};
};

} // namespace skywell
