#pragma once

#include "recording/filepacketwriter.h"

namespace skywell
{

// MP3 or ADTS frames one after another, as received: an ID3v2.4 tag ahead
// (an empty, valid tag in reserved room at open, filled in place at close)
// and an ID3v1.1 tag at the end, no Xing or Info header. A packet that does
// not begin with a valid frame header of the codec is left out, so that
// the file stays playable (write() still says true: no write failed), and
// counted; the count is reported once at close.
class FramePacketWriter final : public FilePacketWriter
{
public:
    WriteOutcome open(const QString &path, const PacketFormat &format) override;
    WriteOutcome write(const StreamPacket &packet) override;
    bool close(const TagFields &tags) override;

private:
    bool validFrame(const QByteArray &data) const;

    // Where the audio begins: after the tag's room, or 0 when the room
    // could not be written at open.
    qsizetype m_audioStart = 0;
};

// Whether data begins with a valid MPEG audio layer III or ADTS header;
// an ADTS header must also give the packet's own length.
bool isMp3FrameHeader(const QByteArray &data);
bool isAdtsFrame(const QByteArray &data);

} // namespace skywell
