#include "recording/wavwriter.h"
#include "recording/audiofixtures.h"
#include "recording/wavfile.h"
#include "support/tempenv.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace skywell;
using namespace skywell::test;

namespace
{

struct WriteResult {
    std::uint32_t closed = 0;
    WavData wav;
};

WriteResult writeThrough(const QString &path, const WaveFormat &format, const std::vector<std::uint8_t> &samples,
                         int blockMs = 100)
{
    WavWriter writer;
    const std::vector<CaptureBlock> blocks = toBlocks(format, samples, blockMs);
    EXPECT_TRUE(writer.open(path, blocks.front(), true));
    for (const CaptureBlock &block : blocks)
        EXPECT_TRUE(writer.write(block));
    WriteResult result;
    result.closed = writer.close();
    EXPECT_TRUE(writer.errors().isEmpty());
    const auto wav = readWavFile(path);
    EXPECT_TRUE(wav.has_value());
    if (wav)
        result.wav = *wav;
    return result;
}

// Mean absolute value of one channel of 16-bit stereo.
double channelLevel(const QByteArray &samples, int channel)
{
    const auto *values = reinterpret_cast<const std::int16_t *>(samples.constData());
    const qsizetype frames = samples.size() / 4;
    double sum = 0;
    for (qsizetype i = 0; i < frames; ++i)
        sum += std::abs(int(values[2 * i + channel]));
    return frames ? sum / double(frames) : 0;
}

// Lowers the process's file size limit for its lifetime, so that a write
// crossing it is taken only in part and then fails, as on a disk that fills
// up in the middle of a block.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_old;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

// Every source format becomes 44100 Hz 16-bit stereo of the same length.
TEST(WavWriter, ConvertsEverySourceFormatKeepingDuration)
{
    const WaveFormat formats[] = {WaveFormat::pcm(44100, 2, 16), WaveFormat::pcm(22050, 2, 16),
                                  WaveFormat::pcm(48000, 2, 16), WaveFormat::pcm(44100, 1, 16),
                                  WaveFormat::pcm(44100, 1, 8),  WaveFormat::pcm(22050, 1, 8),
                                  WaveFormat::pcm(48000, 1, 16)};
    TempFolder dir;
    for (const WaveFormat &format : formats) {
        SCOPED_TRACE(testing::Message() << format.samplesPerSec << " Hz " << format.channels << " ch "
                                        << format.bitsPerSample << " bit");
        const auto samples = toneSamples(format, 5.0);
        const WriteResult r = writeThrough(dir.file(QStringLiteral("out.wav")), format, samples);
        EXPECT_EQ(r.wav.format, WaveFormat::pcm(44100, 2, 16));
        EXPECT_EQ(r.wav.riffSize, r.wav.dataSize + 36);
        EXPECT_EQ(r.wav.dataSize, std::uint32_t(r.wav.samples.size()));
        EXPECT_EQ(r.closed, r.wav.dataSize);
        EXPECT_NEAR(r.wav.seconds(), 5.0, 0.05);
        EXPECT_GT(channelLevel(r.wav.samples, 0), 5000);
        EXPECT_GT(channelLevel(r.wav.samples, 1), 5000);
    }
}

TEST(WavWriter, CdFormatPassesThroughByteForByte)
{
    TempFolder dir;
    const WaveFormat cd = WaveFormat::pcm(44100, 2, 16);
    const auto samples = toneSamples(cd, 1.3);
    const WriteResult r = writeThrough(dir.file(QStringLiteral("cd.wav")), cd, samples);
    ASSERT_EQ(r.wav.samples.size(), qsizetype(samples.size()));
    EXPECT_EQ(0, std::memcmp(r.wav.samples.constData(), samples.data(), samples.size()));
}

// The converter gets both channels: a left-only tone stays on the left.
TEST(WavWriter, ConversionKeepsStereoChannelsApart)
{
    TempFolder dir;
    const WaveFormat format = WaveFormat::pcm(48000, 2, 16);
    const auto samples = toneSamples(format, 3.0, 1000.0, true);
    const WriteResult r = writeThrough(dir.file(QStringLiteral("left.wav")), format, samples);
    EXPECT_GT(channelLevel(r.wav.samples, 0), 5000);
    EXPECT_LT(channelLevel(r.wav.samples, 1), 1.0);
}

// Blocks far larger than the 48000-byte work buffer, and odd sizes around
// it, convert without loss.
TEST(WavWriter, LargeAndOddBlocksAreConvertedInPieces)
{
    TempFolder dir;
    const WaveFormat format = WaveFormat::pcm(48000, 2, 16);
    for (int blockMs : {1000, 2500, 249, 250, 251}) {
        SCOPED_TRACE(blockMs);
        const auto samples = toneSamples(format, 4.0);
        const WriteResult r = writeThrough(dir.file(QStringLiteral("big.wav")), format, samples, blockMs);
        EXPECT_NEAR(r.wav.seconds(), 4.0, 0.04);
    }
}

// Two streams converting at once each keep their own audio.
TEST(WavWriter, TwoConvertingStreamsDoNotMix)
{
    TempFolder dir;
    const WaveFormat format = WaveFormat::pcm(48000, 2, 16);
    const auto tone = toneSamples(format, 2.0);
    const std::vector<std::uint8_t> silence(tone.size(), 0);
    const auto toneBlocks = toBlocks(format, tone);
    const auto silentBlocks = toBlocks(format, silence);
    WavWriter a, b;
    ASSERT_TRUE(a.open(dir.file(QStringLiteral("a.wav")), toneBlocks.front(), true));
    ASSERT_TRUE(b.open(dir.file(QStringLiteral("b.wav")), silentBlocks.front(), true));
    for (std::size_t i = 0; i < toneBlocks.size(); ++i) {
        a.write(toneBlocks[i]);
        b.write(silentBlocks[i]);
    }
    a.close();
    b.close();
    const auto silent = readWavFile(dir.file(QStringLiteral("b.wav")));
    ASSERT_TRUE(silent);
    EXPECT_EQ(channelLevel(silent->samples, 0), 0.0);
    EXPECT_EQ(channelLevel(silent->samples, 1), 0.0);
}

TEST(WavWriter, EmptyRecordingIsA44ByteFile)
{
    TempFolder dir;
    const WaveFormat format = WaveFormat::pcm(22050, 2, 16);
    const CaptureBlock first(format, nullptr, 0);
    for (bool convert : {true, false}) {
        WavWriter writer;
        const QString path = dir.file(QStringLiteral("empty.wav"));
        ASSERT_TRUE(writer.open(path, first, convert));
        EXPECT_EQ(writer.close(), 0u);
        const QByteArray bytes = readAll(path);
        ASSERT_EQ(bytes.size(), 44);
        const auto *b = reinterpret_cast<const std::uint8_t *>(bytes.constData());
        EXPECT_EQ(getU32(b + 4), 36u);
        EXPECT_EQ(getU32(b + 40), 0u);
        EXPECT_EQ(bytes.mid(36, 4), QByteArray("data"));
    }
}

TEST(WavWriter, RefusesBlockThatClaimsMoreThanItHolds)
{
    TempFolder dir;
    const WaveFormat format = WaveFormat::pcm(48000, 2, 16);
    const auto samples = toneSamples(format, 0.1);
    std::vector<std::uint8_t> bytes(CaptureBlock::kSampleOffset + samples.size());
    format.writeTo(bytes.data());
    std::memcpy(bytes.data() + CaptureBlock::kSampleOffset, samples.data(), samples.size());
    putU32(bytes.data() + CaptureBlock::kSampleCountOffset, std::uint32_t(samples.size() + 4000));
    const CaptureBlock lying(std::move(bytes));
    for (bool convert : {true, false}) {
        WavWriter writer;
        ASSERT_TRUE(writer.open(dir.file(QStringLiteral("x.wav")), lying, convert));
        EXPECT_FALSE(writer.write(lying));
        EXPECT_EQ(writer.close(), 0u);
    }
}

// A full disk (the file's descriptor replaced by /dev/full) and a missing
// folder are reported through the result and one message; nothing crashes.
TEST(WavWriter, DiskFullAndMissingFolderAreReported)
{
    TempFolder dir;
    const WaveFormat format = WaveFormat::pcm(48000, 2, 16);
    const auto blocks = toBlocks(format, toneSamples(format, 1.0));
    {
        WavWriter writer;
        EXPECT_EQ(writer.open(dir.file(QStringLiteral("gone/x.wav")), blocks.front(), true),
                  (WriteOutcome{false, ENOENT}));
        EXPECT_TRUE(writer.errors().isEmpty());
    }
    {
        // A header the file refuses for good (past the file size limit).
        WavWriter writer;
        FileSizeLimit limit(10);
        EXPECT_FALSE(writer.open(dir.file(QStringLiteral("limited.wav")), blocks.front(), true));
        ASSERT_EQ(writer.errors().size(), 1);
        EXPECT_EQ(writer.errors().front(), QStringLiteral("Can not write WAV header."));
    }
    {
        WavWriter writer;
        ASSERT_TRUE(writer.open(dir.file(QStringLiteral("full.wav")), blocks.front(), true));
        EXPECT_TRUE(writer.write(blocks[0]));
        const int full = ::open("/dev/full", O_WRONLY);
        ASSERT_GE(full, 0);
        ::dup2(full, writer.fileDescriptor());
        ::close(full);
        EXPECT_EQ(writer.write(blocks[1]), (WriteOutcome{false, ENOSPC}));
        EXPECT_FALSE(writer.write(blocks[2]));
        EXPECT_EQ(writer.close(), 0u);
        EXPECT_EQ(writer.errors(), QStringList({QStringLiteral("Error in writing to WAV file."),
                                                QStringLiteral("Could not save WAV file.")}));
    }
    {
        // The folder removed while the track is written.
        WavWriter writer;
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("sub")));
        ASSERT_TRUE(writer.open(dir.file(QStringLiteral("sub/x.wav")), blocks.front(), true));
        EXPECT_TRUE(writer.write(blocks[0]));
        ASSERT_TRUE(QDir(dir.file(QStringLiteral("sub"))).removeRecursively());
        writer.write(blocks[1]);
        EXPECT_EQ(writer.close(), 0u);
        ASSERT_EQ(writer.errors().size(), 1);
        EXPECT_EQ(writer.errors().front(), QStringLiteral("Could not save WAV file."));
    }
}

