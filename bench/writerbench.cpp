// One hour of captured audio through each writer, against the floors a
// writer is measured by: a plain write() loop for WAV files, Debian's lame
// command-line encoder with the matching options for MP3.
//
//   skywell_writerbench WORKDIR [minutes]
//
// Prints "name: value" lines. CPU times are user + system seconds.
#include "benchsupport.h"
#include "recording/mp3writer.h"
#include "recording/wavwriter.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace skywell;
using namespace skywell::bench;

extern char **environ;

namespace
{

constexpr int kLoopSeconds = 10;

// Ten seconds of programme-like audio (drifting tones, a beat and a little
// noise), cut into 100 ms blocks and played round and round.
std::vector<CaptureBlock> makeBlocks(std::uint32_t rate)
{
    const WaveFormat format = WaveFormat::pcm(rate, 2, 16);
    const std::size_t frames = std::size_t(rate) * kLoopSeconds;
    std::vector<std::int16_t> values(frames * 2);
    std::mt19937 random(42);
    std::normal_distribution<double> noise(0.0, 0.02);
    double phaseA = 0, phaseB = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        phaseA += 2 * M_PI * (220 + 110 * std::sin(t * 0.7)) / rate;
        phaseB += 2 * M_PI * (660 + 200 * std::sin(t * 1.3)) / rate;
        const double beat = std::fmod(t, 0.5) < 0.05 ? std::sin(2 * M_PI * 60 * t) : 0.0;
        const double left = 0.3 * std::sin(phaseA) + 0.15 * std::sin(phaseB) + 0.3 * beat + noise(random);
        const double right = 0.3 * std::sin(phaseA + 0.5) + 0.2 * std::sin(phaseB * 1.01) + 0.3 * beat + noise(random);
        values[2 * i] = std::int16_t(std::lround(std::clamp(left, -1.0, 1.0) * 32767));
        values[2 * i + 1] = std::int16_t(std::lround(std::clamp(right, -1.0, 1.0) * 32767));
    }
    std::vector<CaptureBlock> blocks;
    const std::size_t step = rate / 10;
    for (std::size_t at = 0; at < frames; at += step)
        blocks.emplace_back(format, values.data() + 2 * at, std::uint32_t(step * 4));
    return blocks;
}

