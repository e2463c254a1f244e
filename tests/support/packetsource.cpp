#include "support/packetsource.h"

#include "support/runtool.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace skywell::test
{

namespace
{

QByteArray runForOutput(const QString &program, const QStringList &arguments, QString *errors = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    const bool ran = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    const bool ok = ran && process.exitCode() == 0;
    if (errors) {
        *errors = QString::fromUtf8(process.readAllStandardError());
        if (!ok && errors->isEmpty())
            *errors = program + QStringLiteral(" failed");
    }
    return ok ? process.readAllStandardOutput() : QByteArray();
}

// ffprobe's hex dump ("00000000: 4f70 7573 ...  OpusHead") back to bytes.
QByteArray fromHexDump(const QString &dump)
{
    QByteArray bytes;
    for (const QString &line : dump.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        bytes += QByteArray::fromHex(line.mid(10, 39).remove(QLatin1Char(' ')).toLatin1());
    return bytes;
}

// Xiph lacing (FFmpeg's Vorbis extradata): a count less one, the sizes of
// all but the last packet in 255-steps, then the packets.
std::vector<QByteArray> xiphPackets(const QByteArray &data)
{
    if (data.isEmpty())
        return {};
    const int count = std::uint8_t(data[0]) + 1;
    qsizetype at = 1;
    std::vector<qsizetype> sizes;
    for (int i = 0; i + 1 < count; ++i) {
        qsizetype size = 0;
        while (at < data.size() && std::uint8_t(data[at]) == 255)
            size += 255, ++at;
        if (at >= data.size())
            return {};
        size += std::uint8_t(data[at++]);
        sizes.push_back(size);
    }
    std::vector<QByteArray> packets;
    for (const qsizetype size : sizes) {
        packets.push_back(data.mid(at, size));
        at += size;
    }
    packets.push_back(data.mid(at));
    return packets;
}

} // namespace

std::optional<DemuxedStream> demuxPackets(const QString &path)
{
    const QJsonObject probe =
        QJsonDocument::fromJson(
            runForOutput(QStringLiteral("ffprobe"),
                         {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                          QStringLiteral("a:0"), QStringLiteral("-show_streams"), QStringLiteral("-show_packets"),
                          QStringLiteral("-show_data"), QStringLiteral("-of"), QStringLiteral("json"), path}))
            .object();
    const QJsonObject stream = probe[QStringLiteral("streams")].toArray().first().toObject();
    const QString codec = stream[QStringLiteral("codec_name")].toString();
    DemuxedStream out;
    if (codec == QStringLiteral("mp3"))
        out.format.codec = PacketCodec::Mp3;
    else if (codec == QStringLiteral("aac"))
        out.format.codec = PacketCodec::Aac;
    else if (codec == QStringLiteral("vorbis"))
        out.format.codec = PacketCodec::Vorbis;
    else if (codec == QStringLiteral("opus"))
        out.format.codec = PacketCodec::Opus;
    else
        return std::nullopt;
    out.format.sampleRate = stream[QStringLiteral("sample_rate")].toString().toInt();
    out.format.channels = stream[QStringLiteral("channels")].toInt();
    const QByteArray extra = fromHexDump(stream[QStringLiteral("extradata")].toString());
    if (out.format.codec == PacketCodec::Vorbis)
        out.format.headers = xiphPackets(extra);
    else if (out.format.codec == PacketCodec::Opus)
        out.format.headers = {extra};

    const QStringList timeBase = stream[QStringLiteral("time_base")].toString().split(QLatin1Char('/'));
    const std::int64_t num = timeBase.value(0).toLongLong(), den = timeBase.value(1).toLongLong();
    if (num <= 0 || den <= 0)
        return std::nullopt;
    for (const QJsonValue &value : probe[QStringLiteral("packets")].toArray()) {
        const QJsonObject packet = value.toObject();
        const std::int64_t duration = packet[QStringLiteral("duration")].toInteger();
        out.packets.push_back(
            {fromHexDump(packet[QStringLiteral("data")].toString()), duration * num * out.format.granuleRate() / den});
    }
    return out;
}

bool encodeTone(const QString &encoder, const QString &path, double seconds)
{
    return runTool(QStringLiteral("ffmpeg"),
                   {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                    QStringLiteral("lavfi"), QStringLiteral("-i"),
                    QStringLiteral("sine=frequency=440:sample_rate=48000:duration=%1").arg(seconds),
                    QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("-c:a"), encoder, path});
}

QStringList packetHashes(const QString &path)
{
    QString errors;
    const QByteArray out =
        runForOutput(QStringLiteral("ffmpeg"),
                     {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path, QStringLiteral("-map"),
                      QStringLiteral("0:a"), QStringLiteral("-c"), QStringLiteral("copy"), QStringLiteral("-f"),
                      QStringLiteral("framemd5"), QStringLiteral("-")},
                     &errors);
    QStringList hashes;
    if (!errors.isEmpty())
        return hashes;
    // "stream, dts, pts, duration, size, hash[, side data]": the times start
    // anew in each file, the side data says what the first packets skip.
    for (const QString &line : QString::fromUtf8(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char(','));
        if (!line.startsWith(QLatin1Char('#')) && fields.size() >= 6)
            hashes.append(fields[4].trimmed() + QLatin1Char(' ') + fields[5].trimmed());
    }
    return hashes;
}

Decoded decodeFile(const QString &path)
{
    // Mono 16-bit at 48 kHz: two bytes a sample.
    Decoded out;
    const QByteArray pcm =
        runForOutput(QStringLiteral("ffmpeg"),
                     {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path, QStringLiteral("-ac"),
                      QStringLiteral("1"), QStringLiteral("-ar"), QStringLiteral("48000"), QStringLiteral("-f"),
                      QStringLiteral("s16le"), QStringLiteral("-")},
                     &out.errors);
    out.seconds = double(pcm.size()) / 96000.0;
    return out;
}

double oggdecSeconds(const QString &path)
{
    const QByteArray pcm = runForOutput(QStringLiteral("oggdec"), {QStringLiteral("-Q"), QStringLiteral("-R"),
                                                                   QStringLiteral("-o"), QStringLiteral("-"), path});
    return double(pcm.size()) / (4.0 * 48000.0);
}

FileProbe probeFile(const QString &path)
{
    const QJsonObject probe =
        QJsonDocument::fromJson(
            runForOutput(QStringLiteral("ffprobe"),
                         {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                          QStringLiteral("format_tags:stream_tags"), QStringLiteral("-of"), QStringLiteral("json"),
                          path}))
            .object();
    FileProbe out;
    auto add = [&out](const QJsonObject &from) {
        for (auto it = from.begin(); it != from.end(); ++it)
            out.tags[it.key().toLower()] = it.value();
    };
    const QJsonObject format = probe[QStringLiteral("format")].toObject();
    add(format[QStringLiteral("tags")].toObject());
    for (const QJsonValue &stream : probe[QStringLiteral("streams")].toArray())
        add(stream.toObject()[QStringLiteral("tags")].toObject());
    return out;
}

} // namespace skywell::test
