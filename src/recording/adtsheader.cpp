#include "recording/adtsheader.h"

namespace skywell
{

std::optional<std::array<std::uint8_t, kAdtsHeaderBytes>>
adtsHeaderFor(const std::uint8_t *config, std::size_t configBytes, std::size_t payloadBytes)
{
    if (configBytes < 2)
        return std::nullopt;
    const unsigned objectType = config[0] >> 3;
    const unsigned rateIndex = (config[0] & 0x07) << 1 | config[1] >> 7;
    const unsigned channels = (config[1] >> 3) & 0x0F;
    const std::size_t bytes = payloadBytes + kAdtsHeaderBytes;
    // HE-AAC signalled implicitly names its core (AAC LC) here, as ADTS
    // does; signalled explicitly (type 5 or 29) it is not told here.
    if (objectType < 1 || objectType > 4 || rateIndex > 12 || channels > 7 || bytes > 0x1FFF)
        return std::nullopt;
    return std::array<std::uint8_t, kAdtsHeaderBytes>{
        0xFF,
        0xF1, // MPEG-4, layer 0, no CRC
        std::uint8_t((objectType - 1) << 6 | rateIndex << 2 | channels >> 2),
        std::uint8_t((channels & 0x03) << 6 | bytes >> 11),
        std::uint8_t(bytes >> 3),
        std::uint8_t((bytes & 0x07) << 5 | 0x1F), // buffer fullness 0x7FF: variable rate
        0xFC,                                     // one raw block
    };
}

} // namespace skywell
