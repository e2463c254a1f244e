#include "recording/mp3settings.h"

namespace skywell
{

namespace
{
constexpr std::uint32_t kOutMp3CdQuality = 0x100;
constexpr std::uint32_t kOutMp3Am = 0x200;
constexpr std::uint32_t kOutMp3Fm = 0x400;
constexpr std::uint32_t kOutMp3Cd = 0x2000000;
constexpr std::uint32_t kOutAsBroadcast = 0x8000000;
} // namespace

Mp3Config mp3ConfigFor(int quality, std::uint32_t sourceRate, int sourceChannels)
{
    struct Row {
        std::uint32_t rate, bitrate;
        int mode;
    };
    static constexpr Row table[] = {{11025, 16, 1}, {44100, 64, 0}, {44100, 128, 0}};
    const Row &row = table[quality < 0 ? 0 : quality > 2 ? 2 : quality];
    Mp3Config c;
    c.sampleRate = sourceRate;
    c.reSampleRate = row.rate;
    c.bitrate = row.bitrate;
    c.channels = sourceChannels == 1 ? 1 : 2;
    c.mode = sourceChannels == 1 ? 3 : row.mode;
    return c;
}

int mp3QualityForFlags(std::uint32_t flags)
{
    if (flags & kOutMp3Am)
        return 0;
    if (flags & kOutMp3Fm)
        return 1;
    if (flags & kOutMp3CdQuality)
        return 2;
    if (flags & kOutMp3Cd)
        return 2;
    if (flags & kOutAsBroadcast)
        return 2;
    return -1;
}

} // namespace skywell
