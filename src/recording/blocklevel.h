#pragma once

#include <cstddef>
#include <cstdint>

namespace skywell
{

// A block whose peak-to-peak value is below this is silent.
inline constexpr int kSilenceThreshold = 1024;

struct BlockLevel {
    int min = 0;
    int max = 0;
    int peakToPeak() const { return max - min; }
    bool silent() const { return peakToPeak() < kSilenceThreshold; }
};

// Measures sample bytes read as signed 16-bit little-endian values,
// whatever the block's format. The scan leaves out the first 12 and the
// last 20 values; a block of 64 bytes or fewer scans nothing, reads as
// silent and has the 13th value (0 when there is none) as min and max.
BlockLevel measureLevel(const std::uint8_t *samples, std::size_t sampleBytes);

} // namespace skywell
