#include "platform/pulseprivatesink.h"
#include "core/activitylog.h"
#include "core/clock.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "mixer/mixer.h"
#include "platform/pulsecapture.h"
#include "platform/pulsedevices.h"
#include "platform/pulsemixer.h"
#include "platform/pulsetestserver.h"
#include "recording/audiofixtures.h"
#include "recording/blocklevel.h"
#include "recording/capturequeue.h"
#include "support/eventloop.h"
#include "support/tempenv.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <chrono>
#include <unistd.h>

// The suite name puts these tests among the ones that run one at a time on
// the shared sound server (they change its default sink for a moment).

using namespace skywell;
using namespace skywell::test;

namespace
{

// Records one source through the program's own capture and measures what
// it hears, block by block.
class MonitorRecorder
{
public:
    // Records source, chosen through the mixer, on the given sound card.
    explicit MonitorRecorder(const QString &source, const QString &soundCard = kDefaultDevice)
    {
        m_choice.set(source);
        m_queue.init([this] { drain(); });
        m_queue.start(soundCard);
    }
    ~MonitorRecorder()
    {
        m_queue.stop();
        m_queue.shutdown();
    }
    void reset() { blocks = soundBlocks = loudest = 0; }

    int blocks = 0;
    int soundBlocks = 0; // not silent by the recording's own measure
    int loudest = 0;     // largest peak-to-peak value of a block

private:
    void drain()
    {
        while (CaptureBlockPtr block = m_queue.takeBlock()) {
            const BlockLevel level = measureLevel(block->samples(), block->sampleBytes());
            ++blocks;
            if (!level.silent())
                ++soundBlocks;
            loudest = std::max(loudest, level.peakToPeak());
        }
    }

    PulseSourceChoice m_choice;
    PulseCaptureDevice m_device{m_choice};
    CaptureQueue m_queue{m_device};
};

bool finished(QProcess &process, int ms)
{
    return spinUntil([&] { return process.state() == QProcess::NotRunning; }, ms);
}

// Modules on the server that make a sink of this name.
int modulesFor(const QString &sinkName)
{
    const QRegularExpression pattern(QStringLiteral("\\bsink_name=") + QRegularExpression::escape(sinkName) +
                                     QStringLiteral("(\\s|$)"));
    int count = 0;
    for (const QString &line :
         pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("modules")}).split(QLatin1Char('\n')))
        if (line.contains(pattern))
            ++count;
    return count;
}

QString toneFile(const TempFolder &dir, double seconds)
{
    const WaveFormat format = WaveFormat::pcm(44100, 2, 16);
    const QString path = dir.file(QStringLiteral("tone%1.wav").arg(seconds));
    writeWav(path, format, toneSamples(format, seconds, 1000.0));
    return path;
}

// A loud block of the half-scale test tone spans about 32000.
constexpr int kToneSpan = 20000;

// Speakers of the test's own as the default sink, and the private sink.
struct MuteSink {
    ScopedNullSink speakers{QStringLiteral("skywell_speakers_%1").arg(QCoreApplication::applicationPid())};
    std::unique_ptr<ScopedDefaultSink> asDefault;
    TempFolder dir;
    PulsePrivateSink sink;

    bool setUp(QString *why)
    {
        if (!pulseServerAvailable(why))
            return false;
        if (!speakers.loaded()) {
            *why = QStringLiteral("cannot load a null sink for the speakers");
            return false;
        }
        asDefault = std::make_unique<ScopedDefaultSink>(speakers.name());
        return true;
    }
};

} // namespace

