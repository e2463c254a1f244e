#include "postprocess/mp3header.h"

namespace skywell
{

namespace
{
int mpegVersion(const std::uint8_t *h)
{
    return (h[1] >> 3) & 3; // 0: 2.5, 2: 2, 3: 1
}
} // namespace

std::uint32_t mp3FrameRate(const std::uint8_t *h)
{
    static constexpr std::uint32_t rates[3][3] = {{11025, 12000, 8000}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    const int version = mpegVersion(h);
    return rates[version == 3 ? 2 : version == 2 ? 1 : 0][(h[2] >> 2) & 3];
}

double mp3FrameSeconds(const std::uint8_t *h)
{
    return double(mpegVersion(h) == 3 ? 1152 : 576) / mp3FrameRate(h);
}

std::uint32_t mp3FrameKbits(const std::uint8_t *h)
{
    static constexpr std::uint32_t v1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static constexpr std::uint32_t v2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
    return (mpegVersion(h) == 3 ? v1 : v2)[h[2] >> 4];
}

std::optional<std::uint32_t> mp3FrameBytes(const std::uint8_t *h)
{
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0 || ((h[1] >> 1) & 3) != 1)
        return std::nullopt;
    const int bitrateIndex = h[2] >> 4;
    const int rateIndex = (h[2] >> 2) & 3;
    if (mpegVersion(h) == 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return std::nullopt;
    const std::uint32_t padding = (h[2] >> 1) & 1;
    return (mpegVersion(h) == 3 ? 144000 : 72000) * mp3FrameKbits(h) / mp3FrameRate(h) + padding;
}

} // namespace skywell
