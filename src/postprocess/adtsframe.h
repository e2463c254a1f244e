#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace skywell
{

// An ADTS frame (AAC) as its header states it.
struct AdtsFrame {
    std::uint32_t bytes = 0;   // the whole frame, header and CRC included
    std::uint32_t samples = 0; // samples per channel it decodes to
    std::uint32_t rate = 0;    // the sample rate the header gives
};

constexpr std::size_t kAdtsHeaderBytes = 7;

// The frame whose header starts at h (kAdtsHeaderBytes readable), or
// nothing when h holds no sound ADTS header.
std::optional<AdtsFrame> adtsFrame(const std::uint8_t *h);

} // namespace skywell
