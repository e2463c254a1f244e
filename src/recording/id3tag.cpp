#include "recording/id3tag.h"

#include <QList>

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

} // namespace

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
