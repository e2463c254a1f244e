#include "recording/freespace.h"

#include "core/settings.h"
#include "recording/mp3settings.h"
#include "recording/wavwriter.h"
#include "shows/show.h"

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace skywell
{

namespace
{

constexpr std::uint64_t kCdBytesPerSecond = 44100 * 4;
constexpr std::uint64_t kDownloadKbits = 128;
constexpr std::uint64_t kMarginBytes = 20 * 1000 * 1000;
constexpr std::uint64_t kMegabyte = 1000 * 1000;

std::uint64_t withMargin(std::uint64_t bytes)
{
    return bytes + bytes / 10 + kMarginBytes;
}

QString shortage(const QString &folder, std::uint64_t needed, std::uint64_t available)
{
    return QStringLiteral("Not enough free space in %1 for this recording: about %2 MB needed, %3 MB free.")
        .arg(folder)
        .arg((needed + kMegabyte - 1) / kMegabyte)
        .arg(available / kMegabyte);
}

} // namespace

std::optional<FolderSpace> systemFreeSpace(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    struct statvfs fs {
    };
    struct stat info {
    };
    if (::statvfs(path.constData(), &fs) != 0 || ::stat(path.constData(), &info) != 0)
        return std::nullopt;
    return FolderSpace{std::uint64_t(fs.f_bavail) * fs.f_frsize, std::uint64_t(info.st_dev)};
}

std::uint64_t recordingBytesPerSecond(std::uint32_t flags)
{
    if (flags & OPT_DIRECT_DOWNLOAD)
        return kDownloadKbits * 1000 / 8;
    if (flags & OUT_NONE)
        return 0;
    const int quality = mp3QualityForFlags(flags);
    if (quality < 0)
        return kCdBytesPerSecond;
    return std::uint64_t(mp3ConfigFor(quality, 44100, 2).bitrate) * 1000 / 8;
}

QString freeSpaceProblem(const Settings &settings, std::uint32_t flags, std::int64_t seconds,
                         std::int64_t splitEverySeconds, const FreeSpaceQuery &query)
{
    const std::uint64_t rate = recordingBytesPerSecond(flags);
    if (rate == 0 || seconds <= 0)
        return QString();
    const std::uint64_t whole = rate * std::uint64_t(seconds);
    std::uint64_t track = splitEverySeconds > 0 ? rate * std::uint64_t(std::min(splitEverySeconds, seconds)) : whole;
    // A WAV track ends at the size its header can state.
    if (mp3QualityForFlags(flags) < 0)
        track = std::min<std::uint64_t>(track, WavWriter::kMaxDataBytes);

    const std::optional<FolderSpace> recordings = query(settings.mp3Folder);
    // A direct download goes straight into the recordings folder.
    const std::optional<FolderSpace> temporary =
        (flags & OPT_DIRECT_DOWNLOAD) ? std::nullopt : query(settings.tempFolder);
    const bool shared = recordings && temporary && recordings->fileSystem == temporary->fileSystem;

    QStringList problems;
    // Nothing can be saved into a folder that is not there.
    const auto missing = [](const QString &folder) {
        return QStringLiteral("The folder %1 is missing or cannot be opened.").arg(folder);
    };
    if (!temporary && !(flags & OPT_DIRECT_DOWNLOAD) && settings.tempFolder != settings.mp3Folder)
        problems << missing(settings.tempFolder);
    if (!recordings)
        problems << missing(settings.mp3Folder);
    if (temporary && !shared && temporary->availableBytes < withMargin(track))
        problems << shortage(settings.tempFolder, withMargin(track), temporary->availableBytes);
    if (recordings && recordings->availableBytes < withMargin(whole))
        problems << shortage(settings.mp3Folder, withMargin(whole), recordings->availableBytes);
    return problems.join(QLatin1Char(' '));
}

} // namespace skywell
