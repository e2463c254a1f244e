#pragma once

// What the benchmarks share: the length of audio they run through, CPU
// time, and the "name: value" lines they print.

#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace skywell::bench
{

// Minutes of audio to run through (the command line may change it).
inline int g_minutes = 60;

// 100 ms blocks in g_minutes of audio.
inline std::size_t blockCount()
{
    return std::size_t(g_minutes) * 60 * 10;
}

// User + system seconds of this process.
inline double cpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

// "PROGRAM WORKDIR [minutes]": the work folder (with a trailing "/") and
// the minutes of audio; false, after the usage line, when it is missing.
inline bool readArguments(int argc, char **argv, QString &dir)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WORKDIR [minutes]\n", argv[0]);
        return false;
    }
    dir = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    if (argc > 2)
        g_minutes = std::max(1, std::atoi(argv[2]));
    return true;
}

inline void print(const char *name, double value)
{
    std::printf("%s: %.3f\n", name, value);
    std::fflush(stdout);
}

} // namespace skywell::bench
