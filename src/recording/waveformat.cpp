#include "recording/waveformat.h"

namespace skywell
{

void putU16(std::uint8_t *at, std::uint16_t value)
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void putU32(std::uint8_t *at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint16_t getU16(const std::uint8_t *at)
{
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

std::uint32_t getU32(const std::uint8_t *at)
{
    return std::uint32_t(at[0]) | (std::uint32_t(at[1]) << 8) | (std::uint32_t(at[2]) << 16) |
           (std::uint32_t(at[3]) << 24);
}

WaveFormat WaveFormat::pcm(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits)
{
    WaveFormat f;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.bitsPerSample = bits;
    f.blockAlign = static_cast<std::uint16_t>(channels * (bits / 8));
    f.avgBytesPerSec = rate * f.blockAlign;
    return f;
}

WaveFormat WaveFormat::readFrom(const std::uint8_t *bytes)
{
    WaveFormat f;
    f.formatTag = getU16(bytes);
    f.channels = getU16(bytes + 2);
    f.samplesPerSec = getU32(bytes + 4);
    f.avgBytesPerSec = getU32(bytes + 8);
    f.blockAlign = getU16(bytes + 12);
    f.bitsPerSample = getU16(bytes + 14);
    f.extraSize = getU16(bytes + 16);
    return f;
}

void WaveFormat::writeTo(std::uint8_t *bytes) const
{
    putU16(bytes, formatTag);
    putU16(bytes + 2, channels);
    putU32(bytes + 4, samplesPerSec);
    putU32(bytes + 8, avgBytesPerSec);
    putU16(bytes + 12, blockAlign);
    putU16(bytes + 14, bitsPerSample);
    putU16(bytes + 16, extraSize);
}

} // namespace skywell
