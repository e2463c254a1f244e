#pragma once

#include <QByteArray>
#include <QString>

namespace skywell
{

// The 128-byte ID3 version 1.1 tag that ends an MP3 track: "TAG", title,
// artist and album (UTF-8, each cut to 30 bytes without splitting a
// character, NUL-padded), year and comment zero, a zero byte, the track
// number's low byte and genre 12. Empty when the title or the artist is a
// single blank, which asks for no tag.
QByteArray id3v1Tag(const QString &title, const QString &artist, const QString &album, int trackNumber);

} // namespace skywell
