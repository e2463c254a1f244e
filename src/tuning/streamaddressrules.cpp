#include "tuning/streamaddressrules.h"

#include <QUrl>

namespace skywell
{

namespace
{

const char *const kPlaylists[] = {"m3u", "m3u8", "pls", "asx", "xspf", "ram", "wax"};
const char *const kAudio[] = {"mp3", "aac", "aacp", "ogg", "oga", "opus", "flac", "m4a", "wav", "wma", "mp2"};
const char *const kNotAudio[] = {"html", "htm",  "php", "asp", "aspx", "js",  "css",  "json",  "png",
                                 "jpg",  "jpeg", "gif", "svg", "webp", "ico", "woff", "woff2", "xml"};

bool listed(const QString &extension, const char *const *begin, const char *const *end)
{
    for (const char *const *item = begin; item != end; ++item) {
        if (extension == QLatin1String(*item))
            return true;
    }
    return false;
}

} // namespace

StreamAddressKind streamAddressKind(const QString &address)
{
    const QUrl url(address);
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        return StreamAddressKind::NotAudio;
    const QString path = url.path();
    const QString last = path.section(QLatin1Char('/'), -1);
    const qsizetype dot = last.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : last.mid(dot + 1).toLower();
    if (listed(extension, std::begin(kPlaylists), std::end(kPlaylists)))
        return StreamAddressKind::Playlist;
    if (listed(extension, std::begin(kAudio), std::end(kAudio)))
        return StreamAddressKind::AudioFile;
    if (listed(extension, std::begin(kNotAudio), std::end(kNotAudio)))
        return StreamAddressKind::NotAudio;
    return StreamAddressKind::Unknown;
}

bool isAudioContentType(const QByteArray &contentType)
{
    const QByteArray type = contentType.split(';').first().trimmed().toLower();
    return type.startsWith("audio/") || type == "application/ogg" || type == "application/vnd.apple.mpegurl" ||
           type == "application/x-mpegurl" || type == "application/pls+xml";
}

} // namespace skywell
