#pragma once

#include <QByteArray>
#include <QString>

namespace skywell
{

// How a web page's request may carry a radio stream.
enum class StreamAddressKind {
    NotAudio,
    Playlist,  // .m3u, .pls … : names the stream
    AudioFile, // .mp3, .aac … : the stream itself
    Unknown    // nothing in the address says; a HEAD request's type tells
};

// Judges an address by the extension of its path (query and fragment
// aside, any letter case). Pages, scripts, images and styles are NotAudio.
StreamAddressKind streamAddressKind(const QString &address);

// True for a Content-Type that carries audio or an audio playlist
// ("audio/mpeg", "application/ogg", "audio/x-mpegurl; charset=…" …).
bool isAudioContentType(const QByteArray &contentType);

} // namespace skywell
