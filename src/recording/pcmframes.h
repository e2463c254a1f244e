#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace skywell
{

// Reads sample bytes as interleaved 16-bit values. 16-bit samples are taken
// as they are (little-endian); 8-bit samples arrive signed (block
// processing has already subtracted 128) and are widened to 16 bits.
// Only whole frames are read. Returns the number of frames.
std::size_t toInt16Frames(const std::uint8_t *samples, std::size_t bytes, int bitsPerSample, int channels,
                          std::vector<std::int16_t> &out);

// Writes frames as 16-bit stereo: stereo is copied, a mono value goes to
// both channels.
void toStereo(const std::int16_t *values, std::size_t frames, int channels, std::int16_t *stereo);

} // namespace skywell
