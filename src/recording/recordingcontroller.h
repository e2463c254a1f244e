#pragma once

#include "recording/recordingports.h"
#include "shows/show.h"

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
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

// Checks done before a recording and the marker that lets a crashed
// recording be recovered; all optional.
struct ControllerSafety {
    // A reason when the folders lack space for a recording of that length.
    std::function<QString(std::uint32_t flags, std::int64_t seconds)> freeSpaceProblem;
    // The recording in progress (name, flags, track, start) for recovery
    // after a crash; cleared when it ends.
    std::function<void(const RecordingSession &, std::int64_t startTime)> markRecording;
    std::function<void(const RecordingSession &)> clearMark;
    // A recording of an interrupted one's name and day goes on with its
    // track numbers, names and playlist (fills the session when it does).
    std::function<void(RecordingSession &)> continueSeries;
    // The source volumes the mixer changed for this recording go back.
    std::function<void()> restoreSourceVolumes;
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
    // sink, when given, is the recording's own sound output: the player
    // Skywell starts plays into it, capture records its monitor, and a
    // loopback makes it heard unless the Show is muted. download is the
    // recording's own web download (direct-download Shows).
    RecordingController(std::uint64_t recordingId, RecordingSession &session, BlockProcessor &blocks, ShowList &shows,
                        Scheduler &scheduler, ShowStore &store, const Settings &settings, const Clock &clock,
                        ActivityLog &log, StreamTuning &tuning, DirectDownload *download, PrivateSink *sink,
                        QObject *parent = nullptr);

    void setSafety(ControllerSafety safety) { m_safety = std::move(safety); }
    // There is no sound server: every recording is taken straight from its
    // stream, whatever source it names.
    void setStreamOnly(bool streamOnly) { m_streamOnly = streamOnly; }
    // The program is ending: a scheduled recording stopped now, before its
    // Show's end, leaves the rest of the Show to the next start.
    void setQuitting() { m_quitting = true; }
    // The sink is the recording's own (a player Skywell starts plays into
    // it, heard through a loopback unless muted); otherwise it serves only
    // to mute a recording of the source the user chose.
    void setOwnSink(bool own) { m_ownSink = own; }

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
    ControllerSafety m_safety;

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
    bool m_streamOnly = false;
    bool m_quitting = false;
    bool m_ownSink = false;
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

// A last track shorter than this is not saved.
inline constexpr std::int64_t kMinSavedTrackMs = 10000;
// A recording ends this long after its end time.
inline constexpr std::int64_t kEndGraceSeconds = 30;
// A split-at minute acts once within this many seconds.
inline constexpr std::int64_t kMinuteSplitGuardSeconds = 65;

// The button texts.
inline const QString kRecordNowText = QStringLiteral("Record Now");
inline const QString kStopRecordingText = QStringLiteral("Stop Recording");

} // namespace skywell
