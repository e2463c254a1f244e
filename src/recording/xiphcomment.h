#pragma once

#include <QByteArray>

namespace skywell
{

struct TagFields;

// The comment packet of an Ogg stream, exactly size bytes long: magic
// ("\x03vorbis" or "OpusTags"), the vendor string, then TITLE, ARTIST,
// ALBUM, TRACKNUMBER and DATE (local time, "yyyy-MM-ddTHH:mm") as UTF-8
// comments, Vorbis's framing bit when asked for, then zero padding, which
// the readers of both codecs skip. Empty fields get no comment; a
// single-blank title or artist asks for none at all. Texts are cleaned
// (cleanTagText); when all would not fit, the longest are cut, each at a
// whole character, to equal shares of the room. Empty when size cannot
// hold the packet without comments.
QByteArray xiphCommentPacket(const QByteArray &magic, const QByteArray &vendor, const TagFields &fields,
                             bool framingBit, qsizetype size);

// The vendor string of a comment packet beginning with magic; empty when
// the packet is too short for what its length field says.
QByteArray xiphCommentVendor(const QByteArray &packet, const QByteArray &magic);

} // namespace skywell
