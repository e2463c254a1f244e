#include "postprocess/oggdetails.h"

#include <QFile>
#include <QHash>

#include <cstdint>
#include <cstring>
#include <optional>

namespace skywell
{

namespace
{

constexpr qint64 kTailBytes = 64 * 1024;
constexpr qint64 kPageHeadBytes = 27;
constexpr std::int64_t kNoGranule = -1;

std::uint64_t le(const char *p, int bytes)
{
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | std::uint8_t(p[i]);
    return value;
}

// One page header: where it starts, its granule position and stream
// number, and how long header and body are.
struct Page {
    qint64 at = 0;
    bool firstOfStream = false;
    std::int64_t granule = kNoGranule;
    std::uint32_t serial = 0;
    qint64 headerBytes = 0;
    qint64 bodyBytes = 0;
    qint64 end() const { return at + headerBytes + bodyBytes; }
};

// The page header at offset at of data; nothing when none starts there or
// data ends inside it. The body may lie beyond data.
std::optional<Page> pageAt(const QByteArray &data, qint64 at)
{
    if (at + kPageHeadBytes > data.size() || std::memcmp(data.constData() + at, "OggS", 4) != 0 || data.at(at + 4) != 0)
        return std::nullopt;
    const char *h = data.constData() + at;
    Page page;
    page.at = at;
    page.firstOfStream = h[5] & 0x02;
    page.granule = std::int64_t(le(h + 6, 8));
    page.serial = std::uint32_t(le(h + 14, 4));
    const int segments = std::uint8_t(h[26]);
    page.headerBytes = kPageHeadBytes + segments;
    if (at + page.headerBytes > data.size())
        return std::nullopt;
    for (int i = 0; i < segments; ++i)
        page.bodyBytes += std::uint8_t(h[kPageHeadBytes + i]);
    return page;
}

// How a stream's granule positions turn into seconds.
struct Codec {
    double rate = 0;       // granule positions a second; 0: not Vorbis or Opus
    std::int64_t skip = 0; // Opus pre-skip: samples the decoder drops
    double seconds(std::int64_t granule) const
    {
        if (rate <= 0 || granule < 0)
            return 0;
        return double(std::max<std::int64_t>(granule - skip, 0)) / rate;
    }
};

// The codec of a stream from its identification packet.
Codec codecOf(const QByteArray &packet)
{
    Codec codec;
    if (packet.size() >= 16 && packet.startsWith("\x01vorbis"))
        codec.rate = double(le(packet.constData() + 12, 4));
    else if (packet.size() >= 12 && packet.startsWith("OpusHead")) {
        codec.rate = 48000;
        codec.skip = std::int64_t(le(packet.constData() + 10, 2));
    }
    return codec;
}

// The TITLE of a Vorbis comment packet (Vorbis or Opus); the packet may be
// cut short.
QString commentTitle(const QByteArray &packet)
{
    qint64 at = 0;
    if (packet.startsWith("\x03vorbis"))
        at = 7;
    else if (packet.startsWith("OpusTags"))
        at = 8;
    else
        return {};
    const auto field = [&packet, &at]() -> std::optional<QByteArray> {
        if (at + 4 > packet.size())
            return std::nullopt;
        const qint64 bytes = qint64(le(packet.constData() + at, 4));
        if (bytes > packet.size() - at - 4)
            return std::nullopt;
        const QByteArray text = packet.mid(at + 4, bytes);
        at += 4 + bytes;
        return text;
    };
    if (!field() || at + 4 > packet.size()) // the vendor
        return {};
    const std::uint64_t count = le(packet.constData() + at, 4);
    at += 4;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::optional<QByteArray> comment = field();
        if (!comment)
            break;
        const qsizetype equals = comment->indexOf('=');
        if (equals > 0 && comment->left(equals).compare("TITLE", Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(comment->mid(equals + 1)).trimmed();
    }
    return {};
}

// The first two packets of the first stream in head (identification and
// comments), as far as head holds them.
QList<QByteArray> headerPackets(const QByteArray &head, std::uint32_t serial)
{
    QList<QByteArray> packets{QByteArray()};
    for (std::optional<Page> page = pageAt(head, 0); page; page = pageAt(head, page->end())) {
        if (page->serial != serial)
            continue;
        qint64 at = page->at + page->headerBytes;
        for (qint64 i = 0; i < page->headerBytes - kPageHeadBytes && at < head.size(); ++i) {
            const int lace = std::uint8_t(head.at(page->at + kPageHeadBytes + i));
            packets.last() += head.mid(at, lace);
            at += lace;
            if (lace < 255) {
                if (packets.size() == 2)
                    return packets;
                packets << QByteArray();
            }
        }
    }
    return packets;
}

// The last page in data (the file's bytes from offset base on) that sets
// a granule position and is followed by another page or the file's end, so
// that "OggS" inside audio data does not pass for one.
std::optional<Page> lastGranulePage(const QByteArray &data, qint64 base, qint64 size)
{
    std::optional<Page> last;
    for (qint64 at = data.indexOf("OggS"); at >= 0; at = data.indexOf("OggS", at + 1)) {
        const std::optional<Page> page = pageAt(data, at);
        if (!page || page->granule == kNoGranule)
            continue;
        const bool followed = base + page->end() == size || data.mid(page->end(), 4) == QByteArrayLiteral("OggS");
        if (followed)
            last = page;
    }
    return last;
}

// Walks the page headers of the whole file: each stream's length from the
// last granule position it sets. Stops at the first spot that is no page.
double chainedSeconds(QFile &file, qint64 size)
{
    struct Link {
        Codec codec;
        std::int64_t granule = kNoGranule;
    };
    QHash<std::uint32_t, Link> links;
    QList<std::uint32_t> order;
    for (qint64 at = 0; at < size;) {
        if (!file.seek(at))
            break;
        QByteArray header = file.read(kPageHeadBytes);
        if (header.size() == kPageHeadBytes)
            header += file.read(std::uint8_t(header.at(26)));
        const std::optional<Page> page = pageAt(header, 0);
        if (!page)
            break;
        if (page->firstOfStream && !links.contains(page->serial)) {
            links.insert(page->serial, Link{codecOf(file.read(std::min<qint64>(page->bodyBytes, 32))), kNoGranule});
            order << page->serial;
        }
        if (page->granule != kNoGranule && links.contains(page->serial))
            links[page->serial].granule = page->granule;
        at += page->headerBytes + page->bodyBytes;
    }
    double seconds = 0;
    for (const std::uint32_t serial : std::as_const(order))
        seconds += links.value(serial).codec.seconds(links.value(serial).granule);
    return seconds;
}

} // namespace

OggDetails readOggDetails(QFile &file, const QByteArray &head)
{
    OggDetails details;
    const std::optional<Page> first = pageAt(head, 0);
    if (!first)
        return details;
    const QList<QByteArray> packets = headerPackets(head, first->serial);
    const Codec codec = codecOf(packets.first());
    if (packets.size() > 1)
        details.title = commentTitle(packets.at(1));
    if (codec.rate <= 0)
        return details;

    const qint64 size = file.size();
    const qint64 tailStart = std::max<qint64>(0, size - kTailBytes);
    if (!file.seek(tailStart))
        return details;
    const std::optional<Page> last = lastGranulePage(file.read(kTailBytes), tailStart, size);
    if (!last)
        return details;
    // Our writer never numbers two streams of a file alike: another number
    // at the end means the file holds several streams.
    details.seconds = last->serial == first->serial ? codec.seconds(last->granule) : chainedSeconds(file, size);
    return details;
}

} // namespace skywell