// A recording with the speakers muted: the player started into the
// private sink is recorded from its monitor while the speakers hear
// nothing; a player already playing on the speakers is moved there by its
// process id; closing gives that player back to the speakers.
TEST(PulseMixer, MuteSinkRecordsWhatTheSpeakersDoNotPlay)
{
    MuteSink rig;
    QString why;
    ASSERT_TRUE(rig.setUp(&why)) << why.toStdString();
    ASSERT_TRUE(rig.sink.open()) << rig.sink.errorText().toStdString();
    EXPECT_EQ(pactl({QStringLiteral("get-default-sink")}).trimmed(), rig.speakers.name())
        << "the private sink must not take over the speakers";
    EXPECT_TRUE(
        pactl({QStringLiteral("list"), QStringLiteral("sinks")}).contains(QStringLiteral("Skywell (recording ")));

    // The recording source is chosen through the mixer as at every capture
    // start; the sound card configured is the speakers' own.
    TempFolder config;
    ManualClock clock(1700000000);
    ActivityLog log(rig.dir.path(), clock);
    SettingsStore settingsStore(config.path(), config.path() + QStringLiteral("machine"));
    Settings settings;
    settings.soundCard = rig.speakers.name();
    PulseSourceChoice choice;
    PulseMixer backend(choice);
    Mixer mixer(backend, log, settingsStore, settings);
    EXPECT_TRUE(mixer.selectRecordingSource(rig.sink.monitorName()));
    MonitorRecorder recording(choice.get(), settings.soundCard);
    MonitorRecorder speakers(rig.speakers.monitor());
    ASSERT_TRUE(spinUntil([&] { return recording.blocks >= 3 && speakers.blocks >= 3; }, 10000));

    // The player Skywell starts, told where to play as the tuner is.
    QProcess tuner;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PULSE_SINK"), rig.sink.sinkName());
    tuner.setProcessEnvironment(environment);
    tuner.start(QStringLiteral("paplay"), {toneFile(rig.dir, 2.0)});
    ASSERT_TRUE(finished(tuner, 15000));
    EXPECT_EQ(tuner.exitCode(), 0) << tuner.readAllStandardError().toStdString();
    pause(500);
    EXPECT_GE(recording.soundBlocks, 15) << "the recording is silent";
    EXPECT_GE(recording.loudest, kToneSpan);
    EXPECT_GT(speakers.blocks, 20);
    EXPECT_EQ(speakers.soundBlocks, 0) << "the speakers played the tuner";

    // A player Skywell did not start, playing on the speakers.
    speakers.reset();
    QProcess player;
    player.start(QStringLiteral("paplay"), {toneFile(rig.dir, 12.0)});
    ASSERT_TRUE(spinUntil([&] { return speakers.soundBlocks >= 3; }, 10000)) << "the player did not start";
    const StreamMove move = rig.sink.moveStreamsOf({player.processId()});
    EXPECT_EQ(move.found, 1);
    EXPECT_EQ(move.moved, 1);
    EXPECT_TRUE(move.problem.isEmpty()) << move.problem.toStdString();
    // What was on its way to the speakers drains; a server that applies
    // the move late (PipeWire on a busy machine) gets up to 5 s.
    pause(700);
    const bool drained = spinUntil(
        [&] {
            speakers.reset();
            pause(300);
            return speakers.soundBlocks == 0;
        },
        5000);
    EXPECT_TRUE(drained) << "the moved player never left the speakers";
    recording.reset();
    speakers.reset();
    pause(1500);
    EXPECT_EQ(speakers.soundBlocks, 0) << "the moved player still plays on the speakers";
    EXPECT_GT(speakers.blocks, 5);
    EXPECT_GE(recording.soundBlocks, 10);
    EXPECT_GE(recording.loudest, kToneSpan);

    // The recording ends; the player goes on, on the speakers again.
    rig.sink.close();
    EXPECT_EQ(modulesFor(rig.sink.sinkName()), 0);
    speakers.reset();
    EXPECT_TRUE(spinUntil([&] { return speakers.soundBlocks >= 3; }, 5000)) << "the player was not given back";
    EXPECT_EQ(player.state(), QProcess::Running);
    player.kill();
    player.waitForFinished(5000);
}

