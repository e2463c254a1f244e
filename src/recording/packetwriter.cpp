#include "recording/packetwriter.h"

#include "recording/framepacketwriter.h"
#include "recording/oggpacketwriter.h"

namespace skywell
{

std::unique_ptr<PacketWriter> makePacketWriter(PacketCodec codec)
{
    if (codec == PacketCodec::Vorbis || codec == PacketCodec::Opus)
        return std::make_unique<OggPacketWriter>();
    return std::make_unique<FramePacketWriter>();
}

} // namespace skywell
