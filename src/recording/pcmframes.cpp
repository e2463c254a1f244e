#include "recording/pcmframes.h"

#include <bit>
#include <cstring>

namespace skywell
{

static_assert(std::endian::native == std::endian::little, "sample bytes are read in host order");

std::size_t toInt16Frames(const std::uint8_t *samples, std::size_t bytes, int bitsPerSample, int channels,
                          std::vector<std::int16_t> &out)
{
    const std::size_t bytesPerValue = bitsPerSample == 8 ? 1 : 2;
    const std::size_t frames = bytes / (bytesPerValue * std::size_t(channels));
    const std::size_t values = frames * std::size_t(channels);
    out.resize(values);
    if (bytesPerValue == 2) {
        std::memcpy(out.data(), samples, values * 2);
    } else {
        for (std::size_t i = 0; i < values; ++i)
            out[i] = static_cast<std::int16_t>(static_cast<std::int8_t>(samples[i]) * 256);
    }
    return frames;
}

void toStereo(const std::int16_t *values, std::size_t frames, int channels, std::int16_t *stereo)
{
    if (channels == 2) {
        std::memcpy(stereo, values, frames * 4);
        return;
    }
    for (std::size_t i = 0; i < frames; ++i)
        stereo[2 * i] = stereo[2 * i + 1] = values[i];
}

} // namespace skywell
