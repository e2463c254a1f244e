#pragma once

#include <QString>
#include <functional>

namespace skywell
{

class ActivityLog;
class MusicLibrary;
struct RecordingSession;
struct Settings;

// Hands a temporary WAV file and the output prefix to the user's script;
// false when the conversion failed (Converters::runCustomConversion).
using CustomConversion = std::function<bool(const QString &tempFileName, const QString &outputPrefix)>;
// Burns the "?"-separated file list (CdWriter::burnCDFromTracks); result
// receives the CD writer's report.
using CdBurn = std::function<bool(const QString &fileList, bool dataCD, QString *result)>;

// Delivers finished tracks: the best stream's temporary file goes under its
// final name into the recordings folder or to the custom script, and the
// end of a recording burns the CD and fills the music library. A temporary
// file that could not be delivered is kept in the temporary folder under
// the track's name, never deleted.
class TrackDelivery final
{
public:
    TrackDelivery(const Settings &settings, ActivityLog &log, CustomConversion custom, CdBurn burn,
                  MusicLibrary *library);

    // Saves the best stream (slot index) of the ended track under fileName
    // (relative to the recordings folder) and adds it to the playlist text,
    // after an "#EXTINF:<seconds>,<station's title>" line when the track has
    // a station's title (the text then begins with "#EXTM3U"). Returns false
    // when it could not be delivered; the file is then kept and the report
    // says where.
    bool saveTrack(RecordingSession &session, int bestSlot, const QString &fileName);

    // The end of a recording: CD and music library as the flags ask, over
    // every track saved.
    void finishRecording(RecordingSession &session);

    // Removes the temporary files of the streams in use.
    void deleteTemporaryFiles(const RecordingSession &session);

    // The track's file name without folder and extension.
    static QString outputPrefix(const QString &fileName);

private:
    bool moveIntoPlace(const QString &source, const QString &destination, QString &error);
    QString keepTemporaryFile(const QString &tempPath, const QString &fileName);
    void burnCd(RecordingSession &session);
    void addToMusicLibrary(RecordingSession &session);

    const Settings &m_settings;
    ActivityLog &m_log;
    CustomConversion m_custom;
    CdBurn m_burn;
    MusicLibrary *m_library;
};

} // namespace skywell
