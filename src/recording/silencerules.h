#pragma once

#include <cstdint>

namespace skywell
{

struct RecordingSession;

// What the silence options make of a measured block.
enum class SilenceAction {
    Keep,         // the block goes on to its stream
    Drop,         // dead air or a speech pause: left out
    SplitAndDrop, // long enough silence: a new track starts, this block is left out
};

// A new track after silence needs more than this much audio in the track.
inline constexpr std::int64_t kMinTrackMsForSilenceSplit = 10000;

// Counts the block's duration into the run of silence (or ends the run on
// sound) and decides by the session's dead-air, new-track-after-silence and
// speech-compression options.
SilenceAction silenceAction(RecordingSession &session, bool silent, std::int64_t durationMs);

} // namespace skywell
