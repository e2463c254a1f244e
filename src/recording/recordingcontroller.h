#pragma once

#include "recording/recordingports.h"
#include "shows/show.h"

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>

namespace skywell
{

class ActivityLog;
class BlockProcessor;
class Clock;
class Scheduler;
class ShowStore;
struct RecordingSession;
struct Settings;

// Everything one recording starts from: a due Show's fields, or what
// Record Now and Quick Record fill in.
struct RecordingRequest {
    QString name;
    QString url;
    std::uint32_t flags = 0;
    std::int64_t endTime = 0;
    QString recordSource;
    std::int32_t silenceMs = 0;
    std::int32_t deadAirMs = 0;
    std::int32_t splitMinutes = 0;
    char tunerKind = 'U';
    // Minutes past the hour that start a new track; 255 = none.
    std::array<std::uint8_t, 8> splitAtMinute{255, 255, 255, 255, 255, 255, 255, 255};
    // The last track of a recording with more than one is not saved.
    bool discardLastTrack = false;
    // The Show recorded (its serial), which takes the outcome; none for
    // Quick Record.
    std::optional<std::int16_t> showSerial;
};

// The request a due Show makes.
RecordingRequest requestFromShow(const Show &show);

// How one recording reaches its audio, fixed when it is made.
struct RecordingRoute {
    // The recording's own web download (direct-download Shows).
    DirectDownload *download = nullptr;
    // A sound output: the recording's own when ownSink (a player Skywell
    // starts plays into it, capture records its monitor, a loopback makes
    // it heard unless the Show is muted); otherwise it serves only to mute
    // a recording of the source the user chose.
    PrivateSink *sink = nullptr;
    bool ownSink = false;
    // The sound card's mixer, for a recording of the source the user chose:
    // the source volumes it changed go back when capture stops.
    SourceMixer *mixer = nullptr;
    // There is no sound server: every recording is taken straight from its
    // stream, whatever source it names.
    bool streamOnly = false;
};

// Carries one recording from its start to its end: fills the recording
// session, tunes, starts capture when the stream plays, splits at the set
// minutes, retunes after silence, ends at the end time, records the outcome
// with the Show and reschedules the list. Direct-download Shows are fetched
// into a file instead. Each running recording has one; the roster starts
// them and drives their one-second tick. Everything runs on the main thread.
class RecordingController final : public QObject
{
    Q_OBJECT
public:
    // Before each recording the folders are checked for space; while it
    // runs a marker in the temporary folder names it, so that a crash
    // leaves what it needs to be recovered.
    RecordingController(std::uint64_t recordingId, RecordingSession &session, BlockProcessor &blocks, ShowList &shows,
                        Scheduler &scheduler, ShowStore &store, const Settings &settings, const Clock &clock,
                        ActivityLog &log, StreamTuning &tuning, RecordingRoute route, QObject *parent = nullptr);

    // The program is ending: a scheduled recording stopped now, before its
    // Show's end, leaves the rest of the Show to the next start.
    void setQuitting() { m_quitting = true; }

    void startRecording(const RecordingRequest &request);
    // Ends the recording. abort: nothing is saved; save: the last track is
    // kept. finished() follows once its tracks are delivered.
    void endRecording(bool abort, bool save);
    // The one-second tick.
    void supervisionTick();
    // Tuning has the stream playing: capture starts, unless the
    // notification belongs to a recording that is no longer running.
    void captureCanStart(std::uint64_t recordingId);

    // Running: started and not yet ended.
    bool recording() const;
    bool capturing() const;
    bool downloading() const { return m_direct; }
    // A scheduled recording ended with under 10 seconds of audio.
    bool nothingRecorded() const { return m_nothingRecorded; }
    std::int64_t startTime() const { return m_startTime; }
    std::int64_t endTime() const { return m_endTime; }
    std::uint64_t recordingId() const { return m_recordingId; }
    std::optional<std::int16_t> showSerial() const { return m_showSerial; }
    const RecordingSession &session() const { return m_session; }

    // "HH:MM:SS" of elapsed seconds, or 14 blanks for 0.
    static QString elapsedText(std::int64_t elapsed);

Q_SIGNALS:
    // The Show list changed (times, status): redraw it.
    void showListChanged();
    // A manual recording kept nothing: tell the user at once.
    void nothingRecordedNow();
    void statusLine(const QString &text);
    void elapsedTime(const QString &text);
    // Capture (or the download) has begun.
    void captureStarted();
    // The recording has ended and its tracks are delivered.
    void finished();

private:
    void startDownload(const RecordingRequest &request);
    void downloadFinished(const DirectDownloadResult &result);
    // The tick of a direct download: its end time and elapsed time.
    void downloadTick(std::int64_t now);
    void endDownload();
    void finishCapture(bool abort, bool save);
    // After the last track's delivery: the outcome, the playlist, the sink.
    void afterDelivery(bool abort);
    void retune();
    void splitAtMinutes(std::int64_t now);
    // Stores the outcome in the Show recorded (if it is still there).
    void storeOutcome(const QString &errorText, std::int64_t now);
    void openSink(bool muted);
    void closeSink();
    QString sinkName() const;
    void rescheduleAndSave();
    // Writes (or rewrites) the recovery marker of the recording in progress.
    void markRecording();
    // The recording in progress is taken straight from its stream.
    bool fromStream() const;

    const std::uint64_t m_recordingId;
    RecordingSession &m_session;
    BlockProcessor &m_blocks;
    ShowList &m_shows;
    Scheduler &m_scheduler;
    ShowStore &m_store;
    const Settings &m_settings;
    const Clock &m_clock;
    ActivityLog &m_log;
    StreamTuning &m_tuning;
    DirectDownload *m_download;
    PrivateSink *m_sink;
    SourceMixer *m_mixer;

    std::int64_t m_startTime = 0;
    std::int64_t m_endTime = 0;
    bool m_noRetune = false;
    std::array<std::uint8_t, 8> m_splitAtMinute{255, 255, 255, 255, 255, 255, 255, 255};
    std::int64_t m_lastMinuteSplit = 0;
    bool m_discardLastTrack = false;
    bool m_nothingRecorded = false;
    QString m_tuningAddress;
    char m_playerLetter = 'U';
    // A direct download is the recording in progress.
    bool m_direct = false;
    bool m_streamOnly;
    bool m_quitting = false;
    bool m_ownSink;
    // Ended: capture stopped, delivery may still run.
    bool m_ended = false;
    // The serial of the Show being recorded; none for Quick Record.
    std::optional<std::int16_t> m_showSerial;
    // The player plays into the sink.
    bool m_sinkOpen = false;
    // Said before the recording started, added once capture has started.
    QString m_freeSpaceProblem;
    // The source the recording asked for (a muted one records its own sink).
    QString m_requestedSource;
    // The track the recovery mark names.
    std::int32_t m_markedTrack = 0;
    QString m_markedTitle;
    // The direct download was stopped by the user, or at its end time as
    // a live stream.
    bool m_downloadStopped = false;
    bool m_liveStopped = false;
    QString m_downloadUrl;
    QString m_downloadPath;
};

// A recording ends this long after its end time.
inline constexpr std::int64_t kEndGraceSeconds = 30;
// A split-at minute acts once within this many seconds.
inline constexpr std::int64_t kMinuteSplitGuardSeconds = 65;

// The button texts.
inline const QString kRecordNowText = QStringLiteral("Record Now");
inline const QString kStopRecordingText = QStringLiteral("Stop Recording");

} // namespace skywell
