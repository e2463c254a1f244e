#pragma once

#include <cstdint>

namespace skywell
{

// The encoder configuration of one MP3 output, as the encoder interface's
// LAME configuration record states it.
struct Mp3Config {
    std::uint32_t sampleRate = 44100;   // the source's samples per second
    std::uint32_t reSampleRate = 44100; // output sample rate
    std::uint32_t bitrate = 128;        // kbit/s, constant
    int mode = 0;                       // 0 stereo, 1 joint stereo, 3 mono
    int channels = 2;                   // channels the source delivers
    int mpegVersion = 1;
    bool crc = true;
    bool original = true;
    bool writeVbrHeader = true; // the Info header in the first frame
    bool enableVbr = false;
    int vbrMethod = -1;
    bool noReservoir = true;
};

// Quality 0 "AM Radio Quality": 11025 Hz, 16 kbit/s, joint stereo;
// 1 "FM Radio Quality": 44100 Hz, 64 kbit/s, stereo;
// 2 "CD Quality": 44100 Hz, 128 kbit/s, stereo. A one-channel source is
// always encoded as mono. Returns the config for the given source.
Mp3Config mp3ConfigFor(int quality, std::uint32_t sourceRate, int sourceChannels);

// The MP3 quality an output-kind flag word asks for: 0 for OUT_MP3_AM,
// 1 for OUT_MP3_FM, 2 for OUT_MP3_CD_QUALITY and for OUT_MP3_CD (a data CD
// of MP3 files), tested in that order, and 2 for OUT_AS_BROADCAST (what
// cannot be kept as sent is encoded at CD quality); -1 when the output is
// not MP3.
int mp3QualityForFlags(std::uint32_t flags);

} // namespace skywell
