#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace skywell
{

// Station playlists that FFmpeg does not read itself: .pls and plain .m3u
// name the stream's real address. HLS playlists (.m3u8, or an .m3u with
// #EXT-X- tags) are streams in their own right and go to FFmpeg.
enum class PlaylistKind { NotPlaylist, Pls, M3u, Hls };

// True when the address's path ends in .pls or .m3u.
bool namesPlaylist(const QString &address);

// What fetched content is, by its text first and then its MIME type
// (audio/x-scpls, audio/x-mpegurl …). Binary content is never a playlist.
// `address` decides between a text list and nothing when neither says.
PlaylistKind playlistKind(QByteArrayView content, QByteArrayView mimeType, const QString &address);

// The stream addresses of a .pls or .m3u in their order (a .pls by its
// entries' numbers), relative entries resolved against `base`, each once.
// Only http and https entries count (and file entries of a playlist that
// is itself a local file): a playlist from the network never points at
// local files or other schemes.
QStringList playlistEntries(QByteArrayView content, PlaylistKind kind, const QString &base);

} // namespace skywell
