#include "recording/framepacketwriter.h"

#include "recording/tracktags.h"

#include <QDateTime>

namespace skywell
{

namespace
{

QString codecName(PacketCodec codec)
{
    return codec == PacketCodec::Aac ? QStringLiteral("AAC") : QStringLiteral("MP3");
}

std::uint8_t byteAt(const QByteArray &data, qsizetype at)
{
    return std::uint8_t(data[at]);
}

} // namespace

bool isMp3FrameHeader(const QByteArray &data)
{
    if (data.size() < 4 || byteAt(data, 0) != 0xFF || (byteAt(data, 1) & 0xE0) != 0xE0)
        return false;
    const int version = (byteAt(data, 1) >> 3) & 3;
    const int layer = (byteAt(data, 1) >> 1) & 3;
    const int bitrateIndex = byteAt(data, 2) >> 4;
    const int rateIndex = (byteAt(data, 2) >> 2) & 3;
    // Layer III is 1; 1 is also the reserved version.
    if (version == 1 || layer != 1 || bitrateIndex == 15 || rateIndex == 3)
        return false;
    // A frame cut short (the last one before a drop) would not decode: its
    // length must be the one its header gives (free format cannot say).
    if (bitrateIndex == 0)
        return true;
    static constexpr int kMpeg1Kbits[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static constexpr int kMpeg2Kbits[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static constexpr int kMpeg1Rates[3] = {44100, 48000, 32000};
    const bool mpeg1 = version == 3;
    const int rate = kMpeg1Rates[rateIndex] / (mpeg1 ? 1 : version == 2 ? 2 : 4);
    const int kbits = mpeg1 ? kMpeg1Kbits[bitrateIndex] : kMpeg2Kbits[bitrateIndex];
    const int padding = (byteAt(data, 2) >> 1) & 1;
    return data.size() == (mpeg1 ? 144000 : 72000) * kbits / rate + padding;
}

bool isAdtsFrame(const QByteArray &data)
{
    if (data.size() < 7 || byteAt(data, 0) != 0xFF || (byteAt(data, 1) & 0xF6) != 0xF0)
        return false;
    const int length = (byteAt(data, 3) & 0x03) << 11 | byteAt(data, 4) << 3 | byteAt(data, 5) >> 5;
    return length == data.size();
}

WriteOutcome FramePacketWriter::open(const QString &path, const PacketFormat &format)
{
    startFile(format.codec, codecName(format.codec));
    m_audioStart = 0;
    if (m_codec != PacketCodec::Mp3 && m_codec != PacketCodec::Aac) {
        m_errors.append(QStringLiteral("Frames of this codec cannot be written as MP3 or AAC."));
        return m_file.outcome(false);
    }
    if (!createFile(path))
        return m_file.outcome(false);
    m_audioStart = reserveTrackTagRoom(m_file);
    return {};
}

bool FramePacketWriter::validFrame(const QByteArray &data) const
{
    return m_codec == PacketCodec::Aac ? isAdtsFrame(data) : isMp3FrameHeader(data);
}

WriteOutcome FramePacketWriter::write(const StreamPacket &packet)
{
    if (!m_file.isOpen())
        return m_file.outcome(false);
    if (!validFrame(packet.data)) {
        // Nothing failed: the file goes on without it.
        ++m_broken;
        return {};
    }
    if (!m_file.writeAll(packet.data.constData(), std::size_t(packet.data.size()))) {
        noteWriteError();
        return m_file.outcome(false);
    }
    m_count += std::uint64_t(packet.data.size());
    return {};
}

bool FramePacketWriter::close(const TagFields &tags)
{
    if (!m_file.isOpen())
        return false;
    reportBrokenPackets();
    if (!writeTrackTags(m_file, tags, m_audioStart, m_openedAt))
        noteWriteError();
    return closeFile();
}

} // namespace skywell