// One write that fails in the middle of a recording loses that block only,
// whether the disk took none of it or a part: the file is kept, its header
// counts exactly the samples in it, the samples after the gap stay whole
// frames, and the writer says the file may be damaged.
TEST(WavWriter, FailedWriteInTheMiddleKeepsTheRest)
{
    TempFolder dir;
    const WaveFormat format = WaveFormat::pcm(44100, 2, 16);
    const auto blocks = toBlocks(format, toneSamples(format, 2.0, 440.0, true));
    const std::uint32_t blockBytes = blocks.front().sampleBytes();
    for (const bool partly : {false, true}) {
        SCOPED_TRACE(partly ? "part of the block written" : "none of the block written");
        const QString path = dir.file(QStringLiteral("gap.wav"));
        WavWriter writer;
        ASSERT_TRUE(writer.open(path, blocks.front(), true));
        const std::size_t lost = blocks.size() / 2;
        for (std::size_t i = 0; i < lost; ++i)
            EXPECT_TRUE(writer.write(blocks[i]));
        if (partly) {
            // An odd number of bytes: not even whole samples.
            FileSizeLimit limit(WavWriter::kHeaderBytes + writer.dataBytes() + 1001);
            EXPECT_FALSE(writer.write(blocks[lost]));
        } else {
            ScopedDiskFull full(writer.fileDescriptor());
            ASSERT_TRUE(full.active());
            EXPECT_FALSE(writer.write(blocks[lost]));
        }
        for (std::size_t i = lost + 1; i < blocks.size(); ++i)
            EXPECT_TRUE(writer.write(blocks[i]));
        const std::uint32_t closed = writer.close();
        EXPECT_EQ(closed, std::uint32_t(blocks.size() - 1) * blockBytes);
        EXPECT_TRUE(writer.hadWriteError());
        ASSERT_EQ(writer.errors().size(), 1);
        EXPECT_EQ(writer.errors().front(), QStringLiteral("Error in writing to WAV file."));

        const QByteArray file = readAll(path);
        ASSERT_EQ(file.size(), qsizetype(WavWriter::kHeaderBytes + closed));
        const auto *b = reinterpret_cast<const std::uint8_t *>(file.constData());
        EXPECT_EQ(getU32(b + 4), closed + 36);
        EXPECT_EQ(getU32(b + 40), closed);
        QString samples;
        ASSERT_TRUE(runTool(QStringLiteral("soxi"), {QStringLiteral("-s"), path}, &samples)) << samples.toStdString();
        EXPECT_EQ(samples.trimmed().toUInt(), closed / 4);
        // The tone is on the left only: a gap of part of a frame would bring
        // it to the right channel from there on.
        const QByteArray tail = file.right(blockBytes);
        EXPECT_GT(channelLevel(tail, 0), 1000.0);
        EXPECT_LT(channelLevel(tail, 1), 1.0);
    }
}

