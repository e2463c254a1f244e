#include "recording/audiofixtures.h"

#include "recording/id3tag.h"
#include "recording/mp3writer.h"
#include "recording/wavwriter.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <cmath>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace skywell::test
{

bool encodeNoise(const QString &path, double seconds, const QStringList &options, bool tagRoom)
{
    const QString stream = tagRoom ? path + QStringLiteral(".stream") : path;
    QString out;
    if (!runTool(QStringLiteral("ffmpeg"),
                 QStringList{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                             QStringLiteral("lavfi"), QStringLiteral("-i"),
                             QStringLiteral("anoisesrc=d=%1:a=0.3:c=pink").arg(seconds), QStringLiteral("-ac"),
                             QStringLiteral("2")} +
                     options + QStringList{stream},
                 &out))
        return false;
    if (!tagRoom)
        return true;
    QFile in(stream), file(path);
    if (!in.open(QIODevice::ReadOnly) || !file.open(QIODevice::WriteOnly))
        return false;
    const bool ok =
        file.write(id3v2Tag({}, Mp3Writer::kTagRoom)) == Mp3Writer::kTagRoom && file.write(in.readAll()) == in.size();
    in.remove();
    return ok;
}

std::vector<CaptureBlock> tone(double seconds, const WaveFormat &format)
{
    return toBlocks(format, toneSamples(format, seconds));
}

std::vector<CaptureBlock> silence(double seconds, const WaveFormat &format)
{
    std::vector<std::uint8_t> zeros(std::size_t(seconds * format.avgBytesPerSec) / format.blockAlign *
                                        format.blockAlign,
                                    format.bitsPerSample == 8 ? 128 : 0);
    return toBlocks(format, zeros);
}

std::vector<CaptureBlock> operator+(std::vector<CaptureBlock> a, const std::vector<CaptureBlock> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

double soxSeconds(const QString &path)
{
    QString out;
    EXPECT_TRUE(runTool(QStringLiteral("soxi"), {QStringLiteral("-D"), path}, &out)) << out.toStdString();
    return out.trimmed().toDouble();
}

double soxRms(const QString &path)
{
    QString out;
    runTool(QStringLiteral("sox"), {path, QStringLiteral("-n"), QStringLiteral("stat")}, &out);
    const auto match = QRegularExpression(QStringLiteral("RMS\\s+amplitude:\\s+([0-9.]+)")).match(out);
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

DecodedAudio decodeWithFfmpeg(const QString &path)
{
    const QString wav = path + QStringLiteral(".decoded.wav");
    DecodedAudio decoded;
    runTool(QStringLiteral("ffmpeg"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-i"), path, wav},
            &decoded.complaints);
    QString seconds;
    if (runTool(QStringLiteral("soxi"), {QStringLiteral("-D"), wav}, &seconds))
        decoded.seconds = seconds.trimmed().toDouble();
    QFile::remove(wav);
    return decoded;
}

Mp3Probe probeMp3(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("ffprobe"),
                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_format"),
                   QStringLiteral("-print_format"), QStringLiteral("json=sv=fail"), path});
    Mp3Probe result;
    if (!process.waitForFinished(60000))
        return result;
    result.errors = QString::fromUtf8(process.readAllStandardError());
    const QJsonObject format =
        QJsonDocument::fromJson(process.readAllStandardOutput()).object()[QStringLiteral("format")].toObject();
    result.ok = process.exitCode() == 0 && result.errors.isEmpty() &&
                format[QStringLiteral("format_name")].toString() == QStringLiteral("mp3");
    result.duration = format[QStringLiteral("duration")].toString().toDouble();
    result.tags = format[QStringLiteral("tags")].toObject();
    return result;
}

QString id3v1Field(const QString &path, int offset)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 128 || !file.seek(file.size() - 128))
        return {};
    const QByteArray tag = file.read(128);
    if (!tag.startsWith("TAG"))
        return {};
    const QByteArray field = tag.mid(offset, 30);
    return QString::fromLatin1(field.left(field.indexOf('\0') < 0 ? 30 : field.indexOf('\0')));
}

std::vector<std::uint8_t> toneSamples(const WaveFormat &format, double seconds, double hz, bool leftOnly)
{
    const auto frames = std::size_t(seconds * format.samplesPerSec);
    const int bytes = format.bitsPerSample / 8;
    std::vector<std::uint8_t> out(frames * format.channels * std::size_t(bytes));
    std::size_t at = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double v = 0.5 * std::sin(2 * M_PI * hz * double(i) / format.samplesPerSec);
        for (int c = 0; c < format.channels; ++c) {
            const double value = (leftOnly && c == 1) ? 0.0 : v;
            if (bytes == 1) {
                out[at++] = std::uint8_t(std::int8_t(std::lround(value * 127)));
            } else {
                const auto s = std::int16_t(std::lround(value * 32767));
                putU16(&out[at], std::uint16_t(s));
                at += 2;
            }
        }
    }
    return out;
}

std::vector<CaptureBlock> toBlocks(const WaveFormat &format, const std::vector<std::uint8_t> &samples, int milliseconds)
{
    std::vector<CaptureBlock> blocks;
    const std::size_t step = std::size_t(format.samplesPerSec) * std::size_t(milliseconds) / 1000 * format.blockAlign;
    for (std::size_t at = 0; at < samples.size(); at += step) {
        const std::size_t n = std::min(step, samples.size() - at);
        blocks.emplace_back(format, samples.data() + at, std::uint32_t(n));
    }
    return blocks;
}

void writeWav(const QString &path, const WaveFormat &format, const std::vector<std::uint8_t> &samples)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    const std::vector<std::uint8_t> header = wavHeader(format, std::uint32_t(samples.size()));
    file.write(reinterpret_cast<const char *>(header.data()), qint64(header.size()));
    file.write(reinterpret_cast<const char *>(samples.data()), qint64(samples.size()));
}

ScopedDiskFull::ScopedDiskFull(int fd) : m_fd(fd)
{
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    if (full < 0)
        return;
    m_saved = ::dup(fd);
    if (m_saved >= 0)
        ::dup2(full, fd);
    ::close(full);
}

ScopedDiskFull::~ScopedDiskFull()
{
    if (m_saved < 0)
        return;
    ::dup2(m_saved, m_fd);
    ::close(m_saved);
}

} // namespace skywell::test
