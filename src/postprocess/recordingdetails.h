#pragma once

#include <QString>

namespace skywell
{

// What the head of an audio file tells without decoding it.
struct RecordingDetails {
    // How long it plays; negative when the file does not say.
    double seconds = -1;
    // The title of its ID3v2 tag or Vorbis comments; empty when it has none.
    QString title;
    // Why the file could not be read; empty when it could.
    QString problem;
};

// Reads the length (WAV sizes, an MP3's Info/Xing/VBRI header, else its
// size at the first frame's bitrate; ADTS frame headers; an Ogg Vorbis or
// Opus stream's last granule position) and the title tag of the file at
// path. Reads its head and tail, never the whole file (but the page headers
// of a chained Ogg file); opens regular files only.
RecordingDetails readRecordingDetails(const QString &path);

} // namespace skywell
