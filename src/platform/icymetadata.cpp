#include "platform/icymetadata.h"

#include <QStringDecoder>

namespace skywell
{

namespace
{
bool isKeyChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

// True when what follows a closing quote-and-semicolon at `at` is the end
// of the packet (NULs, spaces) or another "Key=" field.
bool endsField(QByteArrayView packet, qsizetype at)
{
    qsizetype i = at;
    while (i < packet.size() && (packet[i] == '\0' || packet[i] == ' ' || packet[i] == '\r' || packet[i] == '\n'))
        ++i;
    if (i == packet.size())
        return true;
    const qsizetype keyStart = i;
    while (i < packet.size() && isKeyChar(packet[i]))
        ++i;
    return i > keyStart && i < packet.size() && packet[i] == '=';
}

qsizetype findKey(QByteArrayView packet, QByteArrayView key)
{
    for (qsizetype at = 0; at + key.size() <= packet.size(); ++at) {
        if (packet.sliced(at, key.size()).compare(key, Qt::CaseInsensitive) == 0 &&
            (at == 0 || !isKeyChar(packet[at - 1])))
            return at;
    }
    return -1;
}
} // namespace

QString cleanStationText(QByteArrayView raw)
{
    // Servers pad with NULs; text after the first one is not the title's.
    const qsizetype nul = raw.indexOf('\0');
    if (nul >= 0)
        raw = raw.first(nul);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(raw);
    if (utf8.hasError())
        text = QString::fromLatin1(raw.data(), raw.size());

    QString clean;
    clean.reserve(qMin<qsizetype>(text.size(), kMaxStationTitleLength));
    bool space = true; // drops leading spaces
    for (qsizetype i = 0; i < text.size() && clean.size() < kMaxStationTitleLength; ++i) {
        const QChar c = text[i];
        const bool blank = c.isSpace() || c.category() == QChar::Other_Control || c == QChar(0xFFFD) ||
                           c == QChar(QChar::ByteOrderMark);
        if (blank) {
            if (!space)
                clean.append(QLatin1Char(' '));
            space = true;
            continue;
        }
        if (c.isHighSurrogate()) {
            // A character outside the BMP goes whole or not at all.
            if (i + 1 >= text.size() || !text[i + 1].isLowSurrogate() || clean.size() + 2 > kMaxStationTitleLength)
                break;
            clean.append(c);
            clean.append(text[++i]);
        } else if (!c.isSurrogate()) {
            clean.append(c);
        }
        space = false;
    }
    while (clean.endsWith(QLatin1Char(' ')))
        clean.chop(1);
    return clean;
}

std::optional<QString> icyStreamTitle(QByteArrayView packet)
{
    static constexpr QByteArrayView key("StreamTitle=");
    const qsizetype keyAt = findKey(packet, key);
    if (keyAt < 0)
        return std::nullopt;
    qsizetype start = keyAt + key.size();
    if (start >= packet.size())
        return QString();
    const char quote = packet[start];
    if (quote != '\'' && quote != '"') {
        // Unquoted: up to the semicolon.
        const qsizetype end = packet.indexOf(';', start);
        return cleanStationText(packet.sliced(start, (end < 0 ? packet.size() : end) - start));
    }
    ++start;
    // The first quote-semicolon that ends the field; quotes inside the
    // title are followed by something else.
    for (qsizetype at = packet.indexOf(quote, start); at >= 0; at = packet.indexOf(quote, at + 1)) {
        if (at + 1 < packet.size() && packet[at + 1] == ';' && endsField(packet, at + 2))
            return cleanStationText(packet.sliced(start, at - start));
    }
    // No terminator: the rest, less a closing quote before the padding.
    QByteArrayView rest = packet.sliced(start);
    const qsizetype nul = rest.indexOf('\0');
    if (nul >= 0)
        rest = rest.first(nul);
    if (rest.endsWith(quote))
        rest.chop(1);
    return cleanStationText(rest);
}

QString combineArtistAndTitle(const QString &artist, const QString &title)
{
    if (artist.isEmpty())
        return title;
    if (title.isEmpty())
        return artist;
    return artist + QStringLiteral(" - ") + title;
}

} // namespace skywell
