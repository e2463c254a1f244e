#pragma once

#include <QByteArray>
#include <QString>

namespace skywell
{

// The 128-byte ID3 version 1.1 tag that ends an MP3 track: "TAG", title,
// artist and album (Latin-1, one byte for each character, cut to 30 and
// NUL-padded; a character Latin-1 lacks becomes its plain look-alike, "ő"
// as "o", or else "?"), year and comment zero, a zero byte, the track
// number's low byte and genre 12. Empty when the title or the artist is a
// single blank, which asks for no tag.
QByteArray id3v1Tag(const QString &title, const QString &artist, const QString &album, int trackNumber);

} // namespace skywell
