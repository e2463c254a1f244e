#pragma once

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
};

struct PartialTrack {
    PartialTrackKind kind = PartialTrackKind::Unknown;
    // Sample bytes (WAV) or whole frames' bytes (MP3) the file now holds.
    std::uint64_t audioBytes = 0;
    // Why the file could not be read or completed; empty when it was.
    QString problem;
};

// Completes, in place, a track file whose writer never closed it, deciding
// by its content what it is. A WAV file gets the RIFF and data sizes its
// length gives, cut to whole sample frames (the writer only sets them at
// close); an MP3 stream is cut after its last whole frame. Only a regular
// file is touched (never through a symbolic link), and a file of any other
// kind is left exactly as it was.
PartialTrack completePartialTrack(const QString &path);

} // namespace skywell
