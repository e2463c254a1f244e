#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

namespace skywell
{

// Station titles as servers send them: ICY metadata packets
// ("StreamTitle='Artist - Song';StreamUrl='';" padded with NULs) and
// in-stream tags. Whatever arrives, what comes out is clean text: valid
// UTF-8 is read as such, anything else as Latin-1; control characters
// become spaces, runs of spaces one, ends trimmed; at most
// kMaxStationTitleLength characters.
inline constexpr int kMaxStationTitleLength = 250;

// The raw text as clean, short, printable text.
QString cleanStationText(QByteArrayView raw);

// The StreamTitle of an ICY metadata packet, cleaned; nullopt when the
// packet names none. Quotes inside the title are kept ("Guns N' Roses"):
// the title ends at the last "';" that is followed by the end or the next
// "Key='"; a missing terminator takes the rest of the packet.
std::optional<QString> icyStreamTitle(QByteArrayView packet);

// "Artist - Title" from separate tags, either of which may be empty.
QString combineArtistAndTitle(const QString &artist, const QString &title);

} // namespace skywell
