#include "platform/pulsecapture.h"
#include "platform/pulsedevices.h"
#include "platform/pulsetestserver.h"
#include "recording/audiofixtures.h"
#include "recording/capturequeue.h"
#include "support/tempenv.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

#include "support/eventloop.h"

using namespace skywell;
using namespace skywell::test;

namespace
{

struct LevelDrain {
    CaptureQueue &library;
    int blocks = 0;
    int loudBlocks = 0;
    bool formatsRight = true;
    void operator()()
    {
        while (CaptureBlockPtr block = library.takeBlock()) {
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
        }
    }
};

// Runs an action after a delay unless it ran before: a test that would
// otherwise hang for ever (a stop that waits on a frozen server) ends.
class Deadline
{
public:
    Deadline(std::chrono::milliseconds delay, std::function<void()> action)
        : m_action(std::move(action)), m_thread([this, delay] {
              std::unique_lock lock(m_mutex);
              if (!m_wake.wait_for(lock, delay, [this] { return m_done; }))
                  m_action();
          })
    {
    }
    ~Deadline()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    Deadline(const Deadline &) = delete;
    Deadline &operator=(const Deadline &) = delete;

private:
    std::function<void()> m_action;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_thread;
};

// Seconds that stop() took.
double timedStop(CaptureQueue &library)
{
    const auto start = std::chrono::steady_clock::now();
    library.stop();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// stop() is meant to return within a second; the tests allow two so that a
// busy machine does not fail them.
constexpr double kStopBoundSeconds = 2.0;

} // namespace

// Capture from a null sink of the test's own on the shared test server.
struct PulseCapture : ::testing::Test {
    std::unique_ptr<ScopedNullSink> sink;
    PulseSourceChoice choice;
    PulseCaptureDevice device{choice};
    CaptureQueue library{device};
    LevelDrain drain{library};

    void SetUp() override
    {
        QString why;
        ASSERT_TRUE(pulseServerAvailable(&why)) << why.toStdString();
        sink = std::make_unique<ScopedNullSink>(
            QStringLiteral("skywell_capture_%1").arg(QCoreApplication::applicationPid()));
        ASSERT_TRUE(sink->loaded());
        choice.set(sink->monitor());
        library.init([this] { drain(); });
    }
};

// A tone played into a null sink is captured from its monitor.
TEST_F(PulseCapture, RecordsToneFromSinkMonitor)
{
    QString name;
    QStringList names;
    for (bool more = library.firstDevice(name); more; more = library.nextDevice(name))
        names << name;
    EXPECT_TRUE(names.contains(sink->name())) << names.join(QLatin1Char(',')).toStdString();

    library.start(QStringLiteral("Default Device"));
    ASSERT_TRUE(spinUntil([&] { return drain.blocks >= 3; }, 10000));

    TempFolder dir;
    const WaveFormat format = WaveFormat::pcm(44100, 2, 16);
    writeWav(dir.file(QStringLiteral("tone.wav")), format, toneSamples(format, 1.5, 1000.0));
    QProcess player;
    player.start(QStringLiteral("paplay"), {QStringLiteral("-d"), sink->name(), dir.file(QStringLiteral("tone.wav"))});
    EXPECT_TRUE(spinUntil([&] { return drain.loudBlocks >= 5; }, 15000));
    player.waitForFinished(10000);
    library.stop();
    EXPECT_TRUE(drain.formatsRight);
}

// The source vanishing mid-recording neither crashes nor ends capture: the
// server moves the stream to another source, or capture connects again.
TEST_F(PulseCapture, SurvivesSourceDisappearing)
{
    library.start(sink->name());
    ASSERT_TRUE(spinUntil([&] { return drain.blocks >= 2; }, 10000));
    sink.reset();
    const int before = drain.blocks;
    EXPECT_TRUE(spinUntil([&] { return drain.blocks >= before + 10; }, 10000));
    EXPECT_TRUE(library.isRecording());
    library.stop();
}

// Capture from a PulseAudio server of the test's own, recording already.
struct OwnServerCapture : ::testing::Test {
    PrivatePulseServer server;
    std::unique_ptr<ScopedEnv> address;
    PulseSourceChoice choice;
    PulseCaptureDevice device{choice};
    CaptureQueue library{device};
    LevelDrain drain{library};

