#include "platform/streamcapturedevice.h"

#include "platform/icymetadata.h"
#include "platform/reconnectdelay.h"
#include "platform/streamdecoder.h"
#include "recording/blockassembler.h"

#include <QUrl>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace skywell
{

namespace
{
using SteadyClock = std::chrono::steady_clock;

// As the sound-card device: 100 ms blocks.
constexpr int kBlockMilliseconds = 100;
// Real-time pace lets a stream run this far ahead of the clock (the
// server's own burst at connect), then holds it back.
constexpr std::chrono::seconds kBurst{5};

// The address as FFmpeg reads it: a URL with a scheme or a local path; a
// bare "host/path" is taken as http.
QString normalizedAddress(const QString &address)
{
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('/')))
        return trimmed;
    const qsizetype scheme = trimmed.indexOf(QLatin1String("://"));
    if (scheme < 0)
        return QStringLiteral("http://") + trimmed;
    // FFmpeg knows its protocols by lower-case names only ("HTTP://").
    return trimmed.first(scheme).toLower() + trimmed.sliced(scheme);
}

bool readableAddress(const QString &address)
{
    if (address.startsWith(QLatin1Char('/')))
        return true;
    const QUrl url(address, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("file"))
        return url.isLocalFile();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}
} // namespace

struct StreamCaptureDevice::Worker {
    QString address;
    BlockSink sink;
    LogLine log;
    Pace pace = Pace::RealTime;
    std::chrono::milliseconds timeout;
    bool keepPackets = false;
    std::shared_ptr<std::atomic_bool> levelsWanted;
    // A codec that cannot be kept as sent has been reported.
    bool fallbackReported = false;

    std::atomic<bool> stopping{false};
    std::mutex mutex;
    std::condition_variable wake;
    std::thread thread;

    // The block rate, chosen at the first opening and kept until stop,
    // and the decoded samples' blocks at that rate.
    int rate = 0;
    std::optional<BlockAssembler> blocks;
    std::optional<QString> pendingTitle;
    std::optional<QString> lastTitle;
    // Pace of the current opening.
    SteadyClock::time_point openedAt;
    std::int64_t framesDelivered = 0;

    void say(const QString &line) const
    {
        if (log)
            log(line);
    }

    // Waits until `until`; true when stop() came first.
    bool waitUntil(SteadyClock::time_point until)
    {
        std::unique_lock lock(mutex);
        return wake.wait_until(lock, until, [this] { return stopping.load(); });
    }

    void beginBlocks()
    {
        blocks.emplace(WaveFormat::pcm(std::uint32_t(rate), 2, 16), std::size_t(rate) * kBlockMilliseconds / 1000 * 4,
                       [this](CaptureBlockPtr block) { return deliver(std::move(block)); });
    }

    // Hands the block over (when stop() has not come, and in real time
    // not ahead of the clock by more than the burst).
    bool deliver(CaptureBlockPtr block)
    {
        const std::int64_t frames = std::int64_t(block->sampleBytes() / 4);
        if (!keepPace(frames))
            return false;
        if (pendingTitle)
            block->setStationTitle(*std::exchange(pendingTitle, std::nullopt));
        sink(std::move(block));
        framesDelivered += frames;
        return true;
    }

    // Hands over the decoded samples gathered so far; false on stop().
    bool deliverPending() { return blocks->flush() && !stopping; }

    // Real time: holds back until the frames about to be delivered are
    // no further ahead of the clock than the burst. False on stop().
    bool keepPace(std::int64_t frames)
    {
        if (pace == Pace::RealTime) {
            const auto ahead = std::chrono::microseconds((framesDelivered + frames) * 1'000'000 / rate) - kBurst;
            if (ahead.count() > 0 && waitUntil(openedAt + ahead))
                return false;
        }
        return !stopping;
    }

    // One packet kept as sent, in a block of its own so that every split
    // falls between packets, with its decoded samples when there are any.
    bool deliverPacket(const std::shared_ptr<const PacketFormat> &format, StreamPacket packet,
                       const std::vector<std::int16_t> &samples)
    {
        // Decoded audio from before (a codec that could not be kept) first.
        if (!blocks->flush())
            return false;
        const std::int64_t frames = packet.samples * rate / format->granuleRate();
        if (!keepPace(frames))
            return false;
        auto captured = std::make_unique<CaptureBlock>(WaveFormat::pcm(std::uint32_t(rate), 2, 16), samples.data(),
                                                       std::uint32_t(samples.size() * sizeof(std::int16_t)));
        captured->setPacket(format, std::move(packet));
        if (pendingTitle)
            captured->setStationTitle(*std::exchange(pendingTitle, std::nullopt));
        sink(std::move(captured));
        framesDelivered += frames;
        return true;
    }

    bool add(const std::vector<std::int16_t> &samples)
    {
        return blocks->add(reinterpret_cast<const std::uint8_t *>(samples.data()),
                           samples.size() * sizeof(std::int16_t));
    }

    // The title to mark the next block with: a new one, or after an
    // opening the one known before it.
    void takeTitle(StreamDecoder &decoder, bool atOpen)
    {
        std::optional<QString> title = decoder.takeTitle();
        if (title && title != lastTitle) {
            if (!title->isEmpty())
                say(QStringLiteral("Station title: %1").arg(*title));
            lastTitle = title;
            pendingTitle = std::move(title);
        } else if (atOpen && lastTitle) {
            pendingTitle = lastTitle;
        }
    }