namespace
{

// Sample frames and seconds of a WAV file as ffprobe reads it.
struct Probe {
    std::uint64_t frames = 0;
    double seconds = 0;
};

bool probeWav(const QString &path, Probe *probe)
{
    QString out;
    if (!runTool(QStringLiteral("ffprobe"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                  QStringLiteral("a:0"), QStringLiteral("-show_entries"), QStringLiteral("stream=duration_ts,duration"),
                  QStringLiteral("-of"), QStringLiteral("default=noprint_wrappers=1"), path},
                 &out))
        return false;
    for (const QString &line : out.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("duration_ts=")))
            probe->frames = line.mid(12).toULongLong();
        else if (line.startsWith(QLatin1String("duration=")))
            probe->seconds = line.mid(9).toDouble();
    }
    return probe->frames > 0;
}

} // namespace

// A writer fed past the size limit (a few megabytes here, 4 GB in use)
// refuses the block that would cross it, says so once, and leaves a file
// whose header and length agree: players see all of it.
TEST(WavWriter, RefusesBlocksPastTheSizeLimit)
{
    TempFolder dir;
    const std::uint32_t limit = 3 * 1024 * 1024 + 1001; // not whole frames
    for (const WaveFormat &format : {WaveFormat::pcm(44100, 2, 16), WaveFormat::pcm(48000, 2, 16)}) {
        SCOPED_TRACE(testing::Message() << format.samplesPerSec << " Hz");
        const QString path = dir.file(QStringLiteral("long.wav"));
        // Twice what fits.
        const auto blocks = toBlocks(format, toneSamples(format, 2.0 * limit / 176400.0));
        WavWriter writer(limit);
        ASSERT_TRUE(writer.open(path, blocks.front(), true));
        std::size_t written = 0;
        while (written < blocks.size() && !writer.wouldExceedLimit(blocks[written])) {
            ASSERT_TRUE(writer.write(blocks[written]));
            ++written;
        }
        ASSERT_LT(written, blocks.size());
        const std::uint32_t before = writer.dataBytes();
        for (std::size_t i = written; i < blocks.size(); ++i)
            EXPECT_FALSE(writer.write(blocks[i]));
        EXPECT_EQ(writer.dataBytes(), before);
        EXPECT_TRUE(writer.reachedLimit());
        EXPECT_TRUE(writer.hadWriteError());
        const std::uint32_t closed = writer.close();
        ASSERT_EQ(writer.errors().size(), 1);
        EXPECT_EQ(writer.errors().front(),
                  QStringLiteral("WAV file size limit reached (4 GB): the rest of this track was not saved."));

        // Close to the limit (within a block and the converter's reserve),
        // never past it, whole frames.
        EXPECT_LE(closed, limit);
        EXPECT_GT(closed, limit - 2 * 17640 - 4 * WavWriter::kConverterReserveFrames);
        EXPECT_EQ(closed % 4, 0u);
        const QByteArray file = readAll(path);
        ASSERT_EQ(file.size(), qsizetype(WavWriter::kHeaderBytes + closed));
        const auto *b = reinterpret_cast<const std::uint8_t *>(file.constData());
        EXPECT_EQ(getU32(b + 4), closed + 36);
        EXPECT_EQ(getU32(b + 40), closed);
        Probe probe;
        ASSERT_TRUE(probeWav(path, &probe));
        EXPECT_EQ(probe.frames, closed / 4);
        EXPECT_NEAR(probe.seconds, closed / 176400.0, 0.001);
    }
}

