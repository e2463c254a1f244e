#include "platform/streamplaylist.h"

#include <QList>
#include <QUrl>

#include <map>

namespace skywell
{

namespace
{
QString pathOf(const QString &address)
{
    const QUrl url(address);
    return (url.isValid() && !url.scheme().isEmpty() ? url.path() : address).toLower();
}

// Text in any 8-bit encoding: no NULs and no control bytes but line ends
// and tabs (audio data has plenty of both within its first bytes).
bool isText(QByteArrayView content)
{
    for (const char c : content) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n' && byte != '\f')
            return false;
    }
    return true;
}

QByteArrayView trimmedStart(QByteArrayView content)
{
    if (content.startsWith("\xEF\xBB\xBF"))
        content = content.sliced(3);
    while (!content.isEmpty() &&
           (content.front() == ' ' || content.front() == '\t' || content.front() == '\r' || content.front() == '\n'))
        content = content.sliced(1);
    return content;
}

// An entry as an absolute address we are willing to open, or "".
QString acceptEntry(const QString &entry, const QString &base)
{
    const QUrl baseUrl(base.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(base) : QUrl(base));
    const QUrl url = baseUrl.resolved(QUrl(entry.trimmed()));
    const QString scheme = url.scheme().toLower();
    if ((scheme == QLatin1String("http") || scheme == QLatin1String("https")) && url.isValid() && !url.host().isEmpty())
        return url.toString(QUrl::FullyEncoded);
    if (scheme == QLatin1String("file") && baseUrl.isLocalFile())
        return url.toLocalFile();
    return {};
}

QList<QByteArrayView> linesOf(QByteArrayView content)
{
    QList<QByteArrayView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= content.size(); ++i) {
        if (i == content.size() || content[i] == '\n' || content[i] == '\r') {
            const QByteArrayView line = content.sliced(start, i - start).trimmed();
            if (!line.isEmpty())
                lines.append(line);
            start = i + 1;
        }
    }
    return lines;
}
} // namespace

bool namesPlaylist(const QString &address)
{
    const QString path = pathOf(address);
    return path.endsWith(QLatin1String(".pls")) || path.endsWith(QLatin1String(".m3u"));
}

PlaylistKind playlistKind(QByteArrayView content, QByteArrayView mimeType, const QString &address)
{
    if (!isText(content))
        return PlaylistKind::NotPlaylist;
    const QByteArrayView text = trimmedStart(content);
    if (text.first(qMin<qsizetype>(10, text.size())).compare("[playlist]", Qt::CaseInsensitive) == 0)
        return PlaylistKind::Pls;
    if (text.startsWith("#EXTM3U") || text.startsWith("#EXTINF")) {
        for (const char *tag : {"#EXT-X-TARGETDURATION", "#EXT-X-STREAM-INF", "#EXT-X-MEDIA-SEQUENCE"})
            if (text.contains(tag))
                return PlaylistKind::Hls;
        return PlaylistKind::M3u;
    }
    const QByteArray mime = mimeType.toByteArray().toLower();
    if (mime.contains("scpls") || mime.contains("pls+xml"))
        return PlaylistKind::Pls;
    if (mime.contains("mpegurl"))
        return PlaylistKind::M3u;
    if (namesPlaylist(address))
        return pathOf(address).endsWith(QLatin1String(".pls")) ? PlaylistKind::Pls : PlaylistKind::M3u;
    return PlaylistKind::NotPlaylist;
}

QStringList playlistEntries(QByteArrayView content, PlaylistKind kind, const QString &base)
{
    const QList<QByteArrayView> lines = linesOf(trimmedStart(content));
    QStringList raw;
    if (kind == PlaylistKind::Pls) {
        // File1=, File2= …, by their numbers whatever the lines' order.
        std::map<int, QString> files;
        for (QByteArrayView line : lines) {
            const qsizetype eq = line.indexOf('=');
            if (eq < 5 || line.first(4).compare("file", Qt::CaseInsensitive) != 0)
                continue;
            bool ok = false;
            const int number = QString::fromLatin1(line.sliced(4, eq - 4)).toInt(&ok);
            if (ok)
                files.emplace(number, QString::fromUtf8(line.sliced(eq + 1)));
        }
        for (const auto &[number, entry] : files)
            raw << entry;
    } else if (kind == PlaylistKind::M3u) {
        for (QByteArrayView line : lines)
            if (!line.startsWith('#'))
                raw << QString::fromUtf8(line);
    }
    QStringList entries;
    for (const QString &entry : std::as_const(raw)) {
        const QString accepted = acceptEntry(entry, base);
        if (!accepted.isEmpty() && !entries.contains(accepted))
            entries << accepted;
    }
    return entries;
}

} // namespace skywell
