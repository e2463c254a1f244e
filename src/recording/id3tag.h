#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace skywell
{

// The 128-byte ID3 version 1.1 tag that ends an MP3 track: "TAG", title,
// artist and album (Latin-1, one byte for each character, cut to 30 and
// NUL-padded; a character Latin-1 lacks becomes its plain look-alike, "ő"
// as "o", or else "?"), year and comment zero, a zero byte, the track
// number's low byte and genre 12. Empty when the title or the artist is a
// single blank, which asks for no tag.
QByteArray id3v1Tag(const QString &title, const QString &artist, const QString &album, int trackNumber);

// What an MP3 track's tags say.
struct TagFields {
    QString title;
    QString artist;
    QString album;
    int trackNumber = 0;
    // When the recording began, seconds since the epoch; 0: not known.
    std::int64_t recorded = 0;
};

// The ID3 version 2.4 tag that goes ahead of an MP3 track's audio, exactly
// reservedSize bytes long: UTF-8 frames TIT2, TPE1, TALB, TRCK and TDRC
// (local time, "yyyy-MM-ddTHH:mm"), then zero padding. Empty texts, a zero
// track number or time get no frame; a single-blank title or artist asks
// for no frames at all. Texts are cleaned (cleanTagText) and, when all
// would not fit, the longest are cut, each at a whole character, to equal
// shares of the room. Fields all empty give a valid tag of padding only.
// Empty when reservedSize cannot hold the tag's header.
QByteArray id3v2Tag(const TagFields &fields, qsizetype reservedSize);

// The text without control characters (line ends and tabs become spaces),
// runs of white space made one, trimmed. Text from outside (a station's
// title) passes through this before it reaches a tag or a playlist.
QString cleanTagText(const QString &text);

// A station's "Artist - Title", split at the first " - " into its two
// parts. A text without the separator, or with nothing on one side of it,
// is all title (artist empty).
struct StationTitleParts {
    QString artist;
    QString title;
};
StationTitleParts splitStationTitle(const QString &stationTitle);

} // namespace skywell
