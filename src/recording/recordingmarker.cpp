#include "recording/recordingmarker.h"

#include "core/fdwrite.h"
#include "core/regularfile.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace skywell
{

const QString RecordingMarker::kFileName = QStringLiteral("skywell-recording.json");

namespace
{

// A marker is a few hundred bytes; anything much larger is not one.
constexpr qint64 kMaxMarkerBytes = 64 * 1024;

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

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

bool RecordingMarker::write(const QString &tempFolder, const RecordingMarker &marker)
{
    QJsonObject json;
    json.insert(QStringLiteral("name"), marker.name);
    json.insert(QStringLiteral("flags"), double(marker.flags));
    json.insert(QStringLiteral("track"), marker.trackNumber);
    json.insert(QStringLiteral("start"), double(marker.startTime));
    const QByteArray text = QJsonDocument(json).toJson(QJsonDocument::Compact) + '\n';

    const QByteArray path = QFile::encodeName(tempFolder + kFileName);
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

bool RecordingMarker::clear(const QString &tempFolder)
{
    const QByteArray path = QFile::encodeName(tempFolder + kFileName);
    if (::unlink(path.constData()) != 0 && errno != ENOENT)
        return false;
    syncFolder(tempFolder);
    return true;
}

std::optional<RecordingMarker> RecordingMarker::read(const QString &tempFolder)
{
    const QString path = tempFolder + kFileName;
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
    return marker;
}

} // namespace skywell
