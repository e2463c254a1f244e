#include "recording/trackwriter.h"

#include "recording/id3tag.h"
#include "recording/mp3settings.h"
#include "recording/mp3writer.h"
#include "recording/packetwriter.h"
#include "recording/wavwriter.h"

namespace skywell
{

namespace
{

// WAV converted to CD format.
class WavTrackWriter final : public TrackWriter
{
public:
    explicit WavTrackWriter(std::uint32_t limit) : m_wav(limit) {}

    WriteOutcome open(const QString &path, const CaptureBlock &first) override { return m_wav.open(path, first, true); }
    WriteOutcome write(const CaptureBlock &block) override { return m_wav.write(block); }
    bool wouldExceedLimit(const CaptureBlock &block) const override { return m_wav.wouldExceedLimit(block); }
    bool close(const TagFields &) override
    {
        const std::uint32_t before = m_wav.dataBytes();
        const std::uint32_t bytes = m_wav.close();
        // 0 after samples were written: the header or the file was lost.
        return !m_wav.hadWriteError() && (bytes > 0 || before == 0);
    }
    QStringList takeErrors() override { return m_wav.takeErrors(); }
    bool isOpen() const override { return m_wav.isOpen(); }
    std::uint64_t bytesWritten() const override { return m_wav.dataBytes(); }

private:
    WavWriter m_wav;
};

class Mp3TrackWriter final : public TrackWriter
{
public:
    explicit Mp3TrackWriter(int quality) : m_quality(quality) {}

    WriteOutcome open(const QString &path, const CaptureBlock &first) override
    {
        return m_mp3.open(path, first, m_quality);
    }
    WriteOutcome write(const CaptureBlock &block) override { return m_mp3.write(block); }
    bool close(const TagFields &tags) override
    {
        const bool wasOpen = m_mp3.isOpen();
        const std::uint32_t bytes = m_mp3.close(tags);
        return !wasOpen || (bytes > 0 && !m_mp3.hadWriteError());
    }
    QStringList takeErrors() override { return m_mp3.takeErrors(); }
    bool isOpen() const override { return m_mp3.isOpen(); }
    std::uint64_t bytesWritten() const override { return m_mp3.count(); }
    bool encodesMp3() const override { return true; }

private:
    Mp3Writer m_mp3;
    int m_quality;
};

// The blocks' packets as sent, by the packet writer of their codec, made
// anew for each file.
class PacketTrackWriter final : public TrackWriter
{
public:
    WriteOutcome open(const QString &path, const CaptureBlock &first) override
    {
        const std::shared_ptr<const PacketFormat> &format = first.packetFormat();
        m_packets = format ? makePacketWriter(format->codec) : nullptr;
        return m_packets ? m_packets->open(path, *format) : WriteOutcome{false, 0};
    }
    WriteOutcome write(const CaptureBlock &block) override
    {
        if (!m_packets || !block.packet())
            return {false, 0};
        return m_packets->write(*block.packet());
    }
    bool close(const TagFields &tags) override
    {
        return !isOpen() || (m_packets->close(tags) && !m_packets->hadWriteError());
    }
    QStringList takeErrors() override { return m_packets ? m_packets->takeErrors() : QStringList(); }
    bool isOpen() const override { return m_packets && m_packets->isOpen(); }
    std::uint64_t bytesWritten() const override { return m_packets ? m_packets->bytesWritten() : 0; }

private:
    std::unique_ptr<PacketWriter> m_packets;
};

} // namespace

std::unique_ptr<TrackWriter> makeTrackWriter(std::uint32_t outputFlags, const CaptureBlock &first,
                                             std::uint32_t wavLimit)
{
    if (first.packetFormat())
        return std::make_unique<PacketTrackWriter>();
    if (const int quality = mp3QualityForFlags(outputFlags); quality >= 0)
        return std::make_unique<Mp3TrackWriter>(quality);
    return std::make_unique<WavTrackWriter>(wavLimit);
}

} // namespace skywell
