#include "recording/trackdelivery.h"

#include "core/activitylog.h"
#include "core/filecopy.h"
#include "core/settings.h"
#include "postprocess/musiclibrary.h"
#include "recording/id3tag.h"
#include "recording/partialtrack.h"
#include "recording/recordingsession.h"
#include "shows/show.h"

#include <QFileInfo>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace skywell
{

namespace
{

std::filesystem::path fsPath(const QString &path)
{
    return std::filesystem::path(path.toStdString());
}

// Adds a delivered track to the session's playlist text.
void addToPlaylist(RecordingSession &session, const EndedTrack &track, const QString &path)
{
    const QString separator = QStringLiteral("\r\n");
    const QString header = QStringLiteral("#EXTM3U");
    const QString stationTitle = cleanTagText(track.stationTitle);
    // The extended form, once any track has a title to show.
    if (!stationTitle.isEmpty() && !session.playlistText.startsWith(header + separator))
        session.playlistText.prepend(header + separator);
    if (!session.playlistText.isEmpty() && !session.playlistText.endsWith(separator))
        session.playlistText += separator;
    if (!stationTitle.isEmpty())
        session.playlistText += QStringLiteral("#EXTINF:%1,%2").arg(track.trackMs / 1000).arg(stationTitle) + separator;
    session.playlistText += path;
}

} // namespace

TrackDelivery::TrackDelivery(const Settings &settings, ActivityLog &log, CustomConversion custom, CdBurn burn,
                             MusicLibrary *library)
    : m_settings(settings), m_log(log), m_custom(std::move(custom)), m_burn(std::move(burn)), m_library(library)
{
}

QString TrackDelivery::outputPrefix(const QString &fileName)
{
    return QFileInfo(fileName).completeBaseName();
}

EndedTrack TrackDelivery::setAside(const RecordingSession &session, int bestSlot, const QString &fileName, int serial)
{
    const StreamSlot &slot = session.streams.at(static_cast<std::size_t>(bestSlot));
    EndedTrack track{tempFileName(session.fileKey, bestSlot, slot.letter), fileName, session.stationTitle,
                     session.trackMs, slot.writeFailed};
    const QString key = session.fileKey.isEmpty() ? QString() : session.fileKey + QLatin1Char('-');
    const QString aside = QStringLiteral("skywell-%1track%2.wav").arg(key).arg(serial);
    std::error_code ec;
    const std::filesystem::path from = fsPath(m_settings.tempFolder + track.tempName);
    if (!std::filesystem::is_regular_file(from, ec))
        return track;
    std::filesystem::rename(from, fsPath(m_settings.tempFolder + aside), ec);
    if (ec)
        m_log.logLine(QStringLiteral("Could not set the track aside for its delivery:"),
                      track.tempName + QStringLiteral(": ") + QString::fromStdString(ec.message()));
    else
        track.tempName = aside;
    return track;
}

void TrackDelivery::saveTrack(RecordingSession &session, const EndedTrack &track, std::function<void(bool)> done)
{
    const QString tempPath = m_settings.tempFolder + track.tempName;

    if (session.flags & OUT_CUSTOM) {
        if (!m_custom) {
            customFinished(session, track, false);
            done(false);
            return;
        }
        m_custom(track.tempName, outputPrefix(track.fileName),
                 [this, &session, track, done = std::move(done)](bool converted) {
                     customFinished(session, track, converted);
                     done(converted);
                 });
        return;
    }

    const QString destination = m_settings.mp3Folder + track.fileName;
    QString error;
    if (!moveIntoPlace(tempPath, destination, error)) {
        m_log.logLine(QStringLiteral("Could not save recording"), destination + QStringLiteral(": ") + error);
        const QString kept = keepTemporaryFile(tempPath, track.fileName);
        QString text = QStringLiteral("Could not save recording %1: %2").arg(destination, error);
        if (!kept.isEmpty())
            text += QStringLiteral(". It was kept as %1").arg(kept);
        session.addOutcome(text);
        done(false);
        return;
    }
    m_log.logLine(QStringLiteral("Writing recording"), destination);
    if (track.writeFailed)
        session.addOutcome(QStringLiteral("Some audio could not be written to %1").arg(destination));
    if (session.flags & (OUT_AUDIO_CD | OPT_ITUNES | OUT_MP3_CD))
        session.savedFiles << destination;
    addToPlaylist(session, track, destination);
    session.lastTrackPath = destination;
    done(true);
}

void TrackDelivery::customFinished(RecordingSession &session, const EndedTrack &track, bool converted)
{
    const QString tempPath = m_settings.tempFolder + track.tempName;
    std::error_code ignored;
    if (converted) {
        // The script has made what it makes of the file.
        std::filesystem::remove(fsPath(tempPath), ignored);
        return;
    }
    // The script did not finish its work: the recording stays with us.
    const QString kept = keepTemporaryFile(tempPath, track.fileName);
    if (!kept.isEmpty())
        session.addOutcome(QStringLiteral("Custom WAV Conversion failed. The recording was kept as %1").arg(kept));
    else
        session.addOutcome(QStringLiteral("Custom WAV Conversion failed"));
}

bool TrackDelivery::joinLastTrack(RecordingSession &session, const EndedTrack &track)
{
    const QString tempPath = m_settings.tempFolder + track.tempName;
    if (session.lastTrackPath.isEmpty() || !appendTrackAudio(tempPath, session.lastTrackPath))
        return false;
    std::error_code ignored;
    std::filesystem::remove(fsPath(tempPath), ignored);
    m_log.logLine(QStringLiteral("The last piece joins the track before it:"), session.lastTrackPath);
    return true;
}

// A rename where both folders share a file system (instant, nothing to
// lose); otherwise a copy beside the destination renamed over it, so an
// existing file is only replaced by a complete one.
bool TrackDelivery::moveIntoPlace(const QString &source, const QString &destination, QString &error)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fsPath(source), ec)) {
        error = QStringLiteral("no audio file was written");
        return false;
    }
    std::filesystem::rename(fsPath(source), fsPath(destination), ec);
    if (!ec)
        return true;
    if (ec != std::errc::cross_device_link) {
        error = QString::fromStdString(ec.message());
        return false;
    }
    // The real reason a copy fails (a full disk, not an I/O error).
    if (const int copyError = copyFileReplacing(source, destination)) {
        error = QString::fromLocal8Bit(std::strerror(copyError));
        return false;
    }
    return true;
}

