#include "support/tonelistener.h"

#include "recording/blocklevel.h"
#include "support/eventloop.h"

#include <cstring>

namespace skywell::test
{

ToneListener::ToneListener(SoundCardCapture &device, const QString &deviceName) : m_device(device)
{
    m_device.start(deviceName, [this](CaptureBlockPtr block) { take(*block); });
}

ToneListener::~ToneListener()
{
    m_device.stop();
}

void ToneListener::take(const CaptureBlock &block)
{
    const WaveFormat format = block.format();
    const bool loud = !measureLevel(block.samples(), block.sampleBytes()).silent();
    double pitch = 0;
    if (loud && format.bitsPerSample == 16 && format.blockAlign > 0) {
        // The first channel's sign changes; two per period.
        const std::size_t frames = block.sampleBytes() / format.blockAlign;
        int crossings = 0;
        std::int16_t previous = 0;
        for (std::size_t i = 0; i < frames; ++i) {
            std::int16_t sample;
            std::memcpy(&sample, block.samples() + i * format.blockAlign, sizeof sample);
            if (i > 0 && (previous < 0) != (sample < 0))
                ++crossings;
            previous = sample;
        }
        pitch = crossings / 2.0 * format.samplesPerSec / double(frames);
    }
    std::lock_guard lock(m_mutex);
    ++m_blocks;
    if (loud) {
        ++m_loud;
        m_pitch = pitch;
    }
}

void ToneListener::reset()
{
    std::lock_guard lock(m_mutex);
    m_blocks = m_loud = 0;
    m_pitch = 0;
}

int ToneListener::blocks() const
{
    std::lock_guard lock(m_mutex);
    return m_blocks;
}

int ToneListener::loudBlocks() const
{
    std::lock_guard lock(m_mutex);
    return m_loud;
}

double ToneListener::pitch() const
{
    std::lock_guard lock(m_mutex);
    return m_pitch;
}

bool ToneListener::hearMore(int n, int ms)
{
    const int target = blocks() + n;
    return spinUntil([&] { return blocks() >= target; }, ms);
}

} // namespace skywell::test
