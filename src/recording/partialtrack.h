#pragma once

#include "recording/id3tag.h"

#include <QString>
#include <cstdint>

namespace skywell
{

// What a temporary track file left by an unfinished recording holds.
enum class PartialTrackKind {
    Unknown, // not something our writers make: left as it is
    Empty,   // no audio at all (nothing, or only a header)
    Wav,     // RIFF/WAVE with PCM samples
    Mp3,     // a stream of MPEG audio frames
    Aac,     // a stream of ADTS frames (AAC)
    Ogg,     // an Ogg Vorbis stream
    Opus,    // an Ogg Opus stream
};

// Whether a completed file of that kind holds audio worth keeping.
inline bool holdsAudio(PartialTrackKind kind)
{
    return kind != PartialTrackKind::Unknown && kind != PartialTrackKind::Empty;
}

// The extension a track file of that kind gets: "wav", "mp3", "aac", "ogg"
// or "opus".
QString partialTrackExtension(PartialTrackKind kind);

struct PartialTrack {
    PartialTrackKind kind = PartialTrackKind::Unknown;
    // Sample bytes (WAV), whole frames' bytes (MP3, ADTS) or the bytes of
    // the Ogg pages that carry sound the file now holds.
    std::uint64_t audioBytes = 0;
    // How long the audio plays.
    double seconds = 0;
    // Why the file could not be read or completed; empty when it was.
    QString problem;
};

// Completes, in place, a track file whose writer never closed it, deciding
// by its content what it is. A WAV file gets the RIFF and data sizes its
// length gives, cut to whole sample frames (the writer only sets them at
// close); an MP3 or ADTS stream is cut after its last whole frame; an Ogg
// stream after its last whole page, which is flagged as its end. Only a regular
// file is touched (never through a symbolic link), and a file of any other
// kind is left exactly as it was.
PartialTrack completePartialTrack(const QString &path);

// Gives a completed MP3 or ADTS track the tags its writer would have given it at
// close: the ID3v2 tag in the room our writer left at the file's start
// (only when that room holds nothing but padding) and the ID3v1 tag at its
// end. False when the file could not be written.
bool tagCompletedMp3(const QString &path, const TagFields &tags);

// Appends the audio of the finished track file from to the finished track
// file to, of the same kind and format (our writers' files): MP3 and ADTS
// frames go before to's ID3v1 tag (an MP3 Info header counts them); WAV
// samples go after its samples and its sizes grow; an Ogg stream follows
// to's last one (a chained file, each stream with its own tags). False,
// with to as it was, when they do not fit together (other kinds, or Ogg
// streams of the same number).
bool appendTrackAudio(const QString &from, const QString &to);

} // namespace skywell
