#pragma once

#include "recording/deliveryqueue.h"
#include "recording/streamfiles.h"

#include <QObject>
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
class SourceMixer;
class TrackDelivery;
struct RecordingSession;
struct Settings;

// Turns captured blocks into tracks: starts and stops capture, measures
// each block, applies the silence options and the track length limit,
// keeps up to ten streams apart in temporary files, and ends tracks
// (splitTrack, finishTrack) through the track delivery. Everything runs on
// the thread that handles the capture queue's notifications.
//
// An ended track's files are closed and its best stream's file set aside at
// once; its delivery (the user's script, the CD writer, the music library)
// is a job in the recording's delivery queue, run one after another while
// capture goes on. Problems go into the recording's report and log.
class BlockProcessor final : public QObject
{
    Q_OBJECT
public:
    // mixer: the sound card's mixer, for a recording of the source the user
    // chose; null for every other recording (nothing touches the mixer).
    BlockProcessor(RecordingSession &session, CaptureQueue &queue, const Settings &settings, const Clock &clock,
                   ActivityLog &log, TrackDelivery &delivery, SourceMixer *mixer = nullptr,
                   std::uint32_t wavLimit = WavWriter::kMaxDataBytes);

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
    // Ends the current track, queues its delivery and starts the next.
    // Does nothing while capture has not started.
    void splitTrack();

    struct FinishResult {
        // The name the last track was given (relative to the recordings
        // folder).
        QString fileName;
        // The last track was too short to keep ("Total time in track less
        // than 10 seconds").
        bool tooShort = false;
    };
    // The end of a recording: stops capture, closes every stream and queues
    // the delivery of the last track under the first free track name in the
    // recordings folder (abort: nothing is delivered; save false or a track
    // too short: the track is not kept), then the CD and the music library
    // as the flags ask. A track not kept gives its number back.
    FinishResult finishRecording(bool abort, bool save);
    // Calls done (from the event loop) once every delivery queued so far
    // has finished, the end of the recording's included; at once when none
    // is pending.
    void whenDelivered(std::function<void()> done);
    // The recording ends with a title-split piece shorter than a track may
    // be, after a saved track: the piece is added to that track.
    bool lastPieceJoinsPreviousTrack() const;

    // The shortest last track that is kept (kMinSavedTrackMs; tests lower it).
    void setMinimumTrackMs(std::int64_t ms) { m_minimumTrackMs = ms; }

    // When set, every block goes to the handler and nothing else happens
    // (the recording-source test measures with it).
    void setTestBlockHandler(std::function<void(const CaptureBlock &)> handler) { m_testHandler = std::move(handler); }

Q_SIGNALS:
    // The peak of every block measured while recording; 0 when capture stops.
    void levelMeter(int peak);
    // Capture started (true) or stopped (false).
    void capturingChanged(bool capturing);
    // A status text ("Recording ..." at a new track).
    void statusLine(const QString &text);

private:
    void writeToStream(CaptureBlock &block, bool afterLimitSplit);
    // The first free name of the current track in the recordings folder,
    // in the recording's series of names.
    QString trackFileName();
    void startNextTrack();
    // Closes every stream and queues the delivery of the track as fileName
    // (relative to the recordings folder); outside a split also the end of
    // the recording. True when the track's number was given back.
    bool endTrack(const QString &fileName, bool abort, bool save);
    // Queues the delivery of the ended track's best stream.
    void deliverTrack(const QString &fileName, bool joinsLastTrack);
    // A station title on the block: the track's title, or a new track.
    void followStationTitle(const CaptureBlock &block);
    // A stream recorded as broadcast: a block whose packets cannot go on
    // in the track's file (another codec or setup, or decoded audio where
    // packets were) begins a new track.
    void followPacketFormat(const CaptureBlock &block);
    // How long the block plays: its packet's samples (carrying the
    // sub-millisecond rest to the next packet), or its sample bytes.
    std::int64_t blockMilliseconds(const CaptureBlock &block);

    RecordingSession &m_session;
    CaptureQueue &m_queue;
    const Settings &m_settings;
    const Clock &m_clock;
    ActivityLog &m_log;
    TrackDelivery &m_delivery;
    StreamFiles m_files;
    SourceMixer *m_mixer;
    std::function<void(const CaptureBlock &)> m_testHandler;
    // Too many streams has been reported since capture started.
    bool m_tooManyStreamsReported = false;
    // Where this track's part of the report begins (the report runs on
    // over splits).
    qsizetype m_trackOutcomeStart = 0;
    std::int64_t m_minimumTrackMs;
    // Makes the names of tracks set aside for delivery unique.
    int m_tracksSetAside = 0;
    DeliveryQueue m_deliveries;
    // The station's latest title (a stream source), over splits.
    QString m_stationTitleNow;
    // Microseconds of packets not yet counted in whole milliseconds.
    std::int64_t m_packetMicrosRest = 0;
};

// A title change cuts no track shorter than this: the track carries on
// under the newer title.
inline constexpr std::int64_t kMinTitleTrackMs = 10000;
// A last track shorter than this is not saved.
inline constexpr std::int64_t kMinSavedTrackMs = 10000;
// Minimum accepted blocks for a track to be saved (more than this).
inline constexpr int kMinAcceptedBlocks = 10;
// A decoded packet of this many sample bytes or fewer has no level to
// measure (measureLevel scans nothing).
inline constexpr std::uint32_t kMinMeasuredBytes = 64;
// A block of this many sample bytes or fewer never opens a new stream.
inline constexpr std::uint32_t kMinStreamBlockBytes = 4;

} // namespace skywell
