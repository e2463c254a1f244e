#pragma once

#include "recording/id3tag.h"

#include <cstdint>

namespace skywell
{

class OutputFile;

// The room kept for the ID3v2 tag at the start of an MP3 or AAC track.
constexpr qsizetype kTrackTagRoom = 4096;

// Writes an empty tag with padding as the room, so that the file plays from
// its first frame on. Returns where the audio starts: kTrackTagRoom, or 0
// when the room could not be written (disk full for a moment): the file then
// gets only the tag at its end, and no audio is lost by that.
qsizetype reserveTrackTagRoom(OutputFile &file);

// Fills the room with the track's ID3v2 tag (dated openedAt unless the
// fields give a time) and appends its ID3v1 tag. False when a write failed.
bool writeTrackTags(OutputFile &file, const TagFields &tags, qsizetype audioStart, std::int64_t openedAt);

} // namespace skywell
