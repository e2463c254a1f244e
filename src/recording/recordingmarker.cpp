#include "recording/recordingmarker.h"

#include "core/fdwrite.h"
#include "core/regularfile.h"
#include "recording/recordingsession.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace skywell
{

const QString RecordingMarker::kFileName = QStringLiteral("skywell-recording.json");
const QString RecordingMarker::kResumeFileName = QStringLiteral("skywell-resume.json");

QString RecordingMarker::fileNameFor(const QString &fileKey)
{
    return fileKey.isEmpty() ? kFileName : QStringLiteral("skywell-recording-%1.json").arg(fileKey);
}

QString RecordingMarker::resumeFileNameFor(const QString &fileKey)
{
    return fileKey.isEmpty() ? kResumeFileName : QStringLiteral("skywell-resume-%1.json").arg(fileKey);
}

namespace
{

// A marker is a few hundred bytes and the playlist of a long recording's
// tracks; anything much larger is not one.
constexpr qint64 kMaxMarkerBytes = 4 * 1024 * 1024;

// A whole number held exactly by a JSON value, within the given range.
std::optional<std::int64_t> wholeNumber(const QJsonValue &value, std::int64_t low, std::int64_t high)
{
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (!(d >= double(low) && d <= double(high)) || d != double(std::int64_t(d)))
        return std::nullopt;
    return std::int64_t(d);
}

} // namespace

RecordingMarker RecordingMarker::of(const RecordingSession &s, std::int64_t startTime)
{
    RecordingMarker marker{s.name, s.flags, s.trackNumber, startTime};
    marker.stationTitle = s.stationTitle;
    marker.playlistText = s.playlistText;
    marker.seriesIndex = s.seriesIndex;
    marker.playlistFile = s.playlistFile;
    marker.fileKey = s.fileKey;
    return marker;
}

bool RecordingMarker::write(const QString &tempFolder, const RecordingMarker &marker, const QString &fileName)
{
    QJsonObject json;
    json.insert(QStringLiteral("name"), marker.name);
    json.insert(QStringLiteral("flags"), double(marker.flags));
    json.insert(QStringLiteral("track"), marker.trackNumber);
    json.insert(QStringLiteral("start"), double(marker.startTime));
    if (!marker.stationTitle.isEmpty())
        json.insert(QStringLiteral("title"), marker.stationTitle);
    if (!marker.playlistText.isEmpty())
        json.insert(QStringLiteral("playlist"), marker.playlistText);
    if (marker.seriesIndex != 0)
        json.insert(QStringLiteral("series"), marker.seriesIndex);
    if (!marker.playlistFile.isEmpty())
        json.insert(QStringLiteral("playlistFile"), marker.playlistFile);
    if (!marker.seriesName.isEmpty())
        json.insert(QStringLiteral("seriesName"), marker.seriesName);
    if (!marker.fileKey.isEmpty())
        json.insert(QStringLiteral("key"), marker.fileKey);
    const QByteArray text = QJsonDocument(json).toJson(QJsonDocument::Compact) + '\n';

    const QByteArray path = QFile::encodeName(tempFolder + fileName);
    const QByteArray part = path + ".part";
    const int fd = ::open(part.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = writeFully(fd, text.constData(), std::size_t(text.size())) == 0;
    // Synced before the rename: after a power cut the marker is either the
    // old one or the new one, never an empty file.
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(part.constData(), path.constData()) == 0) {
        syncFolder(tempFolder);
        return true;
    }
    ::unlink(part.constData());
    return false;
}

bool RecordingMarker::clear(const QString &tempFolder, const QString &fileName)
{
    const QByteArray path = QFile::encodeName(tempFolder + fileName);
    if (::unlink(path.constData()) != 0 && errno != ENOENT)
        return false;
    syncFolder(tempFolder);
    return true;
}

std::optional<RecordingMarker> RecordingMarker::read(const QString &tempFolder, const QString &fileName)
{
    const QString path = tempFolder + fileName;
    struct stat link {
    };
    // Only a file of our own, not a link planted in its place.
    if (::lstat(QFile::encodeName(path).constData(), &link) != 0 || !S_ISREG(link.st_mode))
        return std::nullopt;
    RegularFile file(path);
    QByteArray text;
    if (!file.isOpen() || file.size() > kMaxMarkerBytes || !file.read(kMaxMarkerBytes, &text))
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject json = document.object();
    const QJsonValue name = json.value(QStringLiteral("name"));
    const auto flags = wholeNumber(json.value(QStringLiteral("flags")), 0, std::numeric_limits<std::uint32_t>::max());
    const auto track = wholeNumber(json.value(QStringLiteral("track")), 1, std::numeric_limits<std::int32_t>::max());
    const auto start = wholeNumber(json.value(QStringLiteral("start")), 0, std::int64_t(1) << 40);
    if (!name.isString() || !flags || !track || !start)
        return std::nullopt;
    RecordingMarker marker;
    marker.name = name.toString();
    marker.flags = std::uint32_t(*flags);
    marker.trackNumber = std::int32_t(*track);
    marker.startTime = *start;
    // Added later: a marker without them is still whole. One of another
    // type is not a marker of ours.
    const auto textField = [&json](const char *key, QString &into) {
        const QJsonValue value = json.value(QLatin1String(key));
        if (value.isString())
            into = value.toString();
        return value.isUndefined() || value.isString();
    };
    const QJsonValue series = json.value(QStringLiteral("series"));
    const auto seriesIndex = wholeNumber(series, 0, std::numeric_limits<std::int32_t>::max());
    if (!series.isUndefined() && !seriesIndex)
        return std::nullopt;
    marker.seriesIndex = std::int32_t(seriesIndex.value_or(0));
    if (!textField("title", marker.stationTitle) || !textField("playlist", marker.playlistText) ||
        !textField("playlistFile", marker.playlistFile) || !textField("seriesName", marker.seriesName) ||
        !textField("key", marker.fileKey))
        return std::nullopt;
    // The key becomes part of file names: only the letters and digits a
    // recording's key is made of.
    static const QRegularExpression keyPattern(QStringLiteral("^[a-z0-9]{0,32}$"));
    if (!keyPattern.match(marker.fileKey).hasMatch())
        return std::nullopt;
    return marker;
}

} // namespace skywell
