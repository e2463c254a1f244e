#pragma once

#include <QString>
#include <cstdint>
#include <functional>

namespace skywell
{

class ActivityLog;
class MusicLibrary;
struct RecordingSession;
struct Settings;

// Hands a temporary WAV file and the output prefix to the user's script;
// done(false) when the conversion failed (Converters::runCustomConversion).
using CustomConversion =
    std::function<void(const QString &tempFileName, const QString &outputPrefix, std::function<void(bool)> done)>;
// Burns the "?"-separated file list (CdWriter::burnCD); done gets whether it
// worked and the CD writer's report.
using CdBurn =
    std::function<void(const QString &fileList, bool dataCD, std::function<void(bool, const QString &)> done)>;

// A track that has ended and waits for its delivery: its best stream's
// file, set aside under a name of its own in the temporary folder, and
// what the playlist and the report need to know of it.
struct EndedTrack {
    // The file's name in the temporary folder.
    QString tempName;
    // The track's final name, relative to the recordings folder.
    QString fileName;
    QString stationTitle;
    std::int64_t trackMs = 0;
    bool writeFailed = false;
};

// Delivers finished tracks: the best stream's temporary file goes under its
// final name into the recordings folder or to the custom script, and the
// end of a recording burns the CD and fills the music library. A temporary
// file that could not be delivered is kept in the temporary folder under
// the track's name, never deleted. The script and the CD writer run beside
// the event loop; their end is reported through the done callbacks.
class TrackDelivery final
{
public:
    TrackDelivery(const Settings &settings, ActivityLog &log, CustomConversion custom, CdBurn burn,
                  MusicLibrary *library);

    // Renames the best stream's (slot index) temporary file out of the way
    // of the next track's files, to a name that serial makes unique within
    // the recording.
    EndedTrack setAside(const RecordingSession &session, int bestSlot, const QString &fileName, int serial);

    // Delivers the track under its name (relative to the recordings folder)
    // and adds it to the playlist text, after an
    // "#EXTINF:<seconds>,<station's title>" line when the track has a
    // station's title (the text then begins with "#EXTM3U"). done(false)
    // when it could not be delivered; the file is then kept and the report
    // says where. A rename is done at once; the script is waited for.
    void saveTrack(RecordingSession &session, const EndedTrack &track, std::function<void(bool)> done);

    // Adds the track's audio to the recording's last saved track; false,
    // with nothing changed, when it cannot be.
    bool joinLastTrack(RecordingSession &session, const EndedTrack &track);

    // The end of a recording: CD and music library as the flags ask, over
    // every track saved; then done.
    void finishRecording(RecordingSession &session, std::function<void()> done);

    // Removes the temporary files of the streams in use.
    void deleteTemporaryFiles(const RecordingSession &session);

    // The track's file name without folder and extension.
    static QString outputPrefix(const QString &fileName);

private:
    bool moveIntoPlace(const QString &source, const QString &destination, QString &error);
    QString keepTemporaryFile(const QString &tempPath, const QString &fileName);
    void customFinished(RecordingSession &session, const EndedTrack &track, bool converted);
    void addToMusicLibrary(RecordingSession &session);

    const Settings &m_settings;
    ActivityLog &m_log;
    CustomConversion m_custom;
    CdBurn m_burn;
    MusicLibrary *m_library;
};

} // namespace skywell
