#include "recording/blocklevel.h"

#include <algorithm>
#include <bit>
#include <cstring>

// On x86-64 the scan is also built for AVX2, chosen at load time where the
// processor has it: twice the values per instruction.
#if defined(__x86_64__) && defined(__GNUC__)
#define SKYWELL_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define SKYWELL_VECTOR_CLONES
#endif

namespace skywell
{

namespace
{

constexpr std::size_t kSkipFront = 12;
constexpr std::size_t kSkipBack = 20;

std::int16_t valueAt(const std::uint8_t *samples, std::size_t index)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::int16_t v;
        std::memcpy(&v, samples + 2 * index, sizeof v);
        return v;
    } else {
        const auto low = samples[2 * index];
        const auto high = samples[2 * index + 1];
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8)));
    }
}

} // namespace

SKYWELL_VECTOR_CLONES BlockLevel measureLevel(const std::uint8_t *samples, std::size_t sampleBytes)
{
    const std::size_t values = sampleBytes / 2;
    BlockLevel level;
    if (values <= kSkipFront)
        return level;
    std::int16_t low = valueAt(samples, kSkipFront);
    std::int16_t high = low;
    if (values > kSkipFront + kSkipBack) {
        // Plain min/max without branches: the compiler turns this loop into
        // vector instructions, which keeps the scan well below the cost of
        // writing the block.
        const std::size_t end = values - kSkipBack;
        for (std::size_t i = kSkipFront + 1; i < end; ++i) {
            const std::int16_t v = valueAt(samples, i);
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    level.min = low;
    level.max = high;
    return level;
}

} // namespace skywell