// A browser or a wrapper script plays from a child process: its streams
// are found through the process that was started. A process without any
// stream gets a reason fit for the log. A player moved from headphones
// (not the default sink) goes back to them when the recording ends.
TEST(PulseMixer, MuteSinkMovesChildProcessesAndSaysWhyWhenNothingPlays)
{
    MuteSink rig;
    QString why;
    ASSERT_TRUE(rig.setUp(&why)) << why.toStdString();
    EXPECT_EQ(rig.sink.moveStreamsOf({1}).problem, QStringLiteral("the private sink is not open"));
    ASSERT_TRUE(rig.sink.open()) << rig.sink.errorText().toStdString();

    QProcess idle;
    idle.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(idle.waitForStarted());
    const StreamMove none = rig.sink.moveStreamsOf({idle.processId()});
    EXPECT_EQ(none.found, 0);
    EXPECT_EQ(none.moved, 0);
    EXPECT_EQ(none.problem, QStringLiteral("no playback stream of process %1 (or of a child process) on the "
                                           "sound server")
                                .arg(idle.processId()));
    idle.kill();
    idle.waitForFinished();

    ScopedNullSink headphones(rig.speakers.name() + QStringLiteral("_headphones"));
    ASSERT_TRUE(headphones.loaded());
    MonitorRecorder recording(rig.sink.monitorName());
    MonitorRecorder speakers(rig.speakers.monitor());
    MonitorRecorder heard(headphones.monitor());
    ASSERT_TRUE(spinUntil([&] { return recording.blocks >= 3 && speakers.blocks >= 3 && heard.blocks >= 3; }, 10000));
    // The shell stays the player's parent (it has more to do after it).
    QProcess wrapper;
    wrapper.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("paplay -d \"$0\" \"$1\"; :"),
                                         headphones.name(), toneFile(rig.dir, 6.0)});
    ASSERT_TRUE(spinUntil([&] { return heard.soundBlocks >= 3; }, 10000)) << "the player did not start";
    const StreamMove move = rig.sink.moveStreamsOf({wrapper.processId()});
    EXPECT_EQ(move.found, 1);
    EXPECT_EQ(move.moved, 1);
    // Moving again finds it already there.
    EXPECT_EQ(rig.sink.moveStreamsOf({wrapper.processId()}).moved, 1);
    pause(700);
    recording.reset();
    heard.reset();
    pause(1500);
    EXPECT_EQ(heard.soundBlocks, 0);
    EXPECT_GE(recording.soundBlocks, 10);

    rig.sink.close();
    speakers.reset();
    heard.reset();
    EXPECT_TRUE(spinUntil([&] { return heard.soundBlocks >= 3; }, 5000)) << "not given back to the headphones";
    EXPECT_EQ(speakers.soundBlocks, 0);
    EXPECT_TRUE(finished(wrapper, 10000));
}

