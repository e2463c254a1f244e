#pragma once

#include <cstdint>
#include <optional>

namespace skywell
{

// MPEG audio layer III frame headers: four bytes starting at h.

// The length of the frame whose header starts at h, or nothing when h
// holds no layer III header (free format included, which has no length).
std::optional<std::uint32_t> mp3FrameBytes(const std::uint8_t *h);

// The sample rate of a header that mp3FrameBytes accepts.
std::uint32_t mp3FrameRate(const std::uint8_t *h);

// The seconds of sound one frame of that header holds.
double mp3FrameSeconds(const std::uint8_t *h);

// The bitrate of that header in kbit/s.
std::uint32_t mp3FrameKbits(const std::uint8_t *h);

} // namespace skywell