// Starting a new file whenever the next block would cross the limit, as
// block processing does, keeps every sample: nothing is refused, no file
// passes the limit (the converter's flush at close included), and the
// files together last as long as the input.
TEST(WavWriter, SplittingBeforeTheLimitLosesNothing)
{
    TempFolder dir;
    const std::uint32_t limit = 1024 * 1024;
    const double seconds = 14.0;
    for (const WaveFormat &format :
         {WaveFormat::pcm(44100, 2, 16), WaveFormat::pcm(48000, 2, 16), WaveFormat::pcm(22050, 1, 8)}) {
        SCOPED_TRACE(testing::Message() << format.samplesPerSec << " Hz " << format.channels << " ch");
        const auto blocks = toBlocks(format, toneSamples(format, seconds));
        WavWriter writer(limit);
        QStringList files;
        for (const CaptureBlock &block : blocks) {
            if (!writer.isOpen() || writer.wouldExceedLimit(block)) {
                if (writer.isOpen())
                    writer.close();
                files << dir.file(QStringLiteral("part%1.wav").arg(files.size()));
                ASSERT_TRUE(writer.open(files.back(), block, true));
            }
            ASSERT_TRUE(writer.write(block));
        }
        writer.close();
        EXPECT_TRUE(writer.errors().isEmpty());
        EXPECT_GE(files.size(), 3);
        double total = 0;
        for (const QString &path : files) {
            const auto wav = readWavFile(path);
            ASSERT_TRUE(wav);
            EXPECT_LE(wav->dataSize, limit);
            EXPECT_EQ(wav->dataSize, std::uint32_t(wav->samples.size()));
            total += wav->seconds();
        }
        EXPECT_NEAR(total, seconds, 0.05 * files.size());
    }
}
