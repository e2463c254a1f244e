#pragma once

#include "recording/streampacket.h"
#include "recording/waveformat.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace skywell
{

// One captured block, byte for byte as block processing reads it: the
// wave format header at 0, two unused bytes, the u32 count of sample bytes
// at 20 and the samples from 24 on (16-bit signed little-endian, or 8-bit).
class CaptureBlock final
{
public:
    static constexpr std::size_t kSampleCountOffset = 20;
    static constexpr std::size_t kSampleOffset = 24;

    CaptureBlock(const WaveFormat &format, const void *samples, std::uint32_t sampleBytes);
    // A block from raw bytes (at least the 24-byte head), as stored.
    explicit CaptureBlock(std::vector<std::uint8_t> bytes);

    WaveFormat format() const { return WaveFormat::readFrom(m_bytes.data()); }
    // The sample byte count the block claims (offset 20).
    std::uint32_t sampleBytes() const { return getU32(m_bytes.data() + kSampleCountOffset); }
    // The sample bytes the block really holds.
    std::size_t capacity() const { return m_bytes.size() - kSampleOffset; }
    // False when the count at offset 20 claims more than the block holds.
    bool isConsistent() const { return sampleBytes() <= capacity(); }

    const std::uint8_t *samples() const { return m_bytes.data() + kSampleOffset; }
    std::uint8_t *samples() { return m_bytes.data() + kSampleOffset; }
    const std::uint8_t *data() const { return m_bytes.data(); }
    std::uint8_t *data() { return m_bytes.data(); }
    std::size_t size() const { return m_bytes.size(); }

    // A stream source marks the first block heard under a station title
    // (and the first block after each reopening) with that title; an empty
    // title means the station cleared it. Blocks without a mark carry on
    // under the title before them.
    const std::optional<QString> &stationTitle() const { return m_stationTitle; }
    void setStationTitle(QString title) { m_stationTitle = std::move(title); }

    // A stream recorded as broadcast: the packet this block's samples were
    // decoded from, unchanged, and the format of the packets. Such a block
    // holds no samples when the packets are not decoded.
    const StreamPacket *packet() const { return m_packetFormat ? &m_packet : nullptr; }
    const std::shared_ptr<const PacketFormat> &packetFormat() const { return m_packetFormat; }
    void setPacket(std::shared_ptr<const PacketFormat> format, StreamPacket packet)
    {
        m_packetFormat = std::move(format);
        m_packet = std::move(packet);
    }

private:
    std::vector<std::uint8_t> m_bytes;
    std::optional<QString> m_stationTitle;
    std::shared_ptr<const PacketFormat> m_packetFormat;
    StreamPacket m_packet;
};

using CaptureBlockPtr = std::unique_ptr<CaptureBlock>;

} // namespace skywell
