#pragma once

#include "recording/streamcapture.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

namespace skywell
{

// A capture device that opens an internet radio address itself and decodes
// it with FFmpeg's libraries (HTTP/HTTPS, redirects, .pls/.m3u playlists,
// HLS, ICY titles; MP3, AAC, Vorbis, Opus, FLAC …). Blocks are
// 16-bit stereo at 44100 Hz (48000 Hz for streams of the 48 kHz family),
// in the capture block layout, delivered on the device's own thread; the
// rate stays the same until stop, whatever the stream changes to.
//
// A stream that cannot be opened, ends or drops is reopened after 1, 2,
// 4 … 30 s until stop() (1 s again once an opening played 30 s). A station
// playlist's entries are tried in order at each opening, and each that
// does not open gets a line of its own. Each attempt is reported through
// the log callback, in these lines:
//   "Stream opened: <address> (<codec>, <rate> Hz, <channels> channels)"
//   "Stream could not be opened: <address>: <reason>" (also per entry)
//   "Stream dropped: <reason>"  ("the stream ended" at its end)
//   "Reopening the stream in <n> seconds"
//   "Station title: <title>"
//   "Stream format changed: <codec>, <rate> Hz, <channels> channels"
// Texts from the network in them are cleaned of control characters and
// invalid UTF-8. Station titles (ICY or in-stream) mark the first block
// heard under them (CaptureBlock::setStationTitle), and the first block
// after each reopening when a title is known.
class StreamCaptureDevice final : public StreamCapture
{
public:
    enum class Pace {
        // A live stream's own pace; a stream that delivers faster (a file
        // on a web server) is held to real time after a few seconds' burst.
        RealTime,
        // As fast as it decodes (benchmarks, tests).
        AsFastAsPossible,
    };
    // Called on the device's thread with one line for the activity log.
    using LogLine = std::function<void(const QString &)>;

    explicit StreamCaptureDevice(LogLine log = {}, Pace pace = Pace::RealTime);
    ~StreamCaptureDevice() override;
    StreamCaptureDevice(const StreamCaptureDevice &) = delete;
    StreamCaptureDevice &operator=(const StreamCaptureDevice &) = delete;

    // Starts the decoding thread on the address; false only for an address
    // that can never be opened (empty, or not a URL FFmpeg could read).
    bool start(const QString &address, BlockSink sink) override;
    // Stops at once, also in the middle of a connect or a wait; no block
    // reaches the sink after it returns.
    void stop() override;

    // How long a connect or a read may wait for data before the stream
    // counts as dropped (default 10 s); three times as long without audio
    // (bytes that trickle in but never decode) drops it too. Takes effect
    // at the next start.
    void setTimeout(std::chrono::milliseconds timeout);

    // Packets as sent: each block carries one of the stream's packets
    // unchanged (CaptureBlock::packet()) beside its decoded samples, for
    // the codecs a track can keep as they are (MP3, ADTS AAC, Vorbis,
    // Opus); other codecs give plain decoded blocks. Takes effect at the
    // next start.
    void setKeepPackets(bool keep) override { m_keepPackets = keep; }
    // With packets kept, whether the packets are also decoded for their
    // levels (silence rules, the level meter). Without, blocks carry no
    // samples and nothing is decoded. May change at any time.
    void setLevelsWanted(bool wanted) override;

private:
    struct Worker;
    std::unique_ptr<Worker> m_worker;
    LogLine m_log;
    Pace m_pace;
    std::chrono::milliseconds m_timeout{10000};
    bool m_keepPackets = false;
    std::shared_ptr<std::atomic_bool> m_levelsWanted = std::make_shared<std::atomic_bool>(true);
};

} // namespace skywell
