#include "recording/rateconverter.h"

#include <SoundTouch.h>
#include <algorithm>
#include <cmath>

namespace skywell
{

RateConverter::RateConverter(std::uint32_t sourceRate, int channels)
    : m_touch(std::make_unique<soundtouch::SoundTouch>()), m_channels(channels)
{
    m_touch->setSetting(SETTING_USE_QUICKSEEK, 0);
    m_touch->setSetting(SETTING_USE_AA_FILTER, 0);
    m_touch->setSampleRate(44100);
    m_touch->setChannels(static_cast<unsigned>(channels));
    m_touch->setRateChange(100.0 * (double(sourceRate) - 44100.0) / 44100.0);
    m_touch->setTempoChange(0);
    m_touch->setPitchSemiTones(0);
}

RateConverter::~RateConverter() = default;

void RateConverter::put(const std::int16_t *values, std::size_t frames)
{
    const std::size_t count = frames * std::size_t(m_channels);
    m_floats.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        m_floats[i] = values[i] * (1.0f / 32768.0f);
    m_touch->putSamples(m_floats.data(), static_cast<unsigned>(frames));
}

std::size_t RateConverter::receive(std::int16_t *values, std::size_t maxFrames)
{
    m_floats.resize(maxFrames * std::size_t(m_channels));
    const unsigned frames = m_touch->receiveSamples(m_floats.data(), static_cast<unsigned>(maxFrames));
    const std::size_t count = std::size_t(frames) * std::size_t(m_channels);
    for (std::size_t i = 0; i < count; ++i) {
        const float scaled = std::nearbyint(m_floats[i] * 32768.0f);
        values[i] = static_cast<std::int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
    }
    return frames;
}

void RateConverter::flush()
{
    m_touch->flush();
}

} // namespace skywell
