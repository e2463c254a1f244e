#include "recording/id3tag.h"

#include "core/textcut.h"

#include <QDateTime>
#include <QList>

#include <algorithm>
#include <numeric>
#include <vector>

namespace skywell
{

namespace
{

constexpr qsizetype kFieldBytes = 30;

bool isMark(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
           category == QChar::Mark_Enclosing;
}

// Letters and punctuation that have no decomposition to a Latin-1 base.
char plainLookAlike(char32_t c)
{
    switch (c) {
    case U'Ł':
    case U'Ŀ':
        return 'L';
    case U'ł':
    case U'ŀ':
        return 'l';
    case U'Đ':
        return 'D';
    case U'đ':
        return 'd';
    case U'Ħ':
        return 'H';
    case U'ħ':
        return 'h';
    case U'Ŧ':
        return 'T';
    case U'ŧ':
        return 't';
    case U'ı':
        return 'i';
    case U'\u2010':
    case U'\u2011':
    case U'\u2012':
    case U'\u2013':
    case U'\u2014':
    case U'\u2015':
    case U'\u2212':
        return '-';
    case U'\u2018':
    case U'\u2019':
    case U'\u201A':
    case U'\u201B':
    case U'\u2032':
        return '\'';
    case U'\u201C':
    case U'\u201D':
    case U'\u201E':
    case U'\u201F':
    case U'\u2033':
        return '"';
    default:
        return 0;
    }
}

// One Latin-1 byte for a character outside Latin-1: its base letter when it
// decomposes to one plus marks ("ő" -> "o", "Ｄ" -> "D"), a plain look-alike
// for a few letters and typographic marks, else '?'.
char latin1StandIn(char32_t c)
{
    if (const char plain = plainLookAlike(c))
        return plain;
    const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD);
    QString base;
    for (const char32_t part : decomposed.toUcs4())
        if (!isMark(part))
            base += QString::fromUcs4(&part, 1);
    if (base.size() == 1 && base[0].unicode() >= 0x20 && base[0].unicode() < 0x100 &&
        (base[0].unicode() < 0x7F || base[0].unicode() >= 0xA0))
        return char(base[0].unicode());
    return '?';
}

// The text in Latin-1, one byte for each character, cut to the field.
// Marks and format characters left over after composing (a variation
// selector after an emoji, a joiner) are dropped rather than shown as '?'.
QByteArray latin1Field(const QString &text)
{
    QByteArray out;
    for (const char32_t c : text.normalized(QString::NormalizationForm_C).toUcs4()) {
        if (out.size() == kFieldBytes)
            break;
        if (c >= 0x20 && (c < 0x7F || (c >= 0xA0 && c < 0x100)))
            out += char(c);
        else if (c >= 0x100 && (isMark(c) || QChar::category(c) == QChar::Other_Format))
            continue;
        else
            out += c < 0x100 ? '?' : latin1StandIn(c);
    }
    return out;
}

constexpr qsizetype kId3v2HeaderBytes = 10;
constexpr qsizetype kFrameHeaderBytes = 10;
constexpr char kUtf8Encoding = 3;

// 28 bits in four bytes of seven (ID3v2.4 sizes), high part first.
void putSyncsafe(QByteArray &out, qsizetype at, qsizetype value)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = char((value >> (7 * (3 - i))) & 0x7F);
}

QByteArray textFrame(const char *id, const QByteArray &utf8)
{
    QByteArray frame(kFrameHeaderBytes, '\0');
    frame.replace(0, 4, QByteArrayView(id, 4));
    putSyncsafe(frame, 4, 1 + utf8.size());
    frame += kUtf8Encoding;
    frame += utf8;
    return frame;
}

bool isLineBreakOrTab(char32_t c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x85;
}

} // namespace

