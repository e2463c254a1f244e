// One hour of captured audio through block processing (level, silence
// rules, stream matching, the writer, delivery at the end), for WAV and
// for MP3 (FM quality), against the same writer alone on the same blocks.
// "block-overhead-wav" and "block-overhead-mp3" are the extra CPU time of
// the block path as a fraction of the writer alone.
//
//   skywell_blockbench WORKDIR [minutes]
//
// Prints "name: value" lines. CPU times are user + system seconds of this
// process.
#include "benchblockpath.h"
#include "benchsupport.h"
#include "core/activitylog.h"
#include "core/clock.h"
#include "core/settings.h"
#include "recording/blocklevel.h"
#include "recording/blockprocessor.h"
#include "recording/capturedevice.h"
#include "recording/capturequeue.h"
#include "recording/mp3writer.h"
#include "recording/recordingsession.h"
#include "recording/trackdelivery.h"
#include "recording/wavwriter.h"
#include "shows/show.h"

#include <QDir>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace skywell;
using namespace skywell::bench;

namespace
{

// Ten seconds of 100 ms CD blocks: 8 s of a drifting tone, then 2 s of
// near silence, so the silence rules have work to do.
std::vector<CaptureBlock> makeBlocks()
{
    const WaveFormat format = WaveFormat::pcm(44100, 2, 16);
    std::vector<CaptureBlock> blocks;
    std::vector<std::int16_t> values(4410 * 2);
    double phase = 0;
    for (int b = 0; b < 100; ++b) {
        const double amplitude = b < 80 ? 0.4 : 0.001;
        for (std::size_t i = 0; i < 4410; ++i) {
            phase += 2 * M_PI * (300 + 100 * std::sin(b * 0.1)) / 44100;
            values[2 * i] = values[2 * i + 1] = std::int16_t(std::lround(amplitude * 32767 * std::sin(phase)));
        }
        blocks.emplace_back(format, values.data(), std::uint32_t(values.size() * 2));
    }
    return blocks;
}

double blockPathCpu(std::vector<CaptureBlock> blocks, const QString &dir, std::uint32_t output)
{
    BenchBlockPath path(dir, QStringLiteral("bench"), output | OPT_DEAD_AIR);
    RecordingSession &session = path.session;
    BlockProcessor &processor = path.processor;
    session.deadAirOn = true;
    session.deadAirMs = 1000;

    const double start = cpuSeconds();
    processor.startCapture(QString());
    for (std::size_t i = 0; i < blockCount(); ++i) {
        CaptureBlock &block = blocks[i % blocks.size()];
        processor.processBlock(block);
    }
    processor.finishRecording(false, true);
    const double seconds = cpuSeconds() - start;
    if (!session.outcomeText.isEmpty())
        std::fprintf(stderr, "block path: %s\n", qPrintable(session.outcomeText));
    return seconds;
}

// The same blocks the block path keeps (dead air drops 1 s of the 2 s of
// near silence in every 10 s).
template <typename Write> void writeKeptBlocks(const std::vector<CaptureBlock> &blocks, Write write)
{
    for (std::size_t i = 0; i < blockCount(); ++i)
        if (i % blocks.size() < 90)
            write(blocks[i % blocks.size()]);
}

double wavWriterOnlyCpu(const std::vector<CaptureBlock> &blocks, const QString &path)
{
    const double start = cpuSeconds();
    WavWriter writer;
    writer.open(path, blocks.front(), true);
    writeKeptBlocks(blocks, [&](const CaptureBlock &b) { writer.write(b); });
    writer.close();
    const double seconds = cpuSeconds() - start;
    QFile::remove(path);
    return seconds;
}

double mp3WriterOnlyCpu(const std::vector<CaptureBlock> &blocks, const QString &path)
{
    const double start = cpuSeconds();
    Mp3Writer writer;
    writer.open(path, blocks.front(), 1);
    writeKeptBlocks(blocks, [&](const CaptureBlock &b) { writer.write(b); });
    writer.close({QStringLiteral("bench - 01"), QStringLiteral("0_Skywell"), QStringLiteral("bench"), 1});
    const double seconds = cpuSeconds() - start;
    QFile::remove(path);
    return seconds;
}

double levelScanCpu(const std::vector<CaptureBlock> &blocks)
{
    const double start = cpuSeconds();
    long long sum = 0;
    for (std::size_t i = 0; i < blockCount(); ++i) {
        const CaptureBlock &b = blocks[i % blocks.size()];
        sum += measureLevel(b.samples(), b.sampleBytes()).peakToPeak();
    }
    const double seconds = cpuSeconds() - start;
    if (sum == 42)
        std::printf("\n");
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    QString dir;
    if (!readArguments(argc, argv, dir))
        return 2;
    print("block-audio-minutes", g_minutes);

    const std::vector<CaptureBlock> blocks = makeBlocks();
    // Alternated, the better of three runs of each: these machines drift.
    double wavPath = 1e9, wavWriter = 1e9, mp3Path = 1e9, mp3Writer = 1e9, scan = 1e9;
    for (int round = 0; round < 3; ++round) {
        wavPath = std::min(wavPath, blockPathCpu(blocks, dir, OUT_WAV));
        wavWriter = std::min(wavWriter, wavWriterOnlyCpu(blocks, dir + QStringLiteral("writer.wav")));
        scan = std::min(scan, levelScanCpu(blocks));
    }
    for (int round = 0; round < 2; ++round) {
        mp3Path = std::min(mp3Path, blockPathCpu(blocks, dir, OUT_MP3_FM));
        mp3Writer = std::min(mp3Writer, mp3WriterOnlyCpu(blocks, dir + QStringLiteral("writer.mp3")));
    }
    print("block-path-wav-cpu-seconds", wavPath);
    print("block-wav-writer-only-cpu-seconds", wavWriter);
    print("block-path-mp3-cpu-seconds", mp3Path);
    print("block-mp3-writer-only-cpu-seconds", mp3Writer);
    print("block-level-scan-cpu-seconds", scan);
    print("block-overhead-wav", (wavPath - wavWriter) / wavWriter);
    print("block-overhead-mp3", (mp3Path - mp3Writer) / mp3Writer);
    return 0;
}
