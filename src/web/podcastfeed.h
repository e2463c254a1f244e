#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace skywell
{

// One recording as a podcast episode.
struct FeedItem {
    QString file;
    QString show;
    QDateTime date;
    qint64 bytes = 0; // the file's true length
    qint64 seconds = 0;
    QByteArray mimeType;
    QString url; // where the enclosure downloads from
};

// An RSS 2.0 feed with the iTunes podcast tags, one <item> per recording
// (title, pubDate, guid, enclosure, itunes:duration); every text escaped.
QByteArray podcastFeed(const QString &title, const QString &link, const QList<FeedItem> &items);

} // namespace skywell
