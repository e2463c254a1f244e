#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>

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
    // Closes the windows of known players (and ends the players Skywell
    // started itself).
    virtual void closePlayers() = 0;
    // Ends the players Skywell started itself, whatever their windows say;
    // the user's own players stay.
    virtual void endStartedPlayers() = 0;
    // Process ids of the players Skywell started, for moving their sound.
    virtual QList<qint64> playerProcessIds() const = 0;
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

} // namespace skywell
