#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace skywell
{

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

class CaptureDevice;
class PrivateSink;

// Makes the parts each recording has to itself, so that recordings never
// share a device, a sink or a player.
class RecordingParts
{
public:
    virtual ~RecordingParts() = default;

    // A capture device that records the named source of the sound server
    // (a private sink's monitor), whatever source the mixer has selected.
    virtual std::unique_ptr<CaptureDevice> captureOf(const QString &source) = 0;
    // A capture device that records the source the user chose (the mixer's
    // selection on the configured sound card); one at a time.
    virtual std::unique_ptr<CaptureDevice> chosenSourceCapture() = 0;
    // A device that opens an address and decodes the stream itself; its
    // log lines name the recording.
    virtual std::unique_ptr<CaptureDevice> streamDevice(const QString &recordingName) = 0;
    // A private sink of its own: a player plays into it, the recording
    // captures its monitor. Null when there is no sound server.
    virtual std::unique_ptr<PrivateSink> privateSink() = 0;
    // A web download of its own, for a direct-download recording.
    virtual std::unique_ptr<DirectDownload> directDownload() = 0;
};

} // namespace skywell
