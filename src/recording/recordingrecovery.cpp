#include "recording/recordingrecovery.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/fdwrite.h"
#include "core/filecopy.h"
#include "core/regularfile.h"
#include "core/settings.h"
#include "core/textcut.h"
#include "core/timetext.h"
#include "recording/id3tag.h"
#include "recording/partialtrack.h"
#include "recording/recordingmarker.h"
#include "recording/recordingsession.h"
#include "recording/streamfiles.h"
#include "shows/outputnaming.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace skywell
{

namespace
{

// A track file written before the marker's recording started (by more
// than a clock step) is not part of it.
constexpr std::int64_t kMarkerSlackSeconds = 60;

// The recording's key, letter and slot (1 to 10) of a temporary track
// file, for exactly the names block processing gives its files
// ("skywell-a1.wav" to "skywell-l10.wav", or with a recording's key
// "skywell-<key>-a1.wav"); nothing for any other name.
struct TemporaryTrackName {
    QString key;
    char letter = 'a';
    int slot = 1;
    // An ended track set aside for its delivery ("skywell-<key>-track<N>.wav"):
    // complete, and never the track the marker names.
    bool setAside = false;
};

std::optional<TemporaryTrackName> parseTemporaryTrackName(const QString &fileName)
{
    static const QRegularExpression pattern(
        QStringLiteral("^skywell-(?:([a-z0-9]{1,32})-)?([a-z])([1-9][0-9]?)\\.wav$"));
    static const QRegularExpression aside(QStringLiteral("^skywell-(?:([a-z0-9]{1,32})-)?track([0-9]{1,9})\\.wav$"));
    if (const QRegularExpressionMatch match = aside.match(fileName); match.hasMatch())
        return TemporaryTrackName{match.captured(1), 't', match.captured(2).toInt(), true};
    const QRegularExpressionMatch match = pattern.match(fileName);
    if (!match.hasMatch())
        return std::nullopt;
    const char letter = char(match.captured(2).at(0).unicode());
    const int slot = match.captured(3).toInt();
    if (letter >= 'a' + StreamFiles::kOpenAttempts || slot > RecordingSession::kMaxStreams)
        return std::nullopt;
    return TemporaryTrackName{match.captured(1), letter, slot};
}

// The marker files of recordings ("skywell-recording.json",
// "skywell-recording-<key>.json") or the resume files in the folder, by name.
QStringList filesLike(const QString &folder, const QString &stem)
{
    const QRegularExpression pattern(QStringLiteral("^") + stem + QStringLiteral("(?:-[a-z0-9]{1,32})?\\.json$"));
    QStringList found;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
    for (const QString &name : names)
        if (pattern.match(name).hasMatch())
            found << name;
    return found;
}

struct Leftover {
    QString path;
    TemporaryTrackName name;
    std::int64_t modified = 0;
    PartialTrack track;
};

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

bool exists(const QString &path)
{
    struct stat info {
    };
    return ::lstat(native(path).constData(), &info) == 0;
}

// Renames without ever replacing what is at to; 0 or the error number.
int renameNoReplace(const QString &from, const QString &to)
{
    if (::renameat2(AT_FDCWD, native(from).constData(), AT_FDCWD, native(to).constData(), RENAME_NOREPLACE) == 0)
        return 0;
    const int error = errno;
    // A file system that cannot refuse to replace: look first.
    if (error != EINVAL && error != ENOSYS)
        return error;
    if (exists(to))
        return EEXIST;
    return ::rename(native(from).constData(), native(to).constData()) == 0 ? 0 : errno;
}

// Whether some running program holds the file open for writing: a read
// lease is refused then. Where leases are not available, nobody is assumed.
bool openForWriting(const QString &path)
{
    const int fd = ::open(native(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool busy = ::fcntl(fd, F_SETLEASE, F_RDLCK) != 0 && errno == EAGAIN;
    if (!busy)
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
    ::close(fd);
    return busy;
}

// Copies from into a hidden file in folder, synced to disk; its path, or
// empty with error set.
QString copyInto(const QString &from, const QString &folder, int &error)
{
    const int in = ::open(native(from).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0) {
        error = errno;
        return QString();
    }
    QByteArray copyPath = native(folder) + ".skywell-recovering-XXXXXX";
    const int out = ::mkostemp(copyPath.data(), O_CLOEXEC);
    if (out < 0) {
        error = errno;
        ::close(in);
        return QString();
    }
    // The copy gets the permissions of the file it copies, not mkostemp's 0600.
    struct stat info {
    };
    if (::fstat(in, &info) == 0)
        ::fchmod(out, info.st_mode & 0777);
    error = copyFileContents(in, out);
    if (error == 0 && ::fsync(out) != 0)
        error = errno;
    if (::close(out) != 0 && error == 0)
        error = errno;
    ::close(in);
    if (error != 0) {
        ::unlink(copyPath.constData());
        return QString();
    }
    return QFile::decodeName(copyPath);
}

// Moves from into folder under the first free name that nameFor gives for
// the numbers 1, 2, 3 ... A copy is made first where a rename cannot reach
// (another file system), and the source goes only once the copy has its
// name. The final path, or empty with error set.
template <typename NameFor> QString moveInto(const QString &from, const QString &folder, NameFor nameFor, int &error)
{
    QString source = from;
    QString copy;
    for (int number = 1; number < kMaxNameIndex; ++number) {
        const QString to = folder + nameFor(number);
        error = renameNoReplace(source, to);
        if (error == EEXIST)
            continue;
        if (error == EXDEV && copy.isEmpty()) {
            copy = copyInto(from, folder, error);
            if (copy.isEmpty())
                return QString();
            source = copy;
            --number;
            continue;
        }
        if (error != 0)
            break;
        if (!copy.isEmpty())
            ::unlink(native(from).constData());
        syncFolder(folder);
        return to;
    }
    if (!copy.isEmpty())
        ::unlink(native(copy).constData());
    if (error == 0)
        error = EEXIST;
    return QString();
}

// stem + suffix, the stem shortened where the whole would not fit a file
// name. The stem's last " - " part (the track number) stays.
QString fitName(const QString &stem, const QString &suffix)
{
    QByteArray head = stem.toUtf8();
    const QByteArray end = suffix.toUtf8();
    if (head.size() + end.size() <= kMaxFileNameBytes)
        return stem + suffix;
    const qsizetype mark = head.lastIndexOf(" - ");
    const QByteArray number = mark >= 0 ? head.mid(mark) : QByteArray();
    if (mark >= 0)
        head.truncate(mark);
    const qsizetype room = kMaxFileNameBytes - end.size() - number.size();
    return QString::fromUtf8(cutUtf8(head, std::max<qsizetype>(room, 0)) + number + end);
}

QString extensionOf(const PartialTrack &track)
{
    return partialTrackExtension(track.kind);
}

// The numbers after the first name: " (2)", " (3)" ...
QString numberText(int number)
{
    return number <= 1 ? QString() : QStringLiteral(" (%1)").arg(number);
}

// about(leftover, text): the log line's text, naming the file's recording.
template <typename About> std::vector<Leftover> findLeftovers(const QString &tempFolder, ActivityLog &log, About about)
{
    std::vector<Leftover> found;
    const QStringList names =
        QDir(tempFolder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &fileName : names) {
        const auto name = parseTemporaryTrackName(fileName);
        if (!name)
            continue;
        const QString path = tempFolder + fileName;
        struct stat info {
        };
        // Only a regular file of this user: not a link, not a folder, not a
        // file another user's recording left in a shared folder.
        if (::lstat(native(path).constData(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
            continue;
        Leftover leftover{path, *name, std::int64_t(info.st_mtim.tv_sec), {}};
        if (openForWriting(path)) {
            log.logLine(QStringLiteral("Temporary recording file in use, left alone:"), about(leftover, path));
            continue;
        }
        // Made read-only by a recovery that could not move it: it is ours
        // to mend now.
        if (!(info.st_mode & S_IWUSR))
            ::chmod(native(path).constData(), info.st_mode | S_IWUSR);
        found.push_back(std::move(leftover));
    }
    return found;
}

} // namespace

namespace
{

// The tags the track's writer would have given it.
TagFields recoveredTags(const RecordingMarker &marker, const QString &fileName)
{
    TagFields tags{QFileInfo(fileName).completeBaseName(), marker.name, marker.name, marker.trackNumber,
                   marker.startTime};
    const StationTitleParts station = splitStationTitle(marker.stationTitle);
    if (!station.title.isEmpty())
        tags.title = station.title;
    if (!station.artist.isEmpty())
        tags.artist = station.artist;
    return tags;
}

// The playlist text with the track added, as a delivered track is added.
QString withPlaylistLine(QString text, const QString &path, const QString &stationTitle, double seconds)
{
    const QString separator = QStringLiteral("\r\n");
    const QString header = QStringLiteral("#EXTM3U");
    const QString title = cleanTagText(stationTitle);
    if (!title.isEmpty() && !text.startsWith(header + separator))
        text.prepend(header + separator);
    if (!text.isEmpty() && !text.endsWith(separator))
        text += separator;
    if (!title.isEmpty())
        text += QStringLiteral("#EXTINF:%1,%2").arg(qRound64(seconds)).arg(title) + separator;
    return text + path;
}

// Tracks the playlist text lists.
int playlistEntries(const QString &text)
{
    int entries = 0;
    for (const QString &line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        if (!line.startsWith(QLatin1Char('#')))
            ++entries;
    return entries;
}

// The series of the marker's recording goes on: its playlist is written
// (or rewritten) with what was recovered, and the next recording of the
// same name on the same day is told where to go on.
void keepSeries(const Settings &settings, ActivityLog &log, RecordingMarker marker, std::int64_t when)
{
    const RecordingNaming naming{settings.fileNameFormat, settings.mp3Folder, marker.name, marker.flags,
                                 marker.trackNumber};
    const ManualClock at(when);
    if (playlistEntries(marker.playlistText) > 1) {
        const QString playlist = writePlaylist(naming, marker.playlistText, at, marker.playlistFile);
        if (!playlist.isEmpty()) {
            log.logLine(QStringLiteral("Writing playlist"), playlist);
            marker.playlistFile = playlist;
        }
    }
    marker.seriesName = outputFileName(naming, QStringLiteral("m3u"), -1, at);
    marker.stationTitle.clear();
    RecordingMarker::write(settings.tempFolder, marker, RecordingMarker::resumeFileNameFor(marker.fileKey));
}

// One recording that was under way, found by its marker.
struct Interrupted {
    RecordingMarker marker;
    // The marker with the recovered track added: the series goes on after it.
    RecordingMarker series;
    bool trackRecovered = false;
    std::int64_t seriesTime = 0;
};

std::vector<Interrupted> findInterrupted(const QString &tempFolder, const QStringList &markerFiles, ActivityLog &log,
                                         const Clock &clock)
{
    std::vector<Interrupted> found;
    for (const QString &fileName : markerFiles) {
        const std::optional<RecordingMarker> marker = RecordingMarker::read(tempFolder, fileName);
        if (!marker)
            continue;
        // One recording per key: its files cannot belong to two.
        if (std::any_of(found.begin(), found.end(),
                        [&](const Interrupted &other) { return other.marker.fileKey == marker->fileKey; }))
            continue;
        log.logLine(QStringLiteral("Unfinished recording found:"), marker->name);
        found.push_back({*marker, *marker, false, std::min(marker->startTime, clock.now())});
    }
    return found;
}

} // namespace

QStringList recoverUnfinishedRecordings(const Settings &settings, ActivityLog &log, const Clock &clock)
{
    // Every recording that ran leaves its own marker; its files carry its key.
    const QStringList markerFiles = filesLike(settings.tempFolder, QStringLiteral("skywell-recording"));
    std::vector<Interrupted> interrupted = findInterrupted(settings.tempFolder, markerFiles, log, clock);
    const auto recordingOf = [&interrupted](const Leftover &leftover) -> Interrupted * {
        for (Interrupted &recording : interrupted)
            if (recording.marker.fileKey == leftover.name.key &&
                leftover.modified + kMarkerSlackSeconds >= recording.marker.startTime)
                return &recording;
        return nullptr;
    };
    // Each line about a file names the recording it belongs to, when known.
    const auto about = [&recordingOf](const Leftover &leftover, const QString &text) {
        const Interrupted *recording = recordingOf(leftover);
        return recording ? text + QStringLiteral(" (%1)").arg(recording->marker.name) : text;
    };
    std::vector<Leftover> leftovers = findLeftovers(settings.tempFolder, log, about);

    for (Leftover &leftover : leftovers) {
        leftover.track = completePartialTrack(leftover.path);
        if (leftover.track.kind == PartialTrackKind::Empty && ::unlink(native(leftover.path).constData()) == 0)
            log.logLine(QStringLiteral("Removed temporary recording file without audio:"),
                        about(leftover, leftover.path));
    }
    // The stream with the most audio is the one the track would have
    // delivered: it gets the track's own name.
    std::stable_sort(leftovers.begin(), leftovers.end(),
                     [](const Leftover &a, const Leftover &b) { return a.track.audioBytes > b.track.audioBytes; });

    QStringList recovered;
    for (const Leftover &leftover : leftovers) {
        const PartialTrack &track = leftover.track;
        if (!holdsAudio(track.kind))
            continue;
        if (!track.problem.isEmpty())
            log.logLine(QStringLiteral("Unfinished recording could not be completed:"),
                        about(leftover, leftover.path + QStringLiteral(": ") + track.problem));
        // Named for when it was last written, as a track is named when it
        // ends; a clock set back since then gives no name in the future.
        const std::int64_t when = std::min(leftover.modified, clock.now());
        const QString extension = QLatin1Char('.') + extensionOf(track);
        Interrupted *recording = recordingOf(leftover);
        // The best stream of the marker's track is the track itself.
        const bool theTrack = recording && !recording->trackRecovered && !leftover.name.setAside;
        QString stem;
        QString trackName;
        if (recording) {
            const RecordingMarker &marker = recording->marker;
            const RecordingNaming naming{settings.fileNameFormat, settings.mp3Folder, marker.name, marker.flags,
                                         marker.trackNumber};
            const ManualClock at(when);
            trackName = outputFileName(naming, extensionOf(track), marker.seriesIndex, at);
            stem = outputFileName(naming, extensionOf(track), 0, at);
            stem.chop(extension.size());
            stem += QStringLiteral(" (recovered)");
        } else {
            stem =
                QStringLiteral("Recovered recording %1 %2%3")
                    .arg(formatTimeText(QStringLiteral("%Y-%m-%d %H.%M.%S"), when))
                    .arg(leftover.name.setAside ? QStringLiteral("track") : QString(QLatin1Char(leftover.name.letter)))
                    .arg(leftover.name.slot);
        }
        // The track's own name when it is free; otherwise, and for the
        // other streams, the stem with " (recovered)" and a number.
        const int shift = theTrack ? 1 : 0;
        const auto nameFor = [&](int number) {
            return theTrack && number == 1 ? trackName : fitName(stem, numberText(number - shift) + extension);
        };
        // Ogg files carry the tags they were written with.
        const bool id3 = track.kind == PartialTrackKind::Mp3 || track.kind == PartialTrackKind::Aac;
        if (theTrack && id3 && track.problem.isEmpty() &&
            !tagCompletedMp3(leftover.path, recoveredTags(recording->marker, trackName)))
            log.logLine(QStringLiteral("Could not tag the recovered recording:"), about(leftover, leftover.path));

        int error = 0;
        QString path = moveInto(leftover.path, settings.mp3Folder, nameFor, error);
        if (path.isEmpty()) {
            log.logLine(QStringLiteral("Could not move recovered recording into the recordings folder:"),
                        about(leftover, settings.mp3Folder + QStringLiteral(": ") + systemErrorText(error)));
            // Out of the next recording's way at least.
            path = moveInto(leftover.path, settings.tempFolder, nameFor, error);
        }
        if (path.isEmpty()) {
            log.logLine(QStringLiteral("Could not recover unfinished recording:"),
                        about(leftover, leftover.path + QStringLiteral(": ") + systemErrorText(error)));
            // Read-only, the next recording cannot open it and takes the
            // next letter instead.
            ::chmod(native(leftover.path).constData(), S_IRUSR | S_IRGRP | S_IROTH);
            continue;
        }
        log.logLine(QStringLiteral("Recovered unfinished recording:"), about(leftover, path));
        recovered << path;
        if (theTrack) {
            RecordingMarker &series = recording->series;
            recording->trackRecovered = true;
            recording->seriesTime = when;
            series.playlistText =
                withPlaylistLine(series.playlistText, path, recording->marker.stationTitle, track.seconds);
            ++series.trackNumber;
        }
    }
    for (const QString &fileName : markerFiles)
        RecordingMarker::clear(settings.tempFolder, fileName);
    for (const Interrupted &recording : interrupted)
        keepSeries(settings, log, recording.series, recording.seriesTime);
    return recovered;
}

bool continueInterruptedSeries(const Settings &settings, RecordingSession &session, ActivityLog &log,
                               const Clock &clock)
{
    // Each interrupted recording left its own resume file. The one of this
    // name and day goes on (of two, the later); one of an earlier day is
    // done and goes.
    std::optional<RecordingMarker> resume;
    QString resumeFile;
    for (const QString &fileName : filesLike(settings.tempFolder, QStringLiteral("skywell-resume"))) {
        const std::optional<RecordingMarker> found = RecordingMarker::read(settings.tempFolder, fileName);
        if (!found)
            continue;
        const RecordingNaming naming{settings.fileNameFormat, settings.mp3Folder, found->name, found->flags, 1};
        if (outputFileName(naming, QStringLiteral("m3u"), -1, clock) != found->seriesName) {
            RecordingMarker::clear(settings.tempFolder, fileName);
            continue;
        }
        if (found->name == session.name && (!resume || found->startTime > resume->startTime)) {
            resume = found;
            resumeFile = fileName;
        }
    }
    if (!resume)
        return false;
    RecordingMarker::clear(settings.tempFolder, resumeFile);
    session.trackNumber = resume->trackNumber;
    session.playlistText = resume->playlistText;
    session.seriesIndex = resume->seriesIndex;
    session.playlistFile = resume->playlistFile;
    log.logLine(QStringLiteral("Continuing the interrupted recording at track %1:").arg(resume->trackNumber),
                session.name);
    return true;
}

} // namespace skywell
