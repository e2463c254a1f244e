#pragma once

#include <QString>
#include <cstdint>

namespace skywell
{

class Clock;

// What the names of a recording's files are made of: the user's pattern
// and folder, and the recording controller's current name, flags and track.
struct RecordingNaming {
    QString fileNameFormat; // strftime pattern with "%%s" for the name
    QString mp3Folder;      // ends in "/"
    QString recordingName;  // the Show's name or the Quick Record name
    std::uint32_t flags = 0;
    int trackNumber = 1;
};

// The longest file name the file system takes, in bytes.
inline constexpr int kMaxFileNameBytes = 255;

// The file name (no folder) for the current recording at the current
// time: index -1 without track number (playlist), -2, -3 ... the playlist
// when names with lower numbers are taken ("(2).m3u"), 0 the track, 2, 3 ...
// the track when names with lower numbers are taken. The extension comes
// without its dot. Characters \ / : * ? < > " become "-". A name too long
// for the file system is shortened before its number and extension,
// never inside a UTF-8 character.
QString outputFileName(const RecordingNaming &naming, const QString &extension, int index, const Clock &clock);

struct OutputFilePath {
    QString name;
    QString path;
    // The outputFileName index of the name: 0, or 2, 3 ...
    int index = 0;
};

// Where the numbering of taken names gives up.
inline constexpr int kMaxNameIndex = 1000000;

// The first track name of a new recording that does not exist yet in the
// recordings folder ("wav" for WAV and audio-CD output, else "mp3").
OutputFilePath uniqueOutputFile(const RecordingNaming &naming, const Clock &clock);
// The same with the given extension (a direct download's).
OutputFilePath uniqueOutputFile(const RecordingNaming &naming, const QString &extension, const Clock &clock);
// The first free track name from index firstIndex on (0, 2, 3 ...): the
// later tracks of a recording stay in the series of its first.
OutputFilePath uniqueOutputFile(const RecordingNaming &naming, const QString &extension, int firstIndex,
                                const Clock &clock);
// The extension of a recording's track files: "wav" for WAV and audio-CD
// output, else "mp3".
QString trackExtension(std::uint32_t flags);

// Writes the playlist (full paths joined by "\r\n", in the extended form
// with "#EXTM3U" and "#EXTINF" lines when tracks have station titles) as
// outputFileName("m3u", -1) in the recordings folder, or under the next
// free number when a playlist of that name exists. With a replacePath
// (the playlist of the same recording, begun before an interruption) that
// file is replaced instead, whole. Nothing when the text is empty; a file
// that cannot be written is ignored. Returns the path written, empty when
// none.
QString writePlaylist(const RecordingNaming &naming, const QString &playlistText, const Clock &clock,
                      const QString &replacePath = QString());

// Replaces the characters a file name must not hold by "-".
QString replaceForbiddenCharacters(QString name);

} // namespace skywell
