#include "recording/packetwriter.h"

#include "recording/framepacketwriter.h"
#include "recording/oggpacketwriter.h"

#include <QFile>

namespace skywell
{

std::unique_ptr<PacketWriter> makePacketWriter(PacketCodec codec)
{
    if (codec == PacketCodec::Vorbis || codec == PacketCodec::Opus)
        return std::make_unique<OggPacketWriter>();
    return std::make_unique<FramePacketWriter>();
}

std::optional<QString> sniffPacketFileExtension(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray head = file.read(10);
    if (head.size() == 10 && head.startsWith("ID3")) {
        // Skip the tag: its size in four 7-bit bytes, a footer when flagged.
        qint64 size = 0;
        for (int i = 6; i < 10; ++i)
            size = size << 7 | (head[i] & 0x7F);
        const qint64 footer = (head[5] & 0x10) ? 10 : 0;
        if (!file.seek(10 + size + footer))
            return std::nullopt;
        head = file.read(10);
    }
    // The first Ogg page: its segment table, then the first packet.
    if (head.startsWith("OggS")) {
        head += file.read(27 + 255 + 8);
        if (head.size() < 27)
            return std::nullopt;
        const QByteArray packet = head.mid(27 + std::uint8_t(head[26]));
        if (packet.startsWith(QByteArray("\x01vorbis", 7)))
            return QStringLiteral("ogg");
        if (packet.startsWith("OpusHead"))
            return QStringLiteral("opus");
        return std::nullopt;
    }
    if (head.size() < 4 || std::uint8_t(head[0]) != 0xFF)
        return std::nullopt;
    const std::uint8_t second = std::uint8_t(head[1]);
    // ADTS: twelve sync bits and layer 0; MPEG audio: eleven and a layer.
    if ((second & 0xF6) == 0xF0)
        return QStringLiteral("aac");
    if ((second & 0xE0) == 0xE0 && (second & 0x06) != 0)
        return QStringLiteral("mp3");
    return std::nullopt;
}

} // namespace skywell
