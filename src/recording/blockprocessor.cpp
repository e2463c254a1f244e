#include "recording/blockprocessor.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "recording/blocklevel.h"
#include "recording/capturequeue.h"
#include "recording/recordingports.h"
#include "recording/recordingsession.h"
#include "recording/silencerules.h"
#include "recording/streamtable.h"
#include "shows/recordsources.h"
#include "shows/show.h"

namespace skywell
{

BlockProcessor::BlockProcessor(RecordingSession &session, CaptureQueue &queue, const Settings &settings,
                               const Clock &clock, ActivityLog &log, TrackDelivery &delivery, SourceMixer *mixer,
                               std::uint32_t wavLimit)
    : m_session(session), m_queue(queue), m_settings(settings), m_clock(clock), m_log(log), m_delivery(delivery),
      m_files(settings, log, wavLimit), m_mixer(mixer), m_minimumTrackMs(kMinSavedTrackMs)
{
}

void BlockProcessor::processReadyBlocks()
{
    while (CaptureBlockPtr block = m_queue.takeBlock()) {
        processBlock(*block);
    }
}

void BlockProcessor::processBlock(CaptureBlock &block)
{
    if (m_testHandler) {
        m_testHandler(block);
        return;
    }
    RecordingSession &s = m_session;
    if (s.flags & OUT_NONE) {
        s.lastAudioTime = m_clock.now();
        return;
    }
    // Not capturing, or a block that claims more samples than it holds or
    // whose format describes no audio (no rate, channels, sample size or
    // byte rate to measure it by).
    const WaveFormat format = block.format();
    if (!s.capturing || !block.isConsistent() || format.avgBytesPerSec == 0 || format.samplesPerSec == 0 ||
        format.channels == 0 || format.bitsPerSample == 0)
        return;

    if (s.flags & OUT_AS_BROADCAST)
        followPacketFormat(block);
    if (block.stationTitle())
        followStationTitle(block);
    // Data from a stream is audio, however quiet: only a sound card's
    // silence tells that the player lost its stream.
    if (s.recordSource == kInternetStream)
        s.lastAudioTime = m_clock.now();

    const std::uint32_t sampleBytes = block.sampleBytes();
    const std::int64_t duration = blockMilliseconds(block);
    s.trackMs += duration;
    // The block that reaches the limit opens the new track.
    if (s.splitEverySeconds > 0 && s.trackMs / 1000 >= s.splitEverySeconds)
        startNextTrack();

    // A packet that was not decoded (or decoded to almost nothing) has no
    // level to measure: it counts as sound, never as silence.
    const bool measured = !block.packet() || sampleBytes > kMinMeasuredBytes;
    const BlockLevel level = measured ? measureLevel(block.samples(), sampleBytes) : BlockLevel{0, kSilenceThreshold};
    if (measured)
        Q_EMIT levelMeter(level.max);
    if (!level.silent())
        s.soundHeard = true;

    switch (silenceAction(s, level.silent(), duration)) {
    case SilenceAction::SplitAndDrop:
        startNextTrack();
        return;
    case SilenceAction::Drop:
        return;
    case SilenceAction::Keep:
        break;
    }
    if (!level.silent())
        s.lastAudioTime = m_clock.now();
    writeToStream(block, false);
}

std::int64_t BlockProcessor::blockMilliseconds(const CaptureBlock &block)
{
    const StreamPacket *packet = block.packet();
    if (!packet) {
        const WaveFormat format = block.format();
        return static_cast<std::int64_t>(std::uint64_t(block.sampleBytes()) * 1000 / format.avgBytesPerSec);
    }
    const int rate = block.packetFormat()->granuleRate();
    if (rate <= 0 || packet->samples <= 0)
        return 0;
    m_packetMicrosRest += packet->samples * 1'000'000 / rate;
    const std::int64_t ms = m_packetMicrosRest / 1000;
    m_packetMicrosRest %= 1000;
    return ms;
}

void BlockProcessor::followPacketFormat(const CaptureBlock &block)
{
    RecordingSession &s = m_session;
    const std::shared_ptr<const PacketFormat> &now = block.packetFormat();
    const std::shared_ptr<const PacketFormat> &track = s.trackPackets;
    if (now == track || (now && track && continuesTrack(*track, *now)))
        return;
    // Before the track has audio it simply takes the new kind.
    if (s.acceptedBlocks > 0) {
        m_log.logLine(QStringLiteral("The stream's format changed. Starting new track"));
        startNextTrack();
    }
    s.trackPackets = now;
}

void BlockProcessor::followStationTitle(const CaptureBlock &block)
{
    RecordingSession &s = m_session;
    const QString &title = *block.stationTitle();
    // A cleared title changes nothing: the last one is still the latest.
    if (title.isEmpty() || title == m_stationTitleNow)
        return;
    m_stationTitleNow = title;
    // The first title heard names the track.
    if (s.stationTitle.isEmpty()) {
        s.stationTitle = title;
        return;
    }
    if (title == s.stationTitle || !(s.flags & OPT_TITLE_SPLIT))
        return;
    // A piece too short to stand alone is not cut off: it carries on under
    // the newer title, joining the track that follows.
    if (s.trackMs < kMinTitleTrackMs) {
        s.stationTitle = title;
        return;
    }
    // The block under the new title opens the new track, named after it.
    m_log.logLine(QStringLiteral("The station's title changed:"), title);
    startNextTrack();
}

void BlockProcessor::writeToStream(CaptureBlock &block, bool afterLimitSplit)
{
    RecordingSession &s = m_session;
    int slot = findStream(s, block.data());
    if (slot < 0) {
        if (s.streamCount == RecordingSession::kMaxStreams) {
            if (!m_tooManyStreamsReported) {
                m_tooManyStreamsReported = true;
                s.addOutcome(QStringLiteral("Too many streams. Some data may be lost"));
                m_log.logLine(QStringLiteral("Maximum number of streams detected"));
            }
            return;
        }
        if (block.sampleBytes() <= kMinStreamBlockBytes && !block.packet())
            return;
        slot = s.streamCount++;
        std::copy_n(block.data(), WaveFormat::kBytes, s.streams.at(static_cast<std::size_t>(slot)).format.begin());
    }
    // A WAV file's sizes are 32-bit: the track ends before the file would
    // pass them, and the block opens the next track.
    if (!afterLimitSplit && m_files.mustEndBefore(s, slot, block)) {
        m_log.logLine(QStringLiteral("WAV file size limit reached. Starting new track"));
        startNextTrack();
        if (s.capturing)
            writeToStream(block, true);
        return;
    }

    ++s.acceptedBlocks;
    if (!m_files.ensureOpen(s, slot, block))
        return;
    if (block.format().bitsPerSample == 8) {
        std::uint8_t *bytes = block.samples();
        for (std::uint32_t i = 0; i < block.sampleBytes(); ++i)
            bytes[i] = static_cast<std::uint8_t>(bytes[i] - 128);
    }
    m_files.write(s, slot, block, m_clock.now());
}

} // namespace skywell
