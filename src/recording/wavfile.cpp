#include "recording/wavfile.h"

#include <QFile>

namespace skywell
{

double WavData::seconds() const
{
    return format.avgBytesPerSec ? double(samples.size()) / format.avgBytesPerSec : 0.0;
}

std::optional<WavData> readWavFile(const QString &path, QString *error)
{
    auto failed = [error](const QString &why) -> std::optional<WavData> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString());
    const QByteArray all = file.readAll();
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(all.constData());
    if (all.size() < 12 || !all.startsWith("RIFF") || all.mid(8, 4) != "WAVE")
        return failed(QStringLiteral("not a RIFF/WAVE file"));

    WavData wav;
    wav.riffSize = getU32(bytes + 4);
    bool haveFormat = false;
    qsizetype at = 12;
    while (at + 8 <= all.size()) {
        const QByteArray id = all.mid(at, 4);
        const std::uint32_t size = getU32(bytes + at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt ") {
            if (size < 16 || body + 16 > all.size())
                return failed(QStringLiteral("short format chunk"));
            wav.format = WaveFormat::readFrom(bytes + body);
            if (size < WaveFormat::kBytes)
                wav.format.extraSize = 0;
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat)
                return failed(QStringLiteral("data before format"));
            wav.dataSize = size;
            wav.samples = all.mid(body, qMin<qsizetype>(size, all.size() - body));
            if (wav.format.formatTag != WaveFormat::kPcm)
                return failed(QStringLiteral("not PCM"));
            return wav;
        }
        at = body + size + (size & 1);
    }
    return failed(QStringLiteral("no data chunk"));
}

} // namespace skywell
