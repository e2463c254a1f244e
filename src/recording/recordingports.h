#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace skywell
{

// What moveStreamsOf found and did, for the caller's decision and its log
// line.
struct StreamMove {
    // Playback streams of the processes (and of their children).
    int found = 0;
    // Of those, the ones that now play into the private sink.
    int moved = 0;
    // Why nothing, or not everything, was moved, as a sentence for the log
    // ("no playback stream of process 4711 on the sound server"); empty
    // when every stream found was moved.
    QString problem;
};

// A sound output of Skywell's own that plays nowhere, whose monitor
// records everything played into it: how a recording keeps the speakers
// quiet without silencing what it records. Muting the speakers instead
// would silence the recording too, since what they play is what Skywell
// records. All calls come from the user-interface thread; each waits on
// the sound server for a bounded time only.
//
// A recording with the speakers muted opens it before it starts its
// players, starts them with PULSE_SINK=sinkName(), records monitorName(),
// moves the streams of players it did not start with moveStreamsOf(),
// and closes it once capture has stopped. Players get PULSE_SINK only
// while it is open: a sink that does not exist makes PulseAudio refuse
// their stream, and PipeWire play it on the speakers.
class PrivateSink
{
public:
    virtual ~PrivateSink() = default;

    // Makes sure the sink exists: creates it on the first call, and again
    // when the sound server lost it (it restarted). Sinks left by an
    // earlier run that ended without closing are removed first. False when
    // the server cannot be reached or refuses; errorText() says why.
    virtual bool open() = 0;
    // The sink's name: the value of PULSE_SINK for players that are to play
    // into it. Fixed for the life of the object.
    virtual QString sinkName() const = 0;
    // The source that records what the sink plays.
    virtual QString monitorName() const = 0;
    // Moves the playback streams of the given processes, and of their child
    // processes, into the sink. May be called again (a player that opened a
    // new stream); streams already in the sink count as moved.
    virtual StreamMove moveStreamsOf(const QList<qint64> &processIds) = 0;
    // Gives every stream still in the sink back to the output it came from
    // (the default output for the players started into it), so that a
    // player left running is heard again, and removes the sink. Does
    // nothing when it is not open.
    virtual void close() = 0;
    // Plays what the sink receives on the user's default output too (a
    // loopback), or stops doing so; after open(). A recording that is not
    // muted is heard this way. False when the server refuses.
    virtual bool setHeard(bool heard)
    {
        (void)heard;
        return false;
    }
    // Why the last open() failed.
    virtual QString errorText() const = 0;
};

// What a recording of the source the user chose asks of the sound card's
// mixer (the program's Mixer; a double in tests). Recordings of a stream or
// of a sound output of their own never touch it.
class SourceMixer
{
public:
    virtual ~SourceMixer() = default;

    // Makes the source the sound card's recording input. False when
    // nothing was done.
    virtual bool selectRecordingSource(const QString &name) = 0;
    // Sets the source's recording volume to the middle of its range,
    // remembering the volume it had.
    virtual void optimizeSourceVolume(const QString &name) = 0;
    // Puts the volumes optimizeSourceVolume changed back (the recording
    // has ended).
    virtual void restoreSourceVolumes() = 0;
};

// What the recording controller needs from tuning: getting a stream to
// play, and closing the players again. The program plugs in the tuning
// subsystem; tests plug in a double.
class StreamTuning
{
public:
    virtual ~StreamTuning() = default;

    // Starts playing the address (with the Show's player letter) on the
    // tuning worker. When it plays and the connect-ahead time has passed
    // (with captureWhenPlaying: as soon as the player plays), the
    // controller's captureCanStart(recordingId) is called on this thread.
    // pulseSink, when not empty, is the sound server sink a player Skywell
    // starts plays into.
    virtual void tuneTo(const QString &address, char playerLetter, std::uint64_t recordingId, const QString &pulseSink,
                        bool captureWhenPlaying = false) = 0;
    // The recording ended: its tuning worker, if still waiting, neither
    // tunes nor reports.
    virtual void recordingStopped(std::uint64_t recordingId) = 0;
    // Closes the windows of the recording's players (and ends the players
    // Skywell started for it). Other recordings' players play on.
    virtual void closePlayers(std::uint64_t recordingId) = 0;
    // Ends the players Skywell started for the recording, whatever their
    // windows say; the user's own players stay.
    virtual void endStartedPlayers(std::uint64_t recordingId) = 0;
    // Process ids of the players Skywell started for the recording, for
    // moving their sound.
    virtual QList<qint64> playerProcessIds(std::uint64_t recordingId) const = 0;
    // The player of this letter is a program Skywell starts itself, which
    // plays into the sink it is given: its recording can run beside others.
    virtual bool startsOwnPlayer(char playerLetter) const = 0;
    // The machine has a network connection.
    virtual bool isOnline() = 0;
    // Whether the machine was online before tuning dialled.
    virtual bool wasOnlineBeforeDial() const = 0;
    // Asks for the dial-up connection (when the user configured one).
    virtual void dial() = 0;
    // Hangs the dial-up connection up (when the user configured one).
    virtual void hangUp() = 0;
};

// How a direct download ended: the bytes saved and whether the transfer
// completed; reason says why not. path is the file written when its
// extension came from the answer (empty: the one asked for).
struct DirectDownloadResult {
    std::int64_t bytes = 0;
    bool complete = false;
    QString reason;
    QString path;
    bool liveStream = false;
};

// What the controller needs from the web download: fetching an address
// into a file without holding up the main loop.
class DirectDownload
{
public:
    virtual ~DirectDownload() = default;

    // Starts the transfer; done is called on this thread when it has ended
    // (completed, failed or stopped).
    virtual void start(const QString &url, const QString &path,
                       std::function<void(const DirectDownloadResult &)> done) = 0;
    // Stops a transfer that still runs (a live stream never ends by itself).
    virtual void stop() = 0;
    virtual bool running() const = 0;
    // The running transfer is a station's live stream (no length, icy-*
    // headers, an audio type), which never ends by itself.
    virtual bool liveStream() const { return false; }
};

class SoundCardCapture;
class StreamCapture;

// Makes the parts each recording has to itself, so that recordings never
// share a device, a sink or a player.
class RecordingParts
{
public:
    virtual ~RecordingParts() = default;

    // A capture device that records the named source of the sound server
    // (a private sink's monitor), whatever source the mixer has selected.
    virtual std::unique_ptr<SoundCardCapture> captureOf(const QString &source) = 0;
    // A capture device that records the source the user chose (the mixer's
    // selection on the configured sound card); one at a time.
    virtual std::unique_ptr<SoundCardCapture> chosenSourceCapture() = 0;
    // A capture that opens an address and decodes the stream itself; its
    // log lines name the recording.
    virtual std::unique_ptr<StreamCapture> streamDevice(const QString &recordingName) = 0;
    // A private sink of its own: a player plays into it, the recording
    // captures its monitor. Null when there is no sound server.
    virtual std::unique_ptr<PrivateSink> privateSink() = 0;
    // A web download of its own, for a direct-download recording.
    virtual std::unique_ptr<DirectDownload> directDownload() = 0;
};

} // namespace skywell
