#include "recording/streamwriter.h"

#include "recording/id3tag.h"
#include "recording/mp3writer.h"
#include "recording/packetwriter.h"
#include "recording/wavwriter.h"

namespace skywell
{

StreamWriter::StreamWriter(int mp3Quality, std::uint32_t wavLimit) : m_quality(mp3Quality)
{
    if (mp3Quality >= 0)
        m_mp3 = std::make_unique<Mp3Writer>();
    else
        m_wav = std::make_unique<WavWriter>(wavLimit);
}

StreamWriter::~StreamWriter() = default;

bool StreamWriter::open(const QString &path, const CaptureBlock &block)
{
    if (const std::shared_ptr<const PacketFormat> &format = block.packetFormat()) {
        m_packets = makePacketWriter(format->codec);
        return m_packets->open(path, *format);
    }
    m_packets.reset();
    return m_mp3 ? m_mp3->open(path, block, m_quality) : m_wav->open(path, block, true);
}

bool StreamWriter::write(const CaptureBlock &block)
{
    if (m_packets)
        return block.packet() && m_packets->write(*block.packet());
    return m_mp3 ? m_mp3->write(block) : m_wav->write(block);
}

bool StreamWriter::wouldExceedLimit(const CaptureBlock &block) const
{
    return m_wav && m_wav->wouldExceedLimit(block);
}

bool StreamWriter::close(const TagFields &tags)
{
    if (m_packets)
        return !m_packets->isOpen() || (m_packets->close(tags) && !m_packets->hadWriteError());
    if (m_mp3) {
        const bool wasOpen = m_mp3->isOpen();
        const std::uint32_t bytes = m_mp3->close(tags);
        return !wasOpen || (bytes > 0 && !m_mp3->hadWriteError());
    }
    const std::uint32_t before = m_wav->dataBytes();
    const std::uint32_t bytes = m_wav->close();
    // 0 after samples were written: the header or the file was lost.
    return !m_wav->hadWriteError() && (bytes > 0 || before == 0);
}

QStringList StreamWriter::takeErrors()
{
    if (m_packets)
        return m_packets->takeErrors();
    return m_mp3 ? m_mp3->takeErrors() : m_wav->takeErrors();
}

bool StreamWriter::isOpen() const
{
    if (m_packets)
        return m_packets->isOpen();
    return m_mp3 ? m_mp3->isOpen() : m_wav->isOpen();
}

int StreamWriter::fileDescriptor() const
{
    if (m_packets)
        return m_packets->fileDescriptor();
    return m_mp3 ? m_mp3->fileDescriptor() : m_wav->fileDescriptor();
}

int StreamWriter::lastError() const
{
    if (m_packets)
        return m_packets->lastError();
    return m_mp3 ? m_mp3->lastError() : m_wav->lastError();
}

std::uint64_t StreamWriter::bytesWritten() const
{
    if (m_packets)
        return m_packets->bytesWritten();
    return m_mp3 ? m_mp3->count() : m_wav->dataBytes();
}

} // namespace skywell
