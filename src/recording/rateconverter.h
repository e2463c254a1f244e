#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace soundtouch
{
class SoundTouch;
}

namespace skywell
{

// Converts 16-bit audio of one rate to 44100 Hz through SoundTouch, used as
// a pure rate changer: quick seek and anti-alias filter off, rate change
// 100 × (rate − 44100) / 44100, tempo and pitch neutral. The converter gets
// the real channel count, so stereo channels are never mixed. Debian's
// SoundTouch works on float samples: values are converted on the way in
// and clamped on the way out.
class RateConverter final
{
public:
    RateConverter(std::uint32_t sourceRate, int channels);
    ~RateConverter();
    RateConverter(const RateConverter &) = delete;
    RateConverter &operator=(const RateConverter &) = delete;

    // Interleaved frames in.
    void put(const std::int16_t *values, std::size_t frames);
    // Up to maxFrames interleaved frames out; 0 when none are ready.
    std::size_t receive(std::int16_t *values, std::size_t maxFrames);
    // Pushes the last samples through (call once, then receive the rest).
    void flush();

    int channels() const { return m_channels; }

private:
    std::unique_ptr<soundtouch::SoundTouch> m_touch;
    int m_channels;
    std::vector<float> m_floats;
};

} // namespace skywell
