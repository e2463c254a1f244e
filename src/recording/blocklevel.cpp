#include "recording/blocklevel.h"

namespace skywell
{

namespace
{

constexpr std::size_t kSkipFront = 12;
constexpr std::size_t kSkipBack = 20;

int valueAt(const std::uint8_t *samples, std::size_t index)
{
    const auto low = samples[2 * index];
    const auto high = samples[2 * index + 1];
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8)));
}

} // namespace

BlockLevel measureLevel(const std::uint8_t *samples, std::size_t sampleBytes)
{
    const std::size_t values = sampleBytes / 2;
    BlockLevel level;
    if (values <= kSkipFront)
        return level;
    level.min = level.max = valueAt(samples, kSkipFront);
    if (values <= kSkipFront + kSkipBack)
        return level;
    const std::size_t end = values - kSkipBack;
    for (std::size_t i = kSkipFront + 1; i < end; ++i) {
        const int v = valueAt(samples, i);
        if (v < level.min)
            level.min = v;
        else if (v > level.max)
            level.max = v;
    }
    return level;
}

} // namespace skywell
