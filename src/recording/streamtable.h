#pragma once

#include <cstdint>

namespace skywell
{

struct RecordingSession;

// The slot among those in use whose format header equals the block's 18
// header bytes, byte for byte; -1 when none does.
int findStream(const RecordingSession &session, const std::uint8_t *formatHeader);

// The slot with the most bytes; the first on a tie, slot 0 when all are 0.
int bestStream(const RecordingSession &session);

} // namespace skywell
