#pragma once

#include "recording/partialtrack.h"

#include <cstdint>

namespace skywell
{

// Track files holding Ogg Vorbis or Ogg Opus: one logical stream, or
// several one after another (chained).

// Completes, in place, an Ogg track file whose writer never closed it:
// cut after its last whole page that checks out and ends a packet, that
// page flagged as the stream's end. The file starts with "OggS".
PartialTrack completeOggTrack(int fd, std::uint64_t size);

// Appends the Ogg stream of from after to's last page: a chained file.
// False, with to as it was, when the codecs differ, a stream number of
// from is one of to's, or either is not a whole Ogg file.
bool appendOggTrack(int from, std::uint64_t fromSize, int to, std::uint64_t toSize);

} // namespace skywell
