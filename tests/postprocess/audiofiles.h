#pragma once

#include "support/runtool.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace skywell::test
{

// A sine tone made by sox.
bool makeWav(const QString &path, double seconds, int rate = 44100, int channels = 2);
// An MP3 file made by lame from a sox tone.
bool makeMp3(const QString &path, double seconds, int rate = 22050, int channels = 1);

// A track as kept from a stream, made by ffmpeg from a tone: ADTS with an
// ID3v2 tag (".aac"), Ogg Vorbis (".ogg") or Ogg Opus (".opus") by the
// extension, titled title. Streams numbered from serial on (Ogg).
bool makeBroadcastTrack(const QString &path, double seconds, const QString &title, int serial = 0);
// The length of the audio file at path as ffprobe reads it; -1 when it
// cannot.
double probeSeconds(const QString &path);

struct WavFormat {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    qint64 dataBytes = 0;
};
// The format of a RIFF WAVE file read from its header.
std::optional<WavFormat> readWavFormat(const QString &path);

} // namespace skywell::test