// open() removes the sinks of earlier runs that ended without closing
// theirs and keeps those of running processes; it is safe to call again,
// and loads the sink anew when the server lost it; close() leaves no
// module behind.
TEST(PulseMixer, MuteSinkLeavesNoModuleAndClearsThoseOfCrashedRuns)
{
    QString why;
    ASSERT_TRUE(pulseServerAvailable(&why)) << why.toStdString();
    QProcess ended, running;
    ended.start(QStringLiteral("true"));
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 endedPid = ended.processId();
    ASSERT_TRUE(ended.waitForFinished());
    running.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(running.waitForStarted());

    const QString prefix = QLatin1String(PulsePrivateSink::kNamePrefix);
    ScopedNullSink crashed(prefix + QString::number(endedPid));
    ScopedNullSink other(prefix + QString::number(running.processId()));
    // Ours, left when the server could not be reached at close.
    ScopedNullSink leftover(prefix + QString::number(::getpid()));
    // A crashed run's sink of one of its recordings, still heard through a
    // loopback.
    ScopedNullSink crashedRecording(prefix + QString::number(endedPid) + QStringLiteral("_2"));
    ASSERT_TRUE(crashed.loaded() && other.loaded() && leftover.loaded() && crashedRecording.loaded());
    ASSERT_FALSE(pactl({QStringLiteral("load-module"), QStringLiteral("module-loopback"),
                        QStringLiteral("source=") + crashedRecording.monitor()})
                     .isNull());
    const auto loopbacksOfCrashed = [&] {
        return pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("modules")})
            .count(QStringLiteral("source=") + crashedRecording.monitor());
    };
    ASSERT_EQ(loopbacksOfCrashed(), 1);

    {
        PulsePrivateSink sink;
        ASSERT_TRUE(sink.open()) << sink.errorText().toStdString();
        EXPECT_EQ(modulesFor(crashed.name()), 0);
        EXPECT_EQ(modulesFor(crashedRecording.name()), 0);
        EXPECT_EQ(loopbacksOfCrashed(), 0);
        EXPECT_EQ(modulesFor(other.name()), 1);
        EXPECT_EQ(modulesFor(sink.sinkName()), 1);
        EXPECT_TRUE(sink.open());
        EXPECT_EQ(modulesFor(sink.sinkName()), 1);

        // The server lost the sink (as after a restart): open() loads it anew.
        const QStringList modules = pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("modules")})
                                        .split(QLatin1Char('\n'));
        for (const QString &line : modules)
            if (line.contains(QStringLiteral("sink_name=") + sink.sinkName()))
                pactl({QStringLiteral("unload-module"), line.section(QLatin1Char('\t'), 0, 0)});
        ASSERT_EQ(modulesFor(sink.sinkName()), 0);
        EXPECT_TRUE(sink.open());
        EXPECT_EQ(modulesFor(sink.sinkName()), 1);
        EXPECT_TRUE(pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sources")})
                        .contains(sink.monitorName()));

        sink.close();
        EXPECT_EQ(modulesFor(sink.sinkName()), 0);
        sink.close();
        EXPECT_TRUE(sink.open());
    }
    // The destructor closes too.
    EXPECT_EQ(modulesFor(prefix + QString::number(::getpid())), 0);
    running.kill();
    running.waitForFinished();
}

// A server that cannot be reached: open() fails at once and says why.
TEST(PulseMixer, MuteSinkOnAnUnreachableServerSaysWhy)
{
    ScopedEnv server("PULSE_SERVER", "unix:/nonexistent/skywell/native");
    PulsePrivateSink sink;
    EXPECT_FALSE(sink.open());
    EXPECT_TRUE(sink.errorText().startsWith(QStringLiteral("cannot reach the sound server: ")))
        << sink.errorText().toStdString();
    EXPECT_EQ(sink.moveStreamsOf({1}).problem, QStringLiteral("the private sink is not open"));
    sink.close();
}

// A hung server (it takes connections and answers nothing): each call
// gives up after its time limit instead of holding the recording, and the
// sink that could not be removed is removed at the next open.
TEST(PulseMixer, MuteSinkGivesUpOnAHungServer)
{
    PrivatePulseServer server;
    ASSERT_TRUE(server.start());
    ScopedEnv address("PULSE_SERVER", server.address().toLocal8Bit());
    PulsePrivateSink sink(std::chrono::milliseconds(1000));
    ASSERT_TRUE(sink.open()) << sink.errorText().toStdString();

    ASSERT_TRUE(server.freeze());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(sink.open());
    EXPECT_TRUE(sink.errorText().startsWith(QStringLiteral("cannot reach the sound server: ")));
    EXPECT_TRUE(sink.moveStreamsOf({1}).problem.startsWith(QStringLiteral("cannot read the playback streams")));
    sink.close();
    // Three calls of about one second each; a hang would be far longer.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    ASSERT_TRUE(server.thaw());

    EXPECT_EQ(modulesFor(sink.sinkName()), 1);
    EXPECT_TRUE(sink.open()) << sink.errorText().toStdString();
    EXPECT_EQ(modulesFor(sink.sinkName()), 1);
    sink.close();
    EXPECT_EQ(modulesFor(sink.sinkName()), 0);
}
