#include "recording/streampacket.h"

namespace skywell
{

QString packetFileExtension(PacketCodec codec)
{
    switch (codec) {
    case PacketCodec::Mp3:
        return QStringLiteral("mp3");
    case PacketCodec::Aac:
        return QStringLiteral("aac");
    case PacketCodec::Vorbis:
        return QStringLiteral("ogg");
    case PacketCodec::Opus:
        return QStringLiteral("opus");
    }
    return QStringLiteral("mp3");
}

} // namespace skywell
