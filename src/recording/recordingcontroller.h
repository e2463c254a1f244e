#pragma once

#include "mixer/privatesink.h"
#include "recording/recordingports.h"
#include "shows/show.h"

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
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

// The mixer call the controller makes when a recording ends. (Muting goes
// through the private sink, never the speakers.)
struct ControllerMixer {
    std::function<void()> restoreSourceVolumes;
};

// Checks done before a recording and the marker that lets a crashed
// recording be recovered; all optional.
struct ControllerSafety {
    // A reason when the folders lack space for a recording of that length.
    std::function<QString(std::uint32_t flags, std::int64_t seconds)> freeSpaceProblem;
    // The recording in progress (name, flags, track, start) for recovery
    // after a crash; cleared when it ends.
    std::function<void(const RecordingSession &, std::int64_t startTime)> markRecording;
    std::function<void()> clearMark;
    // A recording of an interrupted one's name and day goes on with its
    // track numbers, names and playlist (fills the session when it does).
    std::function<void(RecordingSession &)> continueSeries;
};

// Carries one recording from its start to its end: fills the recording
// session, tunes, starts capture when the stream plays, splits at the set
// minutes, retunes after silence, ends at the end time, records the outcome
// with the Show and reschedules the list. Direct-download Shows are fetched
// into a file instead. The one-second tick drives it and every tenth tick
// looks for a due Show. Everything runs on the main thread.
class RecordingController final : public QObject
{
    Q_OBJECT
public:
    RecordingController(RecordingSession &session, BlockProcessor &blocks, ShowList &shows, Scheduler &scheduler,
                        ShowStore &store, const Settings &settings, const Clock &clock, ActivityLog &log,
                        StreamTuning &tuning, DirectDownload &download, QObject *parent = nullptr);

    void setMixer(ControllerMixer mixer) { m_mixer = std::move(mixer); }
    // The sink a recording with the sound muted plays into (none: the
    // sound stays on).
    void setMuteSink(PrivateSink *sink) { m_muteSink = sink; }
    void setSafety(ControllerSafety safety) { m_safety = std::move(safety); }
    // While it returns true (the recording-source test runs) no scheduled
    // recording starts.
    void setSourceTestRunning(std::function<bool()> running) { m_sourceTestRunning = std::move(running); }
    // There is no sound server: every recording is taken straight from its
    // stream, whatever source it names.
    void setStreamOnly(bool streamOnly) { m_streamOnly = streamOnly; }
    // The program is ending: a scheduled recording stopped now, before its
    // Show's end, leaves the rest of the Show to the next start.
    void setQuitting() { m_quitting = true; }

    void startRecording(const RecordingRequest &request);
    // Ends the recording in progress. abort: nothing is saved; save: the
    // last track is kept. While a split is under way the end is done at the
    // first tick after it; the return value is then false and
    // recordingEnded() follows.
    bool endRecording(bool abort, bool save);
    // The one-second tick.
    void supervisionTick();
    // Looks for a due Show at once, not at the next tenth tick (after the
    // computer woke up); nothing while a recording runs.
    void lookForDueShowNow();
    // Tuning has the stream playing: capture starts, unless the
    // notification belongs to a recording that is no longer running.
    void captureCanStart(std::uint64_t recordingId);

    bool recording() const;
    bool downloading() const { return m_direct; }
    // A scheduled recording ended with under 10 seconds of audio.
    bool nothingRecorded() const { return m_nothingRecorded; }
    void clearNothingRecorded() { m_nothingRecorded = false; }
    std::int64_t startTime() const { return m_startTime; }
    std::int64_t endTime() const { return m_endTime; }
    std::uint64_t recordingId() const { return m_recordingId; }

    // "HH:MM:SS" of elapsed seconds, or 14 blanks for 0.
    static QString elapsedText(std::int64_t elapsed);

Q_SIGNALS:
    // The Show list changed (times, status): redraw it.
    void showListChanged();
    // A manual recording kept nothing: tell the user at once.
    void nothingRecordedNow();
    // The text of the Record Now button.
    void recordButtonText(const QString &text);
    void statusLine(const QString &text);
    void elapsedTime(const QString &text);
    // A recording has ended (also one ended late, after a split).
    void recordingEnded();

private:
    void startDownload(const RecordingRequest &request);
    void downloadFinished(std::uint64_t id, const DirectDownloadResult &result);
    // The tick of a direct download: its end time and elapsed time.
    void downloadTick(std::int64_t now);
    void endDownload();
    void finishCapture(bool abort, bool save);
    // The end of a recording once its tracks are delivered: the outcome,
    // the playlist, the Show list.
    void endDelivered(bool abort);
    void retune();
    void splitAtMinutes(std::int64_t now);
    // Every tenth tick: starts the due Show when nothing records, else
    // notes the Shows the recording keeps out.
    void lookForDueShow(std::int64_t now);
    void noteShowsKeptOut(std::int64_t t);
    // Stores the outcome in the Show recorded (if it is still there).
    void storeOutcome(const QString &errorText, std::int64_t now);
    void muteOn();
    void muteOff();
    void rescheduleAndSave();
    // The recording in progress is taken straight from its stream.
    bool fromStream() const;

    RecordingSession &m_session;
    BlockProcessor &m_blocks;
    ShowList &m_shows;
    Scheduler &m_scheduler;
    ShowStore &m_store;
    const Settings &m_settings;
    const Clock &m_clock;
    ActivityLog &m_log;
    StreamTuning &m_tuning;
    DirectDownload &m_download;
    ControllerMixer m_mixer;
    PrivateSink *m_muteSink = nullptr;
    ControllerSafety m_safety;
    std::function<bool()> m_sourceTestRunning;

    std::int64_t m_startTime = 0;
    std::int64_t m_endTime = 0;
    bool m_noRetune = false;
    std::array<std::uint8_t, 8> m_splitAtMinute{255, 255, 255, 255, 255, 255, 255, 255};
    std::int64_t m_lastMinuteSplit = 0;
    bool m_discardLastTrack = false;
    bool m_nothingRecorded = false;
    QString m_tuningAddress;
    char m_playerLetter = 'U';
    std::uint64_t m_recordingId = 0;
    qint64 m_ticks = 0;
    // A direct download is the recording in progress.
    bool m_direct = false;
    bool m_streamOnly = false;
    bool m_quitting = false;
    // The serial of the Show being recorded; none for Quick Record.
    std::optional<std::int16_t> m_showSerial;
    // Occurrences (serial, start) already told they were kept out.
    std::set<std::pair<std::int16_t, std::int32_t>> m_keptOut;
    // The muted recording plays into Skywell's own sink.
    bool m_muteSinkOpen = false;
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
    // The recording has ended and its tracks are being delivered.
    bool m_delivering = false;
};

// A recording ends this long after its end time.
inline constexpr std::int64_t kEndGraceSeconds = 30;
// A split-at minute acts once within this many seconds.
inline constexpr std::int64_t kMinuteSplitGuardSeconds = 65;

// The button texts.
inline const QString kRecordNowText = QStringLiteral("Record Now");
inline const QString kStopRecordingText = QStringLiteral("Stop Recording");

} // namespace skywell
