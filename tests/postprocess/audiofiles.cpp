#include "postprocess/audiofiles.h"

#include <QFile>
#include <QtEndian>

namespace skywell::test
{

bool makeWav(const QString &path, double seconds, int rate, int channels)
{
    return runTool(QStringLiteral("sox"),
                   {QStringLiteral("-n"), QStringLiteral("-r"), QString::number(rate), QStringLiteral("-b"),
                    QStringLiteral("16"), QStringLiteral("-c"), QString::number(channels), path,
                    QStringLiteral("synth"), QString::number(seconds), QStringLiteral("sine"), QStringLiteral("440"),
                    QStringLiteral("vol"), QStringLiteral("0.5")});
}

bool makeMp3(const QString &path, double seconds, int rate, int channels)
{
    const QString wav = path + QStringLiteral(".source.wav");
    const bool ok = makeWav(wav, seconds, rate, channels) &&
                    runTool(QStringLiteral("lame"),
                            {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("64"), wav, path});
    QFile::remove(wav);
    return ok;
}

bool makeBroadcastTrack(const QString &path, double seconds, const QString &title, int serial)
{
    QStringList codec{QStringLiteral("-c:a"), QStringLiteral("aac"),          QStringLiteral("-f"),
                      QStringLiteral("adts"), QStringLiteral("-write_id3v2"), QStringLiteral("1")};
    if (path.endsWith(QLatin1String(".ogg")))
        codec = QStringList{QStringLiteral("-c:a"), QStringLiteral("libvorbis")};
    else if (path.endsWith(QLatin1String(".opus")))
        codec = QStringList{QStringLiteral("-c:a"), QStringLiteral("libopus")};
    if (!path.endsWith(QLatin1String(".aac")))
        codec << QStringLiteral("-serial_offset") << QString::number(serial);
    return runTool(QStringLiteral("ffmpeg"),
                   QStringList{QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
                               QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                               QStringLiteral("-i"), QStringLiteral("sine=frequency=440:duration=%1").arg(seconds),
                               QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("-metadata"),
                               QStringLiteral("title=") + title} +
                       codec + QStringList{QStringLiteral("file:") + path});
}

double probeSeconds(const QString &path)
{
    QString output;
    if (!runTool(QStringLiteral("ffprobe"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                  QStringLiteral("format=duration"), QStringLiteral("-of"), QStringLiteral("csv=p=0"), path},
                 &output))
        return -1;
    bool ok = false;
    const double seconds = output.trimmed().toDouble(&ok);
    return ok ? seconds : -1;
}

std::optional<WavFormat> readWavFormat(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return std::nullopt;
    WavFormat format;
    bool haveFormat = false;
    while (true) {
        const QByteArray chunk = file.read(8);
        if (chunk.size() < 8)
            return std::nullopt;
        const quint32 size = qFromLittleEndian<quint32>(chunk.constData() + 4);
        if (chunk.startsWith("fmt ")) {
            const QByteArray body = file.read(size);
            if (body.size() < 16)
                return std::nullopt;
            format.channels = qFromLittleEndian<quint16>(body.constData() + 2);
            format.sampleRate = static_cast<int>(qFromLittleEndian<quint32>(body.constData() + 4));
            format.bitsPerSample = qFromLittleEndian<quint16>(body.constData() + 14);
            haveFormat = true;
        } else if (chunk.startsWith("data")) {
            format.dataBytes = size;
            return haveFormat ? std::optional<WavFormat>(format) : std::nullopt;
        } else {
            file.skip(size + (size & 1));
        }
    }
}

} // namespace skywell::test
