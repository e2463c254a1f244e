#pragma once

#include "recording/captureblock.h"
#include "support/runtool.h"

#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <vector>

namespace skywell::test
{

// Sample bytes of a sine tone in the given layout. 8-bit samples are made
// signed, as block processing hands them to the writers. With leftOnly the
// right channel stays silent.
std::vector<std::uint8_t> toneSamples(const WaveFormat &format, double seconds, double hz = 440.0,
                                      bool leftOnly = false);

// Splits samples into blocks of about the given length.
std::vector<CaptureBlock> toBlocks(const WaveFormat &format, const std::vector<std::uint8_t> &samples,
                                   int milliseconds = 100);

inline const WaveFormat kCd = WaveFormat::pcm(44100, 2, 16);

// Blocks of a 440 Hz tone, and of digital silence.
std::vector<CaptureBlock> tone(double seconds, const WaveFormat &format = kCd);
std::vector<CaptureBlock> silence(double seconds, const WaveFormat &format = kCd);
// One run of blocks after the other.
std::vector<CaptureBlock> operator+(std::vector<CaptureBlock> a, const std::vector<CaptureBlock> &b);

// A sound file's length as sox reads it (failing the test when it cannot),
// and its RMS amplitude over the whole file (-1 when sox cannot tell).
double soxSeconds(const QString &path);
double soxRms(const QString &path);

// ffprobe's view of an MP3 file's container: its tags and duration. Texts
// that are not valid UTF-8 make ffprobe fail (sv=fail) rather than quietly
// mending them, so ok also says every tag text is valid UTF-8.
struct Mp3Probe {
    bool ok = false;
    QString errors;
    double duration = 0;
    QJsonObject tags;
    QString tag(const char *key) const { return tags[QLatin1String(key)].toString(); }
};
Mp3Probe probeMp3(const QString &path);

// The 128-byte ID3v1 tag's text field at offset (3 title, 33 artist, 63
// album), read as Latin-1 up to its first NUL; empty when the file does
// not end in a tag.
QString id3v1Field(const QString &path, int offset);

// Encodes seconds of pink noise with ffmpeg into path, options naming the
// codec and container. MP3 and ADTS streams get the empty ID3v2 room our
// writers leave ahead of them when tagRoom is set.
bool encodeNoise(const QString &path, double seconds, const QStringList &options, bool tagRoom = false);

// What ffmpeg makes of a file decoding it whole (every link of a chained
// Ogg file): the seconds it decodes to and what it complained about.
struct DecodedAudio {
    double seconds = -1;
    QString complaints;
};
DecodedAudio decodeWithFfmpeg(const QString &path);

// Writes a 16-bit PCM WAV file (for the file capture device and tools).
void writeWav(const QString &path, const WaveFormat &format, const std::vector<std::uint8_t> &samples);

// A full disk under an open file: while it lives, the descriptor writes to
// /dev/full; afterwards the real file is back in place.
class ScopedDiskFull
{
public:
    explicit ScopedDiskFull(int fd);
    ~ScopedDiskFull();
    ScopedDiskFull(const ScopedDiskFull &) = delete;
    ScopedDiskFull &operator=(const ScopedDiskFull &) = delete;
    bool active() const { return m_saved >= 0; }

private:
    int m_fd;
    int m_saved = -1;
};

} // namespace skywell::test