    // Plays one opening to its end; the reason it ended, or nullopt on stop.
    std::optional<QString> play(StreamDecoder &decoder, ReconnectDelay &delay)
    {
        openedAt = SteadyClock::now();
        framesDelivered = 0;
        std::int64_t framesDecoded = 0;
        // A server that trickles bytes that never make audio counts as
        // dropped after three read timeouts without a sample.
        SteadyClock::time_point lastAudio = openedAt;
        std::vector<std::int16_t> samples;
        QString reason;
        takeTitle(decoder, true);
        for (;;) {
            samples.clear();
            StreamPacket packet;
            StreamDecoder::Status status = keepPackets
                                               ? decoder.readPacket(rate, levelsWanted->load(), samples, packet, reason)
                                               : decoder.read(rate, samples, reason);
            if (auto note = decoder.takeNote())
                say(*note);
            reportFallback(decoder);
            if (!packet.data.isEmpty()) {
                takeTitle(decoder, false);
                const std::shared_ptr<const PacketFormat> format = decoder.packetFormat();
                const std::int64_t frames = packet.samples * rate / format->granuleRate();
                if (!deliverPacket(format, std::move(packet), samples))
                    return std::nullopt;
                framesDecoded += frames;
                lastAudio = SteadyClock::now();
            } else if (!samples.empty()) {
                // A title heard now marks the first block these samples reach.
                takeTitle(decoder, false);
                if (!add(samples))
                    return std::nullopt;
                framesDecoded += std::int64_t(samples.size() / 2);
                lastAudio = SteadyClock::now();
            }
            if (stopping)
                return std::nullopt;
            const auto silentFor = std::chrono::duration_cast<std::chrono::seconds>(SteadyClock::now() - lastAudio);
            if (status == StreamDecoder::Status::Audio && silentFor >= 3 * timeout) {
                status = StreamDecoder::Status::Failed;
                reason = QStringLiteral("no audio for %1 seconds").arg(silentFor.count());
            }
            if (status != StreamDecoder::Status::Audio) {
                delay.played(std::chrono::milliseconds(framesDecoded * 1000 / rate));
                // What was heard before the drop is kept.
                if (!deliverPending())
                    return std::nullopt;
                return reason;
            }
        }
    }

    // Packets wanted, but the codec cannot be kept as sent: said once.
    void reportFallback(const StreamDecoder &decoder)
    {
        if (!keepPackets || fallbackReported || decoder.packetFormat())
            return;
        fallbackReported = true;
        say(QStringLiteral("The stream's %1 cannot be kept as broadcast: recording it as MP3 (CD quality)")
                .arg(decoder.codecName()));
    }

    void run()
    {
        ReconnectDelay delay;
        while (!stopping) {
            StreamDecoder decoder([this] { return stopping.load(); }, timeout);
            QString reason;
            const bool opened = decoder.open(address, reason);
            if (stopping)
                return;
            // A station playlist's entries that did not open, by name: the
            // playlist itself may be fine.
            for (const QString &entry : decoder.takeFailedEntries())
                say(QStringLiteral("Stream could not be opened: %1").arg(entry));
            if (opened) {
                if (rate == 0) {
                    rate = outputRateFor(decoder.sampleRate());
                    beginBlocks();
                }
                say(QStringLiteral("Stream opened: %1 (%2, %3 Hz, %4 channels)")
                        .arg(cleanStationText(address.toUtf8()), decoder.codecName())
                        .arg(decoder.sampleRate())
                        .arg(decoder.channels()));
                const std::optional<QString> ended = play(decoder, delay);
                if (!ended)
                    return;
                say(QStringLiteral("Stream dropped: %1").arg(*ended));
            } else {
                say(QStringLiteral("Stream could not be opened: %1: %2")
                        .arg(cleanStationText(address.toUtf8()), reason));
            }
            const std::chrono::seconds wait = delay.next();
            say(wait.count() == 1 ? QStringLiteral("Reopening the stream in 1 second")
                                  : QStringLiteral("Reopening the stream in %1 seconds").arg(wait.count()));
            if (waitUntil(SteadyClock::now() + wait))
                return;
        }
    }
};

StreamCaptureDevice::StreamCaptureDevice(LogLine log, Pace pace) : m_log(std::move(log)), m_pace(pace)
{
}

StreamCaptureDevice::~StreamCaptureDevice()
{
    stop();
}

void StreamCaptureDevice::setTimeout(std::chrono::milliseconds timeout)
{
    m_timeout = timeout;
}

bool StreamCaptureDevice::start(const QString &address, BlockSink sink)
{
    stop();
    const QString normalized = normalizedAddress(address);
    if (!readableAddress(normalized))
        return false;
    m_worker = std::make_unique<Worker>();
    m_worker->address = normalized;
    m_worker->sink = std::move(sink);
    m_worker->log = m_log;
    m_worker->pace = m_pace;
    m_worker->timeout = m_timeout;
    m_worker->keepPackets = m_keepPackets;
    m_worker->levelsWanted = m_levelsWanted;
    m_worker->thread = std::thread([worker = m_worker.get()] { worker->run(); });
    return true;
}

void StreamCaptureDevice::stop()
{
    if (!m_worker)
        return;
    {
        std::lock_guard lock(m_worker->mutex);
        m_worker->stopping = true;
    }
    m_worker->wake.notify_all();
    if (m_worker->thread.joinable())
        m_worker->thread.join();
    m_worker.reset();
}

void StreamCaptureDevice::setLevelsWanted(bool wanted)
{
    m_levelsWanted->store(wanted);
}

} // namespace skywell