    void SetUp() override
    {
        ASSERT_TRUE(server.start());
        address = std::make_unique<ScopedEnv>("PULSE_SERVER", server.address().toLocal8Bit());
        library.init([this] { drain(); });
        library.start(QStringLiteral("Default Device"));
        ASSERT_TRUE(spinUntil([&] { return drain.blocks >= 3; }, 10000));
    }
};

// The server going away mid-recording: no crash, blocks stop, and capture
// connects again by itself once the server is back.
TEST_F(OwnServerCapture, ReconnectsWhenTheServerComesBack)
{

    server.stop();
    spinUntil([] { return false; }, 1500);
    const int whileGone = drain.blocks;
    spinUntil([] { return false; }, 1500);
    EXPECT_LE(drain.blocks, whileGone + 1);
    EXPECT_TRUE(library.isRecording());

    ASSERT_TRUE(server.start());
    EXPECT_TRUE(spinUntil([&] { return drain.blocks >= whileGone + 5; }, 15000));
    EXPECT_GE(device.connectionCount(), 2);
    library.stop();
}

// A suspended sink sends nothing to its monitor's readers: capture keeps
// its stream (the server still answers), and stop() does not wait for the
// sink to wake up.
TEST_F(PulseCapture, StopReturnsPromptlyWithTheSinkSuspended)
{
    library.start(sink->name());
    ASSERT_TRUE(spinUntil([&] { return drain.blocks >= 3; }, 10000));

    const QByteArray resume = QStringLiteral("pactl suspend-sink %1 0").arg(sink->name()).toLocal8Bit();
    ASSERT_FALSE(pactl({QStringLiteral("suspend-sink"), sink->name(), QStringLiteral("1")}).isNull());
    Deadline wake(std::chrono::seconds(8), [&resume] { std::system(resume.constData()); });
    // Longer than the capture waits before it asks whether the server is
    // still there.
    pause(4000);
    EXPECT_EQ(device.connectionCount(), 1);
    EXPECT_LT(timedStop(library), kStopBoundSeconds);
    EXPECT_FALSE(pactl({QStringLiteral("suspend-sink"), sink->name(), QStringLiteral("0")}).isNull());
}

// A server stopped by SIGSTOP takes connections and answers nothing.
// stop() returns promptly while capture waits for audio on a stream made
// before, and while it tries to connect anew.
TEST_F(OwnServerCapture, StopReturnsPromptlyWhileTheServerIsFrozen)
{
    ASSERT_TRUE(server.freeze());
    Deadline thaw(std::chrono::seconds(15), [this] { server.thaw(); });
    pause(500);
    EXPECT_LT(timedStop(library), kStopBoundSeconds) << "stopped while reading";

    // Started while the server is frozen: every attempt to connect hangs
    // until its time runs out.
    library.start(QStringLiteral("Default Device"));
    pause(3500);
    EXPECT_LT(timedStop(library), kStopBoundSeconds) << "stopped while connecting";
    EXPECT_EQ(device.connectionCount(), 0);
    EXPECT_TRUE(server.thaw());
}

// A server frozen in the middle of a recording counts as gone: capture
// gives up the connection and tries again once a second, and records again
// once the server goes on.
TEST_F(OwnServerCapture, RecordsAgainAfterTheServerWasFrozen)
{
    ASSERT_TRUE(server.freeze());
    pause(6000);
    ASSERT_TRUE(server.thaw());
    const int frozen = drain.blocks;
    EXPECT_TRUE(spinUntil([&] { return drain.blocks >= frozen + 5; }, 15000));
    EXPECT_GE(device.connectionCount(), 2);
    EXPECT_LT(timedStop(library), kStopBoundSeconds);
    EXPECT_TRUE(drain.formatsRight);
}