// Renames the temporary file to the track's name in the temporary folder,
// out of the way of the next track's temporary files. Empty when there is
// nothing to keep.
QString TrackDelivery::keepTemporaryFile(const QString &tempPath, const QString &fileName)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fsPath(tempPath), ec))
        return QString();
    const QFileInfo info(fileName);
    const QString suffix = tempPath.section(QLatin1Char('.'), -1);
    QString kept = m_settings.tempFolder + info.completeBaseName() + QLatin1Char('.') + suffix;
    for (int n = 2; std::filesystem::exists(fsPath(kept), ec) && n < 1000; ++n)
        kept = m_settings.tempFolder + QStringLiteral("%1(%2).%3").arg(info.completeBaseName()).arg(n).arg(suffix);
    std::filesystem::rename(fsPath(tempPath), fsPath(kept), ec);
    if (ec)
        return QString();
    m_log.logLine(QStringLiteral("Recording kept in the temporary folder:"), kept);
    return kept;
}

void TrackDelivery::finishRecording(RecordingSession &session, std::function<void()> done)
{
    if (session.trackNumber <= 0) {
        done();
        return;
    }
    auto library = [this, &session, done = std::move(done)] {
        if (session.flags & OPT_ITUNES)
            addToMusicLibrary(session);
        done();
    };
    // Tracks that could not be saved are already in the report; an empty
    // list would only make the CD writer fail.
    if (!(session.flags & (OUT_AUDIO_CD | OUT_MP3_CD)) || session.savedFiles.isEmpty()) {
        library();
        return;
    }
    const auto burned = [this, &session, library](bool ok, const QString &text) {
        if (ok) {
            m_log.logLine(QStringLiteral("CD created successfully"));
        } else {
            // A failure without a text from the CD writer is still a failure.
            const QString result = text.isEmpty() ? QStringLiteral("CD Burner failed") : text;
            session.addOutcome(result);
            m_log.logLine(QStringLiteral("Error writing to CD:"), result);
        }
        library();
    };
    if (!m_burn) {
        burned(false, QString());
        return;
    }
    m_burn(session.savedFiles.join(QLatin1Char('?')), !(session.flags & OUT_AUDIO_CD), burned);
}

void TrackDelivery::addToMusicLibrary(RecordingSession &session)
{
    m_log.logLine(QStringLiteral("Adding tracks to the music library (MPD)"));
    if (!m_library || !m_library->openMusicLibrary()) {
        m_log.logLine(QStringLiteral("Unable to reach the music library (MPD)"));
        session.addOutcome(QStringLiteral("Unable to reach the music library (MPD)"));
        return;
    }
    for (const QString &path : std::as_const(session.savedFiles))
        m_library->addToMusicLibrary(path);
    m_library->closeMusicLibrary();
}

void TrackDelivery::deleteTemporaryFiles(const RecordingSession &session)
{
    for (int i = 0; i < session.streamCount; ++i) {
        std::error_code ignored;
        const StreamSlot &slot = session.streams.at(static_cast<std::size_t>(i));
        const std::filesystem::path path =
            fsPath(m_settings.tempFolder + tempFileName(session.fileKey, i, slot.letter));
        // Only our own file: never something else that took the name.
        if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ignored)))
            std::filesystem::remove(path, ignored);
    }
}

} // namespace skywell
