// The web server's files: recordings (whole or in byte ranges), their
// deletion, and the podcast feeds that list them.
#include "web/webserver.h"

#include "control/controlservice.h"
#include "core/activitylog.h"
#include "web/podcastfeed.h"
#include "web/recordingsfolder.h"
#include "web/webpassword.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QUrl>

#include <unistd.h>

namespace skywell
{

namespace
{

const QString kAllFeed = QStringLiteral("all");

QString encoded(const QString &name)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(name));
}

QString feedTokenSubject(const QString &show)
{
    return QStringLiteral("feed:") + show;
}

QString fileTokenSubject(const QString &file)
{
    return QStringLiteral("file:") + file;
}

} // namespace

QString WebServer::baseUrl(const WebRequest &request) const
{
    // The address the client used, so a podcast app elsewhere on the
    // network gets links it can reach; anything odd in it is not echoed.
    static const QRegularExpression hostPattern(
        QStringLiteral("^[A-Za-z0-9.\\-]+(:[0-9]{1,5})?$|^\\[[0-9A-Fa-f:.]+\\](:[0-9]{1,5})?$"));
    const QString host = QString::fromLatin1(request.header("host"));
    return QStringLiteral("http://") + (hostPattern.match(host).hasMatch() ? host : m_address.text());
}

QString WebServer::feedPath(const QString &show) const
{
    const QString path = QStringLiteral("/feed/") + encoded(show) + QStringLiteral(".xml");
    if (!passwordSet())
        return path;
    return path + QStringLiteral("?token=") + WebPassword::token(m_passwordHash, feedTokenSubject(show));
}

QJsonObject WebServer::withFeedLinks(QJsonObject data) const
{
    QJsonArray shows = data.value(QStringLiteral("shows")).toArray();
    for (auto entry : shows) {
        QJsonObject show = entry.toObject();
        show.insert(QStringLiteral("feed"), feedPath(show.value(QStringLiteral("name")).toString()));
        entry = show;
    }
    data.insert(QStringLiteral("shows"), shows);
    data.insert(QStringLiteral("feed"), feedPath(kAllFeed));
    return data;
}

WebResponse WebServer::feed(const WebRequest &request, const QString &name)
{
    if (passwordSet() && !WebPassword::tokenMatches(m_passwordHash, feedTokenSubject(name),
                                                    request.queryValue(QStringLiteral("token")))) {
        WebResponse refusal;
        if (!authorized(request, &refusal))
            return refusal;
    }
    const auto reply = control(QStringLiteral("recordings"), {});
    if (!reply)
        return WebResponse::error(503, QStringLiteral("Skywell is closing"));
    const QJsonArray recordings = reply->data.value(QStringLiteral("recordings")).toArray();
    const bool all = name == kAllFeed;
    if (!all) {
        // A feed for a Show that exists, even before its first recording.
        const auto list = control(QStringLiteral("list"), {});
        bool known = false;
        for (const auto &show : list ? list->data.value(QStringLiteral("shows")).toArray() : QJsonArray())
            known = known || show.toObject().value(QStringLiteral("name")).toString() == name;
        if (!known)
            return refuse(request, 404, QStringLiteral("no such Show"));
    }
    const RecordingsFolder folder(m_recordingsFolder);
    const QString base = baseUrl(request);
    QList<FeedItem> items;
    for (const auto &entry : recordings) {
        const QJsonObject recording = entry.toObject();
        FeedItem item;
        item.file = recording.value(QStringLiteral("file")).toString();
        item.show = recording.value(QStringLiteral("show")).toString();
        if (!all && item.show != name)
            continue;
        // The true length of the file as it will be served.
        const int fd = folder.open(item.file, &item.bytes);
        if (fd < 0)
            continue;
        ::close(fd);
        item.date = QDateTime::fromString(recording.value(QStringLiteral("date")).toString(), Qt::ISODate);
        item.seconds = recording.value(QStringLiteral("seconds")).toInteger();
        item.mimeType = RecordingsFolder::mimeType(item.file);
        item.url = base + QStringLiteral("/recordings/") + encoded(item.file);
        if (passwordSet())
            item.url += QStringLiteral("?token=") + WebPassword::token(m_passwordHash, fileTokenSubject(item.file));
        items.append(item);
    }
    WebResponse response;
    response.contentType = "application/rss+xml; charset=utf-8";
    response.body = podcastFeed(all ? QStringLiteral("Skywell recordings") : name, base + QLatin1Char('/'), items);
    return response;
}

WebResponse WebServer::recording(const WebRequest &request, const QString &name)
{
    if (!passwordSet() || !WebPassword::tokenMatches(m_passwordHash, fileTokenSubject(name),
                                                     request.queryValue(QStringLiteral("token")))) {
        WebResponse refusal;
        if (!authorized(request, &refusal))
            return refusal;
    }
    qint64 size = 0;
    const int fd = RecordingsFolder(m_recordingsFolder).open(name, &size);
    if (fd < 0)
        return refuse(request, 404, QStringLiteral("not a recording"));
    const ByteRange range = parseByteRange(request.header("range"), size);
    WebResponse response;
    response.contentType = RecordingsFolder::mimeType(name);
    response.addHeader("Accept-Ranges", "bytes");
    if (range.kind == ByteRange::Unsatisfiable) {
        ::close(fd);
        response.status = 416;
        response.addHeader("Content-Range", "bytes */" + QByteArray::number(size));
        return response;
    }
    response.fileDescriptor = fd;
    response.fileOffset = range.offset;
    response.fileLength = range.length;
    if (range.kind == ByteRange::Part) {
        response.status = 206;
        const QByteArray contentRange = "bytes " + QByteArray::number(range.offset) + '-' +
                                        QByteArray::number(range.offset + range.length - 1) + '/' +
                                        QByteArray::number(size);
        response.addHeader("Content-Range", contentRange);
    }
    return response;
}

WebResponse WebServer::deleteRecording(const WebRequest &request)
{
    const QString file = QJsonDocument::fromJson(request.body).object().value(QStringLiteral("file")).toString();
    if (!RecordingsFolder(m_recordingsFolder).remove(file))
        return refuse(request, 404, QStringLiteral("not a recording"));
    m_log.logLine(QStringLiteral("Recording deleted from the web page:"), file);
    return WebResponse::json(
        200, QJsonDocument(QJsonObject{{QStringLiteral("status"), 0},
                                       {QStringLiteral("message"), QStringLiteral("Deleted %1").arg(file)},
                                       {QStringLiteral("data"), QJsonObject()}})
                 .toJson(QJsonDocument::Compact));
}

} // namespace skywell
