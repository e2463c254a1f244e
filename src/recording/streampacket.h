#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace skywell
{

// The codecs whose packets a recording keeps as the station sent them.
enum class PacketCodec {
    Mp3,    // MPEG audio layer III frames
    Aac,    // AAC / HE-AAC in ADTS frames (each packet starts with its ADTS header)
    Vorbis, // Vorbis packets, written into Ogg
    Opus,   // Opus packets, written into Ogg
};

// What a stream's packets are: the codec, its rate and channels, and the
// header packets the codec needs ahead of its audio (Vorbis: the
// identification, comment and setup headers; Opus: the OpusHead packet;
// none for MP3 and AAC). Two formats that differ in any of these belong
// to different tracks.
struct PacketFormat {
    PacketCodec codec = PacketCodec::Mp3;
    int sampleRate = 0;
    int channels = 0;
    std::vector<QByteArray> headers;

    bool operator==(const PacketFormat &) const = default;

    // The rate the packets' sample counts are given in: 48000 for Opus,
    // otherwise the sample rate.
    int granuleRate() const { return codec == PacketCodec::Opus ? 48000 : sampleRate; }
};

// One packet exactly as received: an MP3 frame, an ADTS frame (header,
// CRC and all), a Vorbis or Opus packet.
struct StreamPacket {
    QByteArray data;
    // How many samples it decodes to, at the format's granuleRate().
    std::int64_t samples = 0;
};

// Whether packets of b may go on in a track begun with a's: the same
// codec, rate, channels and setup. Vorbis comments may differ (an Ogg
// stream names each song in a new link of its own).
inline bool continuesTrack(const PacketFormat &a, const PacketFormat &b)
{
    if (a.codec != b.codec || a.sampleRate != b.sampleRate || a.channels != b.channels ||
        a.headers.size() != b.headers.size())
        return false;
    for (std::size_t i = 0; i < a.headers.size(); ++i)
        if (!(a.codec == PacketCodec::Vorbis && i == 1) && a.headers[i] != b.headers[i])
            return false;
    return true;
}

// The extension of a track file holding this codec: "mp3", "aac", "ogg"
// (Vorbis) or "opus".
QString packetFileExtension(PacketCodec codec);

} // namespace skywell
