#pragma once

#include <array>
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

// The ADTS header (no CRC) for one raw AAC frame of payloadBytes, made from
// the stream's AudioSpecificConfig; nothing when that setup cannot be told
// in an ADTS header (an explicit rate, an object type beyond the four ADTS
// names, a frame too long for the length field).
std::optional<std::array<std::uint8_t, kAdtsHeaderBytes>>
adtsHeaderFor(const std::uint8_t *config, std::size_t configBytes, std::size_t payloadBytes);

} // namespace skywell
