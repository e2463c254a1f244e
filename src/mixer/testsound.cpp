#include "mixer/testsound.h"

#include "recording/waveformat.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace skywell
{

namespace
{
constexpr std::uint32_t kRate = 44100;
constexpr double kSeconds = 0.4;
// Loud enough that a monitor at a low volume still moves far past the
// test's threshold, with room below full scale for resampling.
constexpr double kAmplitude = 0.7;
constexpr double kStartHz = 400.0;
constexpr double kEndHz = 2400.0;
constexpr double kFadeSeconds = 0.01;

std::vector<std::uint8_t> sweepWav()
{
    const WaveFormat format = WaveFormat::pcm(kRate, 2, 16);
    const auto frames = std::uint32_t(kSeconds * kRate);
    const std::uint32_t dataBytes = frames * format.blockAlign;
    std::vector<std::uint8_t> bytes(44 + dataBytes);
    std::uint8_t *p = bytes.data();
    std::memcpy(p, "RIFF", 4);
    putU32(p + 4, 36 + dataBytes);
    std::memcpy(p + 8, "WAVEfmt ", 8);
    putU32(p + 16, 16);
    putU16(p + 20, format.formatTag);
    putU16(p + 22, format.channels);
    putU32(p + 24, format.samplesPerSec);
    putU32(p + 28, format.avgBytesPerSec);
    putU16(p + 32, format.blockAlign);
    putU16(p + 34, format.bitsPerSample);
    std::memcpy(p + 36, "data", 4);
    putU32(p + 40, dataBytes);

    double phase = 0.0;
    for (std::uint32_t i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        const double hz = kStartHz + (kEndHz - kStartHz) * t / kSeconds;
        phase += 2.0 * std::numbers::pi * hz / kRate;
        // Short fades keep the ends from clicking.
        const double fade = std::min({1.0, t / kFadeSeconds, (kSeconds - t) / kFadeSeconds});
        const auto value = std::int16_t(std::lround(std::sin(phase) * kAmplitude * fade * 32767.0));
        for (int channel = 0; channel < 2; ++channel)
            putU16(p + 44 + i * 4 + channel * 2, std::uint16_t(value));
    }
    return bytes;
}
} // namespace

QString testSoundPath(const QString &programFolder)
{
    return programFolder + QStringLiteral("zoom.wav");
}

bool ensureTestSound(const QString &path, QString *error)
{
    if (QFile::exists(path))
        return true;
    const std::vector<std::uint8_t> bytes = sweepWav();
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) &&
        file.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size())) == qint64(bytes.size()) &&
        file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace skywell
