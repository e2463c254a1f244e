#pragma once

#include <cstddef>
#include <cstdint>

namespace skywell
{

// The 18-byte wave format header that leads every capture block: PCM
// format tag, channels, sample rate, bytes per second, block alignment,
// bits per sample and the (always zero) extra size, little-endian.
struct WaveFormat {
    static constexpr std::size_t kBytes = 18;
    static constexpr std::uint16_t kPcm = 1;

    std::uint16_t formatTag = kPcm;
    std::uint16_t channels = 2;
    std::uint32_t samplesPerSec = 44100;
    std::uint32_t avgBytesPerSec = 176400;
    std::uint16_t blockAlign = 4;
    std::uint16_t bitsPerSample = 16;
    std::uint16_t extraSize = 0;

    // A consistent PCM header for the given layout.
    static WaveFormat pcm(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits);
    static WaveFormat readFrom(const std::uint8_t *bytes);
    void writeTo(std::uint8_t *bytes) const;

    bool operator==(const WaveFormat &) const = default;
};

void putU16(std::uint8_t *at, std::uint16_t value);
void putU32(std::uint8_t *at, std::uint32_t value);
std::uint16_t getU16(const std::uint8_t *at);
std::uint32_t getU32(const std::uint8_t *at);

} // namespace skywell
