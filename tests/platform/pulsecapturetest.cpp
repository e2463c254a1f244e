#include "platform/pulsecapture.h"
#include "platform/pulsedevices.h"
#include "platform/pulsetestserver.h"
#include "recording/audiofixtures.h"
#include "recording/capturelibrary.h"
#include "support/tempenv.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

#include "support/eventloop.h"

using namespace skywell;
using namespace skywell::test;

namespace
{

struct LevelDrain {
    CaptureLibrary &library;
    int blocks = 0;
    int loudBlocks = 0;
    bool formatsRight = true;
    void operator()()
    {
        AcmBlock *block = nullptr;
        while (library.GetNextACMBlock(block)) {
            ++blocks;
            // 16-bit stereo at the source's own rate (PipeWire runs at
            // 48 kHz), 100 ms a block.
            const std::uint32_t rate = block->format().samplesPerSec;
            formatsRight = formatsRight && (rate == 44100 || rate == 48000) &&
                           block->format() == WaveFormat::pcm(rate, 2, 16) && block->sampleBytes() == rate / 10 * 4 &&
                           block->isConsistent();
            const auto *v = reinterpret_cast<const std::int16_t *>(block->samples());
            int lo = 0, hi = 0;
            for (std::uint32_t i = 0; i < block->sampleBytes() / 2; ++i) {
                lo = std::min<int>(lo, v[i]);
                hi = std::max<int>(hi, v[i]);
            }
            if (hi - lo > 2048)
                ++loudBlocks;
            library.FreeACMBlock(block);
        }
    }
};

} // namespace

// A tone played into a null sink is captured from its monitor.
TEST(PulseCapture, RecordsToneFromSinkMonitor)
{
    QString why;
    ASSERT_TRUE(pulseServerAvailable(&why)) << why.toStdString();
    ScopedNullSink sink(QStringLiteral("skywell_capture_%1").arg(QCoreApplication::applicationPid()));
    ASSERT_TRUE(sink.loaded());

    PulseSourceChoice choice;
    choice.set(sink.monitor());
    PulseCaptureDevice device(choice);
    CaptureLibrary library(device);
    LevelDrain drain{library};
    library.InitACM([&drain] { drain(); });

    QString name;
    QStringList names;
    for (bool more = library.GetFirstACMDevice(name); more; more = library.GetNextACMDevice(name))
        names << name;
    EXPECT_TRUE(names.contains(sink.name())) << names.join(QLatin1Char(',')).toStdString();

    library.StartACMRecord(QStringLiteral("Default Device"));
    ASSERT_TRUE(spinUntil([&] { return drain.blocks >= 3; }, 10000));

    TempFolder dir;
    const WaveFormat format = WaveFormat::pcm(44100, 2, 16);
    writeWav(dir.file(QStringLiteral("tone.wav")), format, toneSamples(format, 1.5, 1000.0));
    QProcess player;
    player.start(QStringLiteral("paplay"), {QStringLiteral("-d"), sink.name(), dir.file(QStringLiteral("tone.wav"))});
    EXPECT_TRUE(spinUntil([&] { return drain.loudBlocks >= 5; }, 15000));
    player.waitForFinished(10000);
    library.StopACMRecord();
    EXPECT_TRUE(drain.formatsRight);
}

// The source vanishing mid-recording neither crashes nor ends capture: the
// server moves the stream to another source, or capture connects again.
TEST(PulseCapture, SurvivesSourceDisappearing)
{
    QString why;
    ASSERT_TRUE(pulseServerAvailable(&why)) << why.toStdString();
    const QString name = QStringLiteral("skywell_vanish_%1").arg(QCoreApplication::applicationPid());
    auto sink = std::make_unique<ScopedNullSink>(name);
    ASSERT_TRUE(sink->loaded());

    PulseSourceChoice choice;
    choice.set(sink->monitor());
    PulseCaptureDevice device(choice);
    CaptureLibrary library(device);
    LevelDrain drain{library};
    library.InitACM([&drain] { drain(); });
    library.StartACMRecord(name);
    ASSERT_TRUE(spinUntil([&] { return drain.blocks >= 2; }, 10000));
    sink.reset();
    const int before = drain.blocks;
    EXPECT_TRUE(spinUntil([&] { return drain.blocks >= before + 10; }, 10000));
    EXPECT_TRUE(library.isRecording());
    library.StopACMRecord();
}

// The server going away mid-recording: no crash, blocks stop, and capture
// connects again by itself once the server is back.
TEST(PulseCapture, ReconnectsWhenTheServerComesBack)
{
    PrivatePulseServer server;
    ASSERT_TRUE(server.start());
    ScopedEnv address("PULSE_SERVER", server.address().toLocal8Bit());

    PulseSourceChoice choice;
    PulseCaptureDevice device(choice);
    CaptureLibrary library(device);
    LevelDrain drain{library};
    library.InitACM([&drain] { drain(); });
    library.StartACMRecord(QStringLiteral("Default Device"));
    ASSERT_TRUE(spinUntil([&] { return drain.blocks >= 3; }, 10000));

    server.stop();
    spinUntil([] { return false; }, 1500);
    const int whileGone = drain.blocks;
    spinUntil([] { return false; }, 1500);
    EXPECT_LE(drain.blocks, whileGone + 1);
    EXPECT_TRUE(library.isRecording());

    ASSERT_TRUE(server.start());
    EXPECT_TRUE(spinUntil([&] { return drain.blocks >= whileGone + 5; }, 15000));
    EXPECT_GE(device.connectionCount(), 2);
    library.StopACMRecord();
}
