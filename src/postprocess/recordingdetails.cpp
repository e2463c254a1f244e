#include "postprocess/recordingdetails.h"

#include "postprocess/adtsframe.h"
#include "postprocess/mp3header.h"
#include "postprocess/oggdetails.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cstring>

namespace skywell
{

namespace
{

constexpr qint64 kHeadBytes = 64 * 1024;

std::uint32_t be32(const char *p)
{
    const auto *u = reinterpret_cast<const std::uint8_t *>(p);
    return std::uint32_t(u[0]) << 24 | std::uint32_t(u[1]) << 16 | std::uint32_t(u[2]) << 8 | u[3];
}

std::uint32_t le32(const char *p)
{
    const auto *u = reinterpret_cast<const std::uint8_t *>(p);
    return std::uint32_t(u[3]) << 24 | std::uint32_t(u[2]) << 16 | std::uint32_t(u[1]) << 8 | u[0];
}

std::uint32_t synchsafe(const char *p)
{
    const auto *u = reinterpret_cast<const std::uint8_t *>(p);
    return std::uint32_t(u[0] & 0x7F) << 21 | std::uint32_t(u[1] & 0x7F) << 14 | std::uint32_t(u[2] & 0x7F) << 7 |
           (u[3] & 0x7F);
}

double wavSeconds(const QByteArray &head, qint64 size)
{
    if (head.size() < 12 || std::memcmp(head.constData() + 8, "WAVE", 4) != 0)
        return -1;
    std::uint32_t byteRate = 0;
    for (qint64 at = 12; at + 8 <= head.size();) {
        const std::uint32_t bytes = le32(head.constData() + at + 4);
        if (std::memcmp(head.constData() + at, "fmt ", 4) == 0 && at + 20 <= head.size())
            byteRate = le32(head.constData() + at + 16);
        else if (std::memcmp(head.constData() + at, "data", 4) == 0)
            return byteRate == 0 ? -1 : double(std::min<qint64>(bytes, size - at - 8)) / byteRate;
        at += 8 + qint64(bytes) + (bytes & 1);
    }
    return -1;
}

// The text of a TIT2 frame's body: an encoding byte, then the text.
QString tagText(const QByteArray &body)
{
    if (body.isEmpty())
        return {};
    const QByteArray text = body.mid(1);
    QString decoded;
    switch (body.at(0)) {
    case 0:
        decoded = QString::fromLatin1(text);
        break;
    case 1:
        decoded = QStringDecoder(QStringDecoder::Utf16)(text);
        break;
    case 2:
        decoded = QStringDecoder(QStringDecoder::Utf16BE)(text);
        break;
    default:
        decoded = QString::fromUtf8(text);
    }
    // Several values are separated by NULs; the first is the title.
    return decoded.section(QChar(0), 0, 0).trimmed();
}

// The title of an ID3v2.3 or 2.4 tag that head starts with.
QString id3Title(const QByteArray &head, qint64 tagEnd)
{
    const int version = head.at(3);
    if (version != 3 && version != 4)
        return {};
    qint64 at = 10;
    if (head.at(5) & 0x40) // extended header
        at += version == 4 ? synchsafe(head.constData() + 10) : 4 + be32(head.constData() + 10);
    const qint64 end = std::min<qint64>(tagEnd, head.size());
    while (at + 10 <= end && head.at(at) != 0) {
        const char *frame = head.constData() + at;
        const qint64 bytes = version == 4 ? synchsafe(frame + 4) : be32(frame + 4);
        if (std::memcmp(frame, "TIT2", 4) == 0)
            return at + 10 + bytes <= head.size() ? tagText(head.mid(at + 10, bytes)) : QString();
        at += 10 + bytes;
    }
    return {};
}

double mp3Seconds(QFile &file, qint64 start, qint64 size)
{
    if (!file.seek(start))
        return -1;
    const QByteArray head = file.read(8192);
    const auto *h = reinterpret_cast<const std::uint8_t *>(head.constData());
    if (head.size() < 4 || !mp3FrameBytes(h))
        return -1;
    // An Info or Xing header (LAME, our writer) or a VBRI one counts the frames.
    const bool mpeg1 = ((h[1] >> 3) & 3) == 3;
    const bool mono = (h[3] >> 6) == 3;
    const qint64 xing = 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    if (head.size() >= xing + 12 &&
        (head.mid(xing, 4) == QByteArrayLiteral("Info") || head.mid(xing, 4) == QByteArrayLiteral("Xing")) &&
        (be32(head.constData() + xing + 4) & 1))
        return be32(head.constData() + xing + 8) * mp3FrameSeconds(h);
    if (head.size() >= 36 + 18 && head.mid(36, 4) == QByteArrayLiteral("VBRI"))
        return be32(head.constData() + 36 + 14) * mp3FrameSeconds(h);
    // Constant bitrate: the bytes of audio at the first frame's rate.
    qint64 audio = size - start;
    if (size >= 128 && file.seek(size - 128) && file.read(3) == QByteArrayLiteral("TAG"))
        audio -= 128;
    return double(audio) * 8 / (mp3FrameKbits(h) * 1000.0);
}

// The ADTS frame whose header is at that place of data, if one is.
std::optional<AdtsFrame> adtsFrameIn(const QByteArray &data, qint64 at)
{
    if (at + qint64(kAdtsHeaderBytes) > data.size())
        return std::nullopt;
    return adtsFrame(reinterpret_cast<const std::uint8_t *>(data.constData() + at));
}

// Walks the ADTS frame headers of the head of the audio: each frame holds
// 1024 samples a raw block at its header's rate. A file longer than the
// head is taken to go on at the bytes a second of the frames walked.
double adtsSeconds(QFile &file, qint64 start, qint64 size)
{
    qint64 end = size;
    if (size >= 128 && file.seek(size - 128) && file.read(3) == QByteArrayLiteral("TAG"))
        end -= 128;
    if (!file.seek(start))
        return -1;
    const QByteArray head = file.read(std::min(kHeadBytes, end - start));
    double seconds = 0;
    qint64 at = 0;
    while (const auto frame = adtsFrameIn(head, at)) {
        seconds += double(frame->samples) / frame->rate;
        at += frame->bytes;
    }
    if (at == 0)
        return -1;
    return at >= end - start ? seconds : seconds * double(end - start) / double(at);
}

} // namespace

RecordingDetails readRecordingDetails(const QString &path)
{
    RecordingDetails details;
    QFile file(path);
    if (!QFileInfo(path).isFile()) {
        details.problem = QStringLiteral("not a regular file");
        return details;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        details.problem = file.errorString();
        return details;
    }
    const qint64 size = file.size();
    const QByteArray head = file.read(kHeadBytes);
    if (head.startsWith("RIFF")) {
        details.seconds = wavSeconds(head, size);
        return details;
    }
    if (head.startsWith("OggS")) {
        const OggDetails ogg = readOggDetails(file, head);
        details.seconds = ogg.seconds;
        details.title = ogg.title;
        return details;
    }
    qint64 start = 0;
    if (head.size() >= 10 && head.startsWith("ID3")) {
        start = 10 + synchsafe(head.constData() + 6) + ((head.at(5) & 0x10) ? 10 : 0);
        details.title = id3Title(head, start);
    }
    // ADTS frames (AAC kept as broadcast) or else MPEG audio frames.
    const bool adts = file.seek(start) && adtsFrameIn(file.read(kAdtsHeaderBytes), 0);
    details.seconds = adts ? adtsSeconds(file, start, size) : mp3Seconds(file, start, size);
    return details;
}

} // namespace skywell
