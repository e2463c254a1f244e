#include "recording/capturequeue.h"
#include "recording/audiofixtures.h"
#include "support/filecapturedevice.h"
#include "support/idlecapturedevice.h"
#include "support/tempenv.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include "support/eventloop.h"

using namespace skywell;
using namespace skywell::test;

namespace
{

// Drains the queue the way block processing does, on the calling thread.
struct Drain {
    CaptureQueue &library;
    std::size_t blocks = 0;
    std::size_t bytes = 0;
    QByteArray samples;
    bool onMainThread = true;
    void operator()()
    {
        onMainThread = onMainThread && QThread::currentThread() == QCoreApplication::instance()->thread();
        while (CaptureBlockPtr block = library.takeBlock()) {
            ++blocks;
            bytes += block->sampleBytes();
            samples.append(reinterpret_cast<const char *>(block->samples()), block->sampleBytes());
        }
    }
};

} // namespace

TEST(CaptureBlock, LayoutMatchesTheCaptureFormat)
{
    const WaveFormat format = WaveFormat::pcm(48000, 2, 16);
    const std::uint8_t samples[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const CaptureBlock block(format, samples, sizeof samples);
    ASSERT_EQ(block.size(), 32u);
    const std::uint8_t *b = block.data();
    EXPECT_EQ(getU16(b), 1);           // PCM
    EXPECT_EQ(getU16(b + 2), 2);       // channels
    EXPECT_EQ(getU32(b + 4), 48000u);  // samples per second
    EXPECT_EQ(getU32(b + 8), 192000u); // average bytes per second
    EXPECT_EQ(getU16(b + 12), 4);      // block alignment
    EXPECT_EQ(getU16(b + 14), 16);     // bits per sample
    EXPECT_EQ(getU32(b + 20), 8u);     // sample bytes
    EXPECT_EQ(b[24], 1);
    EXPECT_EQ(b[31], 8);
    EXPECT_TRUE(block.isConsistent());
}

// Every sample of the file arrives, in order, through queued notifications
// handled on the main thread.
TEST(CaptureQueue, FileDeviceDeliversWholeFileThroughTheQueue)
{
    TempFolder dir;
    const WaveFormat format = WaveFormat::pcm(48000, 2, 16);
    const auto samples = toneSamples(format, 3.05);
    writeWav(dir.file(QStringLiteral("in.wav")), format, samples);

    FileCaptureDevice device(dir.file(QStringLiteral("in.wav")), FileCaptureDevice::Pace::AsFastAsPossible);
    CaptureQueue library(device);
    Drain drain{library};
    library.init([&drain] { drain(); });

    QString name;
    ASSERT_TRUE(library.firstDevice(name));
    EXPECT_EQ(name, QStringLiteral("in.wav"));
    EXPECT_FALSE(library.nextDevice(name));

    library.start(name);
    EXPECT_TRUE(spinUntil([&] { return drain.bytes == samples.size(); }, 10000));
    library.stop();
    EXPECT_EQ(drain.blocks, 31u); // 30 blocks of 100 ms and the last 50 ms
    EXPECT_TRUE(drain.onMainThread);
    ASSERT_EQ(drain.samples.size(), qsizetype(samples.size()));
    EXPECT_EQ(0, std::memcmp(drain.samples.constData(), samples.data(), samples.size()));
}

TEST(CaptureQueue, RealTimePaceAndStopKeepsQueuedBlocks)
{
    TempFolder dir;
    const WaveFormat format = WaveFormat::pcm(44100, 2, 16);
    writeWav(dir.file(QStringLiteral("in.wav")), format, toneSamples(format, 10.0));
    FileCaptureDevice device(dir.file(QStringLiteral("in.wav")), FileCaptureDevice::Pace::RealTime);
    CaptureQueue library(device);
    library.init([] {}); // nobody drains: blocks stay queued
    QElapsedTimer timer;
    timer.start();
    library.start(QStringLiteral("in.wav"));
    library.start(QStringLiteral("in.wav")); // a split: keeps going
    QThread::msleep(550);
    library.stop();
    const std::size_t queued = library.queuedBlocks();
    EXPECT_GE(queued, 3u);
    EXPECT_LE(queued, 7u);
    const CaptureBlockPtr block = library.takeBlock();
    ASSERT_TRUE(block);
    EXPECT_EQ(block->sampleBytes(), 17640u);
    QThread::msleep(250);
    EXPECT_EQ(library.queuedBlocks(), queued - 1);
    library.shutdown();
    EXPECT_EQ(library.queuedBlocks(), 0u);
}

TEST(CaptureQueue, MissingFileDoesNotStart)
{
    FileCaptureDevice device(QStringLiteral("/nonexistent/x.wav"), FileCaptureDevice::Pace::RealTime);
    CaptureQueue library(device);
    library.init([] {});
    library.start(QStringLiteral("x.wav"));
    EXPECT_FALSE(library.isRecording());
    EXPECT_EQ(library.takeBlock(), nullptr);
}

// A stream recording's queue has no sound card: only the address starts
// capture, and only the stream's capture is started or stopped.
TEST(CaptureQueue, StreamOnlyQueueStartsNothingButTheStream)
{
    IdleCaptureDevice stream;
    CaptureQueue library(static_cast<StreamCapture &>(stream));
    library.init([] {});
    QString name;
    EXPECT_FALSE(library.firstDevice(name));
    library.start(QStringLiteral("Test Card"));
    EXPECT_FALSE(library.isRecording());
    library.startStream(QStringLiteral("http://127.0.0.1:9/a"));
    library.startStream(QStringLiteral("http://127.0.0.1:9/a"));
    library.reopenStream();
    EXPECT_TRUE(library.isRecording());
    EXPECT_EQ(stream.starts,
              QStringList({QStringLiteral("http://127.0.0.1:9/a"), QStringLiteral("http://127.0.0.1:9/a")}));
    EXPECT_EQ(stream.stops, 1);
}
