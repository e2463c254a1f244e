#pragma once

#include "postprocess/adtsframe.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace skywell
{

// The ADTS header (no CRC) for one raw AAC frame of payloadBytes, made from
// the stream's AudioSpecificConfig; nothing when that setup cannot be told
// in an ADTS header (an explicit rate, an object type beyond the four ADTS
// names, a frame too long for the length field).
std::optional<std::array<std::uint8_t, kAdtsHeaderBytes>>
adtsHeaderFor(const std::uint8_t *config, std::size_t configBytes, std::size_t payloadBytes);

} // namespace skywell
