#pragma once

#include "recording/streamfiles.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace skywell
{

class ActivityLog;
class CaptureBlock;
class CaptureQueue;
class Clock;
class Prompter;
class TrackDelivery;
struct RecordingSession;
struct Settings;

// The mixer calls capture makes (Mixer in the program, fakes in tests).
struct CaptureSourceCalls {
    std::function<void(const QString &)> selectRecordingSource;
    std::function<void(const QString &)> optimizeSourceVolume;
    std::function<void(bool)> muteSpeakers;
};

// What the main window hears from recording.
struct RecordingSignals {
    // The peak of every block processed while recording; 0 when capture stops.
    std::function<void(int)> levelMeter;
    // True: show the recording icon; false: the idle icon.
    std::function<void(bool)> recordingIcon;
    // The status line.
    std::function<void(const QString &)> status;
};

// Turns captured blocks into tracks: starts and stops capture, measures
// each block, applies the silence options and the track length limit,
// keeps up to ten streams apart in temporary files, and ends tracks
// (splitTrack, finishTrack) through the track delivery. Everything runs on
// the thread that handles the capture queue's notifications.
//
// While a track is delivered (the user's script or the CD writer runs and
// the event loop is served meanwhile) a blocks-ready notification does not
// re-enter block processing: the blocks stay queued and are processed
// when the delivery is over. A split or a finish asked for meanwhile (the
// controller's timer) waits the same way and runs right after.
class BlockProcessor final
{
public:
    BlockProcessor(RecordingSession &session, CaptureQueue &queue, const Settings &settings, const Clock &clock,
                   ActivityLog &log, Prompter &prompter, TrackDelivery &delivery, CaptureSourceCalls mixer = {},
                   RecordingSignals windowSignals = {}, std::uint32_t wavLimit = WavWriter::kMaxDataBytes);

    // Selects the source and starts capture on the configured sound card,
    // with a fresh stream table. False when the sound card could not be
    // started (the report says so); the session is ready either way.
    bool startCapture(const QString &recordSource);
    // Stops capture (the end of a recording).
    void stopCapture();
    // A recording straight from the stream opens its address afresh; the
    // track goes on.
    void reopenStream();
    // Processes every queued block; called for each blocks-ready notification.
    void processReadyBlocks();
    // Processes one block; 8-bit samples are made signed in place.
    void processBlock(CaptureBlock &block);
    // Ends the current track, delivers it and starts the next. Does nothing
    // while capture has not started or a split is under way.
    void splitTrack();
    // The end of a recording: stops capture, closes every stream and
    // delivers the last track under the first free track name in the
    // recordings folder (abort: nothing is delivered; save false: the track
    // is not kept), then burns the CD and fills the music library as the
    // flags ask. Returns the name the track was given. Called while
    // isBusy(), it is done as soon as the work under way has ended, and
    // returns an empty name.
    QString finishRecording(bool abort, bool save);
    // A block, a split or a track's delivery is being processed (and the
    // event loop may be running inside it, for a tool or a message).
    bool isBusy() const { return m_busy > 0; }
    // The recording ends with a title-split piece shorter than a track may
    // be, after a saved track: the piece is added to that track.
    bool lastPieceJoinsPreviousTrack() const;
    // The last finishRecording gave the track's number back (the track was
    // too short, or capture never started).
    bool trackNumberGivenBack() const { return m_trackNumberGivenBack; }

    // When set, every block goes to the handler and nothing else happens
    // (the recording-source test measures with it).
    void setTestBlockHandler(std::function<void(const CaptureBlock &)> handler) { m_testHandler = std::move(handler); }

private:
    class BusyScope
    {
    public:
        explicit BusyScope(BlockProcessor &p) : m_p(p) { ++m_p.m_busy; }
        ~BusyScope() { --m_p.m_busy; }
        BusyScope(const BusyScope &) = delete;
        BusyScope &operator=(const BusyScope &) = delete;

    private:
        BlockProcessor &m_p;
    };
    struct FinishRequest {
        bool abort = false;
        bool save = false;
    };
    void writeToStream(CaptureBlock &block, bool afterLimitSplit);
    // The first free name of the current track in the recordings folder,
    // in the recording's series of names.
    QString trackFileName();
    void startNextTrack();
    // Closes every stream and delivers the track as fileName (relative to
    // the recordings folder); outside a split also the end of the recording.
    void endTrack(const QString &fileName, bool abort, bool save);
    void runWaitingWork();
    // Adds the ended piece's best stream to the last saved track.
    bool joinPreviousTrack();
    // A station title on the block: the track's title, or a new track.
    void followStationTitle(const CaptureBlock &block);

    RecordingSession &m_session;
    CaptureQueue &m_queue;
    const Settings &m_settings;
    const Clock &m_clock;
    ActivityLog &m_log;
    TrackDelivery &m_delivery;
    StreamFiles m_files;
    CaptureSourceCalls m_mixer;
    RecordingSignals m_signals;
    std::function<void(const CaptureBlock &)> m_testHandler;
    // Too many streams has been reported since capture started.
    bool m_tooManyStreamsReported = false;
    // Where this track's part of the report begins (the report runs on
    // over splits).
    qsizetype m_trackOutcomeStart = 0;
    // Block processing or a track's end is under way.
    int m_busy = 0;
    bool m_missedBlocks = false;
    bool m_trackNumberGivenBack = false;
    // The station's latest title (a stream source), over splits.
    QString m_stationTitleNow;
    // Asked for while busy; done when the work under way has ended.
    bool m_splitRequested = false;
    std::optional<FinishRequest> m_finishRequested;
};

// A title change cuts no track shorter than this: the track carries on
// under the newer title.
inline constexpr std::int64_t kMinTitleTrackMs = 10000;
// Minimum accepted blocks for a track to be saved (more than this).
inline constexpr int kMinAcceptedBlocks = 10;
// A block of this many sample bytes or fewer never opens a new stream.
inline constexpr std::uint32_t kMinStreamBlockBytes = 4;

} // namespace skywell
