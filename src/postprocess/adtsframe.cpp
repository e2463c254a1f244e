#include "postprocess/adtsframe.h"

#include <iterator>

namespace skywell
{

std::optional<AdtsFrame> adtsFrame(const std::uint8_t *h)
{
    static constexpr std::uint32_t rates[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                              22050, 16000, 12000, 11025, 8000,  7350};
    // Sync word, layer 0.
    if (h[0] != 0xFF || (h[1] & 0xF6) != 0xF0)
        return std::nullopt;
    const unsigned rateIndex = (h[2] >> 2) & 0x0F;
    if (rateIndex >= std::size(rates))
        return std::nullopt;
    const std::uint32_t bytes = std::uint32_t(h[3] & 0x03) << 11 | std::uint32_t(h[4]) << 3 | h[5] >> 5;
    // Without protection_absent a 16-bit CRC follows the 7 bytes.
    const std::uint32_t headerBytes = (h[1] & 1) ? 7 : 9;
    if (bytes <= headerBytes)
        return std::nullopt;
    return AdtsFrame{bytes, 1024u * ((h[6] & 0x03) + 1u), rates[rateIndex]};
}

} // namespace skywell
