#pragma once

#include "recording/outputfile.h"
#include "recording/packetwriter.h"

namespace skywell
{

// MP3 or ADTS frames one after another, as received: an ID3v2.4 tag ahead
// (an empty, valid tag in reserved room at open, filled in place at close)
// and an ID3v1.1 tag at the end, no Xing or Info header. A packet that does
// not begin with a valid frame header of the codec is left out, so that
// the file stays playable (write() still says true: no write failed), and
// counted; the count is reported once at close.
class FramePacketWriter final : public PacketWriter
{
public:
    bool open(const QString &path, const PacketFormat &format) override;
    bool write(const StreamPacket &packet) override;
    bool close(const TagFields &tags) override;
    bool hadWriteError() const override { return m_writeFailed; }
    QStringList takeErrors() override;

    bool isOpen() const override { return m_file.isOpen(); }
    int fileDescriptor() const override { return m_file.fd(); }
    int lastError() const override { return m_file.lastError(); }
    std::uint64_t bytesWritten() const override { return m_count; }

private:
    bool validFrame(const QByteArray &data) const;
    void noteWriteError();

    OutputFile m_file;
    QStringList m_errors;
    PacketCodec m_codec = PacketCodec::Mp3;
    std::uint64_t m_count = 0;
    int m_broken = 0;
    bool m_writeFailed = false;
    // Where the audio begins: after the tag's room, or 0 when the room
    // could not be written at open.
    qsizetype m_audioStart = 0;
    std::int64_t m_openedAt = 0;
};

// Whether data begins with a valid MPEG audio layer III or ADTS header;
// an ADTS header must also give the packet's own length.
bool isMp3FrameHeader(const QByteArray &data);
bool isAdtsFrame(const QByteArray &data);

} // namespace skywell