double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The floor: the same blocks written with write() to a file.
double plainWriteSeconds(const std::vector<CaptureBlock> &blocks, const QString &path)
{
    const double start = wallSeconds();
    const int fd = ::open(path.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (std::size_t i = 0; i < blockCount(); ++i) {
        const CaptureBlock &b = blocks[i % blocks.size()];
        if (::write(fd, b.samples(), b.sampleBytes()) != ssize_t(b.sampleBytes()))
            std::fprintf(stderr, "plain write failed\n");
    }
    ::close(fd);
    const double seconds = wallSeconds() - start;
    ::unlink(path.toLocal8Bit().constData());
    return seconds;
}

double wavWriterSeconds(const std::vector<CaptureBlock> &blocks, const QString &path, bool cpu)
{
    const double start = cpu ? cpuSeconds() : wallSeconds();
    WavWriter writer;
    writer.open(path, blocks.front(), true);
    for (std::size_t i = 0; i < blockCount(); ++i)
        writer.write(blocks[i % blocks.size()]);
    writer.close();
    const double seconds = (cpu ? cpuSeconds() : wallSeconds()) - start;
    ::unlink(path.toLocal8Bit().constData());
    if (const QStringList errors = writer.takeErrors(); !errors.isEmpty())
        std::fprintf(stderr, "WAV writer: %s\n", qPrintable(errors.front()));
    return seconds;
}

double mp3WriterCpu(const std::vector<CaptureBlock> &blocks, const QString &path, int quality)
{
    const double start = cpuSeconds();
    Mp3Writer writer;
    writer.open(path, blocks.front(), quality);
    for (std::size_t i = 0; i < blockCount(); ++i)
        writer.write(blocks[i % blocks.size()]);
    writer.close({QStringLiteral("bench"), QStringLiteral("0_Skywell"), QStringLiteral("bench"), 1});
    const double seconds = cpuSeconds() - start;
    ::unlink(path.toLocal8Bit().constData());
    return seconds;
}

// Debian's lame fed the same audio as a WAV stream on its standard input;
// its own CPU time (user + system) as the kernel accounts it.
double lameCpu(const std::vector<CaptureBlock> &blocks, const QString &path, const std::vector<std::string> &options)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[0], 0);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    std::vector<std::string> args{"lame", "--quiet"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back("-");
    args.push_back(path.toStdString());
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "lame", &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start lame\n");
        return -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[0]);
    const std::uint32_t dataBytes = std::uint32_t(blockCount() * blocks.front().sampleBytes());
    const std::vector<std::uint8_t> header = wavHeader(blocks.front().format(), dataBytes);
    bool ok = ::write(pipeFds[1], header.data(), header.size()) == ssize_t(header.size());
    for (std::size_t i = 0; ok && i < blockCount(); ++i) {
        const CaptureBlock &b = blocks[i % blocks.size()];
        const std::uint8_t *at = b.samples();
        std::size_t left = b.sampleBytes();
        while (ok && left > 0) {
            const ssize_t n = ::write(pipeFds[1], at, left);
            ok = n > 0;
            at += n;
            left -= std::size_t(n);
        }
    }
    ::close(pipeFds[1]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    ::unlink(path.toLocal8Bit().constData());
    if (!ok || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "lame failed\n");
    return double(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6 + double(usage.ru_stime.tv_sec) +
           usage.ru_stime.tv_usec / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QString dir;
    if (!readArguments(argc, argv, dir))
        return 2;
    print("audio-minutes", g_minutes);

    const std::vector<CaptureBlock> cd = makeBlocks(44100);
    // WAV pass-through against the plain write() floor, alternated; the
    // better of two runs of each, since these machines drift.
    double floorBest = 1e9, oursBest = 1e9;
    for (int round = 0; round < 2; ++round) {
        floorBest = std::min(floorBest, plainWriteSeconds(cd, dir + QStringLiteral("floor.raw")));
        oursBest = std::min(oursBest, wavWriterSeconds(cd, dir + QStringLiteral("ours.wav"), false));
    }
    print("write-floor-seconds", floorBest);
    print("wav-passthrough-seconds", oursBest);
    print("wav-passthrough-vs-write", floorBest / oursBest);

    {
        const std::vector<CaptureBlock> dat = makeBlocks(48000);
        const double cpu = wavWriterSeconds(dat, dir + QStringLiteral("from48k.wav"), true);
        print("wav-from-48k-cpu-seconds", cpu);
        print("wav-from-48k-times-realtime", g_minutes * 60.0 / cpu);
    }

    struct Quality {
        const char *name;
        int index;
        std::vector<std::string> lameOptions;
    };
    const Quality qualities[] = {
        {"am", 0, {"--resample", "11.025", "-b", "16", "-m", "j", "-p"}},
        {"fm", 1, {"--resample", "44.1", "-b", "64", "-m", "s", "-p"}},
        {"cd", 2, {"--resample", "44.1", "-b", "128", "-m", "s", "-p"}},
    };
    for (const Quality &q : qualities) {
        // Each side twice, in the order ours, lame, lame, ours, so that drift
        // hits both alike; the better run of each counts.
        const QString oursPath = dir + QStringLiteral("ours.mp3");
        const QString lamePath = dir + QStringLiteral("lame.mp3");
        double ours = mp3WriterCpu(cd, oursPath, q.index);
        double lame = lameCpu(cd, lamePath, q.lameOptions);
        lame = std::min(lame, lameCpu(cd, lamePath, q.lameOptions));
        ours = std::min(ours, mp3WriterCpu(cd, oursPath, q.index));
        const std::string base = std::string("mp3-") + q.name;
        print((base + "-cpu-seconds").c_str(), ours);
        print((std::string("lame-") + q.name + "-cpu-seconds").c_str(), lame);
        print((base + "-vs-lame").c_str(), ours / lame);
    }
    return 0;
}
