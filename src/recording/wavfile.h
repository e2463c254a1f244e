#pragma once

#include "recording/waveformat.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace skywell
{

// A PCM WAV file read whole: its format chunk and its sample bytes.
struct WavData {
    WaveFormat format;
    QByteArray samples;
    // The size fields of the RIFF header and the data chunk as stored.
    std::uint32_t riffSize = 0;
    std::uint32_t dataSize = 0;

    double seconds() const;
};

// Reads a RIFF/WAVE file with PCM samples. A data chunk whose stated size
// runs past the end of the file yields the bytes that are there. Returns
// nothing (and the reason in error) for anything that is not such a file.
std::optional<WavData> readWavFile(const QString &path, QString *error = nullptr);

} // namespace skywell
