#pragma once

#include "recording/streampacket.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>

namespace skywell::test
{

// A file's packets as FFmpeg's demuxer hands them on (ffprobe's view):
// the format with its header packets, each packet's bytes and samples.
struct DemuxedStream {
    PacketFormat format;
    std::vector<StreamPacket> packets;
};
std::optional<DemuxedStream> demuxPackets(const QString &path);

// Makes seconds of a 48 kHz stereo tone with the ffmpeg tool's encoder
// (libmp3lame, aac, libvorbis, libopus) into path.
bool encodeTone(const char *encoder, const QString &path, double seconds);

// "size md5" of each packet the ffmpeg tool copies out of the file
// (framemd5), in order; empty when it reports an error.
QStringList packetHashes(const QString &path);

// What the ffmpeg tool makes of decoding the whole file: the errors it
// reports and the seconds of audio.
struct Decoded {
    QString errors;
    double seconds = 0;
};
Decoded decodeFile(const QString &path);

// Seconds of audio that libvorbis's own decoder (oggdec) makes of a 48 kHz
// stereo Ogg Vorbis file. FFmpeg's decoder leaves out a first packet's
// worth by its own reckoning of where a stream starts.
double oggdecSeconds(const QString &path);

// What ffprobe reads of a file: the container's and the stream's tags,
// keys in lower case.
struct FileProbe {
    QString codec; // ffprobe's name of the first stream's codec
    QJsonObject tags;
    QString tag(const char *key) const { return tags[QLatin1String(key)].toString(); }
};
FileProbe probeFile(const QString &path);

} // namespace skywell::test
