#pragma once

#include "recording/blockprocessor.h"
#include "recording/recordingcontroller.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace skywell
{

class RecordingParts;
class TrackDelivery;

// One running recording as the window and the tray show it.
struct RunningRecording {
    std::uint64_t id = 0;
    QString name;
    // The Show recorded; none for Quick Record.
    std::optional<std::int16_t> showSerial;
    std::int64_t startTime = 0;
    std::int64_t endTime = 0;
    // Capture (or the download) has begun: no longer tuning.
    bool capturing = false;
    bool downloading = false;
    std::uint32_t flags = 0;
    // Records the source the user chose (one such recording at a time).
    bool chosenSource = false;
};

// What a recording that has ended leaves for the user: its name, the
// tracks it saved and its report (empty: all went well).
struct EndedRecording {
    std::uint64_t id = 0;
    QString name;
    std::uint32_t flags = 0;
    int savedTracks = 0;
    QString outcome;
};

// What every recording shares.
struct RosterContext {
    ShowList &shows;
    Scheduler &scheduler;
    ShowStore &store;
    const Settings &settings;
    const Clock &clock;
    ActivityLog &log;
    StreamTuning &tuning;
    RecordingParts &parts;
    TrackDelivery &delivery;
    // The sound card's mixer, which recordings of the source the user chose
    // set up and give back; null: none.
    SourceMixer *mixer = nullptr;
};

// Every recording that runs, side by side: starts each due Show (however
// many are due), Record Now and Quick Record; each recording has its own
// session, capture, block path, temporary files and marker. Only
// recordings that need the one thing that cannot be shared (the source the
// user chose, heard through a player Skywell did not start) wait for each
// other. Everything runs on the main thread.
class RecordingRoster final : public QObject
{
    Q_OBJECT
public:
    RecordingRoster(RosterContext context, QObject *parent = nullptr);
    ~RecordingRoster() override;

    // While the recording-source test runs no recording of the chosen
    // source starts.
    void setSourceTestRunning(bool running) { m_sourceTestRunning = running; }
    // No sound server: every recording is taken straight from its stream.
    void setStreamOnly(bool streamOnly);
    // While a level meter is on screen, streams kept as broadcast are
    // decoded to show their levels; otherwise only when their options need
    // the levels.
    void setLevelMeterShown(bool shown);
    // The program is ending: scheduled recordings stopped now leave the
    // rest of their Show to the next start.
    void setQuitting();

    // Starts a recording. False, with a log line, when it cannot run beside
    // the ones running (the shared source is taken).
    bool startRecording(const RecordingRequest &request);
    // Whether the request could start now beside the recordings running.
    bool canStart(const RecordingRequest &request) const;
    // Ends one recording; abort: nothing saved; save: the last track kept.
    void endRecording(std::uint64_t id, bool abort, bool save);
    // Ends every recording keeping every track; done is called once each
    // has delivered its tracks (at once when none runs).
    void endAll(std::function<void()> done);

    // The one-second tick; every tenth looks for due Shows.
    void supervisionTick();
    // Looks for due Shows at once (after the computer woke up).
    void lookForDueShowNow();

    std::vector<RunningRecording> running() const;
    std::optional<RunningRecording> recordingOfShow(std::int16_t serial) const;
    bool recording() const;
    // A recording holds the source the user chose (the recording-source
    // test must wait).
    bool holdsChosenSource() const;
    // A scheduled recording ended with under 10 seconds of audio.
    bool nothingRecorded() const { return m_nothingRecorded; }
    void clearNothingRecorded() { m_nothingRecorded = false; }

    // The session of a recording that runs or is being delivered; null
    // once it has gone.
    const RecordingSession *sessionOf(std::uint64_t id) const;
    // Ends the recording's current track and starts the next.
    void splitTrack(std::uint64_t id);

    // Tuning has a recording's stream playing.
    void captureCanStart(quint64 recordingId);

Q_SIGNALS:
    // A recording started, began capturing or ended: the rows, the status
    // line and the tray's tip.
    void recordingsChanged();
    void showListChanged();
    // A manual recording kept nothing: tell the user at once.
    void nothingRecordedNow();
    // The peak of a recording's block; 0 when its capture stops.
    void levelMeter(quint64 id, int peak);
    // "HH:MM:SS" since the recording started.
    void elapsedTime(quint64 id, const QString &text);
    // Status texts of one recording (tuning, saving, a new track).
    void statusLine(quint64 id, const QString &text);
    // A recording has ended and delivered its tracks.
    void recordingEnded(const skywell::EndedRecording &ended);

private:
    struct Entry;
    enum class Road { Stream, Download, OwnPlayer, ChosenSource };

    Road roadOf(const RecordingRequest &request) const;
    // The recording holding the source the user chose; null when none.
    Entry *chosenSourceHolder() const;
    std::unique_ptr<Entry> makeEntry(const RecordingRequest &request, Road road);
    void connectEntry(Entry &entry);
    void entryFinished(std::uint64_t id);
    Entry *find(std::uint64_t id) const;
    // The ids of the entries now, for walks in which an entry may end.
    std::vector<std::uint64_t> entryIds() const;
    void lookForDueShows(std::int64_t now);
    // A due Show the shared source keeps out says so once per occurrence.
    void noteKeptOut(Show &show, const QString &reason);
    static RunningRecording describe(const Entry &entry);

    RosterContext m_context;
    bool m_sourceTestRunning = false;
    bool m_streamOnly = false;
    bool m_levelMeterShown = false;
    bool m_quitting = false;
    bool m_nothingRecorded = false;
    std::uint64_t m_lastId = 0;
    qint64 m_ticks = 0;
    // A due Show waits for the chosen source to be given up.
    bool m_waitingForSource = false;
    std::vector<std::unique_ptr<Entry>> m_entries;
    // Occurrences (serial, start) already told they were kept out.
    std::set<std::pair<std::int16_t, std::int32_t>> m_keptOut;
    // endAll's callback, called once the last recording has delivered.
    std::function<void()> m_allEnded;
};

// More recordings than this at once are not started: each Show beyond
// it is told why instead.
inline constexpr int kMaxRecordingsAtOnce = 32;

} // namespace skywell
