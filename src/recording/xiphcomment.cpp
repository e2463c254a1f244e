#include "recording/xiphcomment.h"

#include "core/textcut.h"
#include "recording/id3tag.h"

#include <QDateTime>

#include <algorithm>
#include <numeric>
#include <vector>

namespace skywell
{

namespace
{

void putU32le(QByteArray &out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += char((value >> (8 * i)) & 0xFF);
}

std::uint32_t u32le(const QByteArray &data, qsizetype at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | std::uint8_t(data[at + i]);
    return value;
}

} // namespace

QByteArray xiphCommentVendor(const QByteArray &packet, const QByteArray &magic)
{
    if (!packet.startsWith(magic) || packet.size() < magic.size() + 4)
        return {};
    const std::uint32_t length = u32le(packet, magic.size());
    if (length > std::uint32_t(packet.size() - magic.size() - 4))
        return {};
    return packet.mid(magic.size() + 4, qsizetype(length));
}

QByteArray xiphCommentPacket(const QByteArray &magic, const QByteArray &vendor, const TagFields &fields,
                             bool framingBit, qsizetype size)
{
    std::vector<QByteArray> comments;
    const QString blank = QStringLiteral(" ");
    if (fields.title != blank && fields.artist != blank) {
        const std::pair<const char *, QString> texts[] = {
            {"TITLE=", cleanTagText(fields.title)},
            {"ARTIST=", cleanTagText(fields.artist)},
            {"ALBUM=", cleanTagText(fields.album)},
            {"TRACKNUMBER=", fields.trackNumber > 0 ? QString::number(fields.trackNumber) : QString()},
            {"DATE=",
             fields.recorded != 0
                 ? QDateTime::fromSecsSinceEpoch(fields.recorded).toString(QStringLiteral("yyyy-MM-dd'T'HH:mm"))
                 : QString()},
        };
        for (const auto &[name, text] : texts)
            if (!text.isEmpty())
                comments.push_back(QByteArray(name) + text.toUtf8());
    }
    const qsizetype fixed = magic.size() + 4 + vendor.size() + 4 + (framingBit ? 1 : 0);
    if (fixed > size)
        return {};
    // Shortest first: each comment takes what it needs up to an equal share
    // of the room left, so one long title cannot crowd out the rest.
    std::vector<std::size_t> order(comments.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&comments](std::size_t a, std::size_t b) { return comments[a].size() < comments[b].size(); });
    qsizetype room = size - fixed;
    std::vector<QByteArray> kept(comments.size());
    for (std::size_t n = 0; n < order.size(); ++n) {
        const qsizetype share = room / qsizetype(order.size() - n);
        const QByteArray &comment = comments[order[n]];
        const QByteArray cut = cutUtf8(comment, share - 4);
        // A comment cut into its name says nothing.
        if (cut.size() <= comment.indexOf('=') + 1)
            continue;
        kept[order[n]] = cut;
        room -= 4 + cut.size();
    }
    QByteArray packet = magic;
    putU32le(packet, std::uint32_t(vendor.size()));
    packet += vendor;
    const auto count = std::count_if(kept.begin(), kept.end(), [](const QByteArray &c) { return !c.isEmpty(); });
    putU32le(packet, std::uint32_t(count));
    for (const QByteArray &comment : kept) {
        if (comment.isEmpty())
            continue;
        putU32le(packet, std::uint32_t(comment.size()));
        packet += comment;
    }
    if (framingBit)
        packet += char(1);
    packet.append(size - packet.size(), '\0');
    return packet;
}

} // namespace skywell
