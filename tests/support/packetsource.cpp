#include "support/packetsource.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <algorithm>

namespace skywell::test
{

namespace
{

// Runs a tool with the arguments given as words, "%1" standing for the
// file (no shell); its standard output when it exits with 0.
QByteArray run(const char *program, const char *arguments, const QString &path, QString *errors = nullptr)
{
    QStringList list = QString::fromLatin1(arguments).split(QLatin1Char(' '));
    list.replaceInStrings(QStringLiteral("%1"), path);
    QProcess process;
    process.start(QLatin1String(program), list);
    const bool ok =
        process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (errors) {
        *errors = QString::fromUtf8(process.readAllStandardError());
        if (!ok && errors->isEmpty())
            *errors = QLatin1String(program) + QStringLiteral(" failed");
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
            run("ffprobe", "-v error -select_streams a:0 -show_streams -show_packets -show_data -of json %1", path))
            .object();
    const QJsonObject stream = probe[QStringLiteral("streams")].toArray().first().toObject();
    const std::pair<const char *, PacketCodec> codecs[] = {{"mp3", PacketCodec::Mp3},
                                                           {"aac", PacketCodec::Aac},
                                                           {"vorbis", PacketCodec::Vorbis},
                                                           {"opus", PacketCodec::Opus}};
    const auto codec = std::find_if(std::begin(codecs), std::end(codecs), [&stream](const auto &c) {
        return stream[QStringLiteral("codec_name")].toString() == QLatin1String(c.first);
    });
    const QStringList timeBase = stream[QStringLiteral("time_base")].toString().split(QLatin1Char('/'));
    const std::int64_t num = timeBase.value(0).toLongLong(), den = timeBase.value(1).toLongLong();
    if (codec == std::end(codecs) || num <= 0 || den <= 0)
        return std::nullopt;
    DemuxedStream out;
    out.format.codec = codec->second;
    out.format.sampleRate = stream[QStringLiteral("sample_rate")].toString().toInt();
    out.format.channels = stream[QStringLiteral("channels")].toInt();
    const QByteArray extra = fromHexDump(stream[QStringLiteral("extradata")].toString());
    if (out.format.codec == PacketCodec::Vorbis)
        out.format.headers = xiphPackets(extra);
    else if (out.format.codec == PacketCodec::Opus)
        out.format.headers = {extra};
    for (const QJsonValue &value : probe[QStringLiteral("packets")].toArray()) {
        const QJsonObject packet = value.toObject();
        const std::int64_t duration = packet[QStringLiteral("duration")].toInteger();
        out.packets.push_back(
            {fromHexDump(packet[QStringLiteral("data")].toString()), duration * num * out.format.granuleRate() / den});
    }
    return out;
}

bool encodeTone(const char *encoder, const QString &path, double seconds)
{
    QString errors;
    const QByteArray arguments =
        "-v error -y -f lavfi -i sine=frequency=440:sample_rate=48000:duration=" + QByteArray::number(seconds) +
        " -ac 2 -c:a " + encoder + " %1";
    run("ffmpeg", arguments.constData(), path, &errors);
    return errors.isEmpty();
}

QStringList packetHashes(const QString &path)
{
    QString errors;
    const QByteArray out = run("ffmpeg", "-v error -i %1 -map 0:a -c copy -f framemd5 -", path, &errors);
    QStringList hashes;
    // "stream, dts, pts, duration, size, hash[, side data]": the times start
    // anew in each file, the side data says what the first packets skip.
    for (const QString &line : QString::fromUtf8(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char(','));
        if (errors.isEmpty() && !line.startsWith(QLatin1Char('#')) && fields.size() >= 6)
            hashes.append(fields[4].trimmed() + QLatin1Char(' ') + fields[5].trimmed());
    }
    return hashes;
}

Decoded decodeFile(const QString &path)
{
    // Mono 16-bit at 48 kHz: two bytes a sample.
    Decoded out;
    out.seconds = double(run("ffmpeg", "-v error -i %1 -ac 1 -ar 48000 -f s16le -", path, &out.errors).size()) / 96000;
    return out;
}

double oggdecSeconds(const QString &path)
{
    return double(run("oggdec", "-Q -R -o - %1", path).size()) / (4.0 * 48000);
}

FileProbe probeFile(const QString &path)
{
    const QJsonObject probe =
        QJsonDocument::fromJson(
            run("ffprobe", "-v error -show_entries format_tags:stream_tags:stream=codec_name -of json %1", path))
            .object();
    FileProbe out;
    QJsonArray holders = probe[QStringLiteral("streams")].toArray();
    out.codec = holders.first().toObject()[QStringLiteral("codec_name")].toString();
    holders.append(probe[QStringLiteral("format")]);
    for (const QJsonValue &holder : holders) {
        const QJsonObject tags = holder.toObject()[QStringLiteral("tags")].toObject();
        for (auto it = tags.begin(); it != tags.end(); ++it)
            out.tags[it.key().toLower()] = it.value();
    }
    return out;
}

} // namespace skywell::test