QString cleanTagText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    // toUcs4 gives U+FFFD for a lone surrogate: what is left is valid UTF-8.
    for (const char32_t c : text.toUcs4()) {
        if (isLineBreakOrTab(c))
            out += QLatin1Char(' ');
        else if (c >= 0x20 && (c < 0x7F || c >= 0xA0) && (c & 0xFFFE) != 0xFFFE && !(c >= 0xFDD0 && c <= 0xFDEF))
            out += QString::fromUcs4(&c, 1);
    }
    return out.simplified();
}

StationTitleParts splitStationTitle(const QString &stationTitle)
{
    const QString text = cleanTagText(stationTitle);
    const qsizetype dash = text.indexOf(QStringLiteral(" - "));
    if (dash > 0) {
        StationTitleParts parts{text.left(dash).trimmed(), text.mid(dash + 3).trimmed()};
        if (!parts.artist.isEmpty() && !parts.title.isEmpty())
            return parts;
    }
    return {QString(), text};
}

QByteArray id3v2Tag(const TagFields &fields, qsizetype reservedSize)
{
    if (reservedSize < kId3v2HeaderBytes)
        return {};
    QByteArray frames;
    const QString blank = QStringLiteral(" ");
    if (fields.title != blank && fields.artist != blank) {
        if (fields.trackNumber > 0)
            frames += textFrame("TRCK", QByteArray::number(fields.trackNumber));
        if (fields.recorded != 0)
            frames += textFrame(
                "TDRC",
                QDateTime::fromSecsSinceEpoch(fields.recorded).toString(QStringLiteral("yyyy-MM-dd'T'HH:mm")).toUtf8());

        struct Text {
            const char *id;
            QByteArray utf8;
        };
        std::vector<Text> texts;
        for (const Text &text :
             {Text{"TIT2", cleanTagText(fields.title).toUtf8()}, Text{"TPE1", cleanTagText(fields.artist).toUtf8()},
              Text{"TALB", cleanTagText(fields.album).toUtf8()}})
            if (!text.utf8.isEmpty())
                texts.push_back(text);
        // Shortest first: each text takes what it needs up to an equal
        // share of the room left, so one long text cannot crowd out the rest.
        std::vector<std::size_t> order(texts.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::stable_sort(order.begin(), order.end(), [&texts](std::size_t a, std::size_t b) {
            return texts[a].utf8.size() < texts[b].utf8.size();
        });
        qsizetype room = reservedSize - kId3v2HeaderBytes - frames.size();
        std::vector<QByteArray> built(texts.size());
        for (std::size_t n = 0; n < order.size(); ++n) {
            const qsizetype share = room / qsizetype(order.size() - n);
            const QByteArray text = cutUtf8(texts[order[n]].utf8, share - kFrameHeaderBytes - 1);
            if (text.isEmpty())
                continue;
            built[order[n]] = textFrame(texts[order[n]].id, text);
            room -= built[order[n]].size();
        }
        QByteArray textFrames;
        for (const QByteArray &frame : built)
            textFrames += frame;
        frames.prepend(textFrames);
        if (kId3v2HeaderBytes + frames.size() > reservedSize)
            frames.clear();
    }
    QByteArray tag(kId3v2HeaderBytes, '\0');
    tag.replace(0, 3, "ID3");
    tag[3] = 4; // version 2.4.0, no flags
    putSyncsafe(tag, 6, reservedSize - kId3v2HeaderBytes);
    tag += frames;
    tag.append(reservedSize - tag.size(), '\0');
    return tag;
}

QByteArray id3v1Tag(const QString &title, const QString &artist, const QString &album, int trackNumber)
{
    const QString blank = QStringLiteral(" ");
    if (title == blank || artist == blank)
        return {};
    QByteArray tag(128, '\0');
    tag.replace(0, 3, "TAG");
    auto put = [&tag](int offset, const QString &text) {
        const QByteArray field = latin1Field(text);
        tag.replace(offset, field.size(), field);
    };
    put(3, title);
    put(33, artist);
    put(63, album);
    tag[126] = static_cast<char>(trackNumber & 0xFF);
    tag[127] = 12;
    return tag;
}

} // namespace skywell
