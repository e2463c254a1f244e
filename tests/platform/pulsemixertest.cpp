#include "platform/pulsemixer.h"
#include "core/activitylog.h"
#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "mixer/mixer.h"
#include "mixer/sourcetest.h"
#include "mixer/sourcetestcapture.h"
#include "mixer/testsound.h"
#include "platform/pulsecapture.h"
#include "platform/pulsedevices.h"
#include "platform/pulsesoundplayer.h"
#include "platform/pulsetestserver.h"
#include "recording/audiofixtures.h"
#include "recording/capturequeue.h"
#include "support/eventloop.h"
#include "support/sourcetestrun.h"
#include "support/tempenv.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <cmath>
#include <gtest/gtest.h>

using namespace skywell;
using namespace skywell::test;

// The mixer on the real server: lists the monitor, selects it for the
// capture, and mutes the default sink.
TEST(PulseMixer, ListsSelectsSetsVolumeAndMutes)
{
    QString why;
    ASSERT_TRUE(pulseServerAvailable(&why)) << why.toStdString();
    ScopedNullSink sink(QStringLiteral("skywell_mixer_%1").arg(QCoreApplication::applicationPid()));
    ASSERT_TRUE(sink.loaded());

    TempFolder dir, config;
    ManualClock clock(1700000000);
    ActivityLog log(dir.path(), clock);
    SettingsStore settingsStore(config.path(), config.path() + QStringLiteral("machine"));
    Settings settings;
    settings.soundCard = kDefaultDevice;
    PulseSourceChoice choice;
    PulseMixer backend(choice);
    Mixer mixer(backend, log, settingsStore, settings);

    // Listing with the sink's own card name, and with every mixer.
    settings.soundCard = sink.name();
    SourceCombo combo = mixer.fillSourceCombo(QStringLiteral("Stereo Mix"), true);
    EXPECT_EQ(combo.items,
              QStringList({QStringLiteral("Internet Stream"), sink.monitor(), QStringLiteral("Direct Download")}));
    EXPECT_EQ(combo.selected, 1); // the monitor is the analog stereo line
    // The list shows the monitor as the sound server describes it; the name
    // stays what is stored.
    const QJsonArray sources =
        QJsonDocument::fromJson(
            pactl({QStringLiteral("--format=json"), QStringLiteral("list"), QStringLiteral("sources")}).toUtf8())
            .array();
    QString description;
    for (const QJsonValue &source : sources) {
        if (source[QStringLiteral("name")].toString() == sink.monitor())
            description = source[QStringLiteral("description")].toString();
    }
    ASSERT_FALSE(description.isEmpty());
    EXPECT_EQ(combo.labels,
              QStringList({QStringLiteral("Internet Stream"), description, QStringLiteral("Direct Download")}));
    EXPECT_NE(description, sink.monitor());
    EXPECT_EQ(mixer.bestAnalogStereo(), sink.monitor());
    settings.soundCard = kDefaultDevice;
    mixer.listRecordingSources(kDefaultDevice);
    EXPECT_GE(mixer.sourceCount(), 2);

    EXPECT_TRUE(mixer.selectRecordingSource(sink.monitor()));
    EXPECT_EQ(choice.get(), sink.monitor());
    EXPECT_TRUE(mixer.selectRecordingSource(QStringLiteral("No Such Source")));
    EXPECT_EQ(choice.get(), sink.monitor());

    // The speakers are the default sink; make ours the default for the
    // moment and put the previous one back.
    const QString previous = pactl({QStringLiteral("get-default-sink")}).trimmed();
    pactl({QStringLiteral("set-default-sink"), sink.name()});
    EXPECT_TRUE(mixer.muteSpeakers(true));
    EXPECT_EQ(pactl({QStringLiteral("get-sink-mute"), sink.name()}).trimmed(), QStringLiteral("Mute: yes"));
    EXPECT_TRUE(mixer.muteSpeakers(false));
    EXPECT_EQ(pactl({QStringLiteral("get-sink-mute"), sink.name()}).trimmed(), QStringLiteral("Mute: no"));
    if (!previous.isEmpty())
        pactl({QStringLiteral("set-default-sink"), previous});

    mixer.logMixerData();
    const QString text = QString::fromUtf8(readAll(log.filePath()));
    EXPECT_TRUE(text.contains(QStringLiteral("likely good source:  ") + sink.monitor()));
}

TEST(PulseMixer, UnreachableServerIsLoggedNotFatal)
{
    ScopedEnv server("PULSE_SERVER", "unix:/nonexistent/skywell/native");
    TempFolder dir, config;
    ManualClock clock(1700000000);
    ActivityLog log(dir.path(), clock);
    SettingsStore settingsStore(config.path(), config.path() + QStringLiteral("machine"));
    Settings settings;
    settings.soundCard = kDefaultDevice;
    PulseSourceChoice choice;
    PulseMixer backend(choice);
    Mixer mixer(backend, log, settingsStore, settings);
    // Only the stream, which needs no sound server, is left to choose.
    const SourceCombo combo = mixer.fillSourceCombo(QString(), false);
    EXPECT_EQ(combo.items, QStringList{QStringLiteral("Internet Stream")});
    EXPECT_EQ(combo.selected, 0);
    EXPECT_FALSE(mixer.selectRecordingSource(QStringLiteral("x")));
    EXPECT_FALSE(mixer.muteSpeakers(true));
    EXPECT_TRUE(QString::fromUtf8(readAll(log.filePath()))
                    .contains(QStringLiteral("MCI ERROR: Can't open Mixer Device when listing devices -- ")));
}

namespace
{

// A mixer on the test server with its own null sink, and a recorder of
// that sink's monitor through the program's capture.
struct ServerMixer : ::testing::Test {
    ScopedNullSink sink{QStringLiteral("skywell_level_%1").arg(QCoreApplication::applicationPid())};
    TempFolder dir, config;
    ManualClock clock{1700000000};
    ActivityLog log{dir.path(), clock};
    SettingsStore settingsStore{config.path(), config.path() + QStringLiteral("machine")};
    Settings settings;
    PulseSourceChoice choice;
    PulseMixer backend{choice};
    Mixer mixer{backend, log, settingsStore, settings};

    void SetUp() override
    {
        QString why;
        ASSERT_TRUE(pulseServerAvailable(&why)) << why.toStdString();
        ASSERT_TRUE(sink.loaded());
        settings.soundCard = kDefaultDevice;
        choice.set(sink.monitor());
    }

    QString volumeText() { return pactl({QStringLiteral("get-source-volume"), sink.monitor()}); }

    // Plays a one-second tone at half of full scale into the sink while
    // capturing its monitor; the loudest captured sample in dB below full
    // scale (-6 when the monitor records exactly what plays).
    double recordedPeakDb()
    {
        const WaveFormat format = WaveFormat::pcm(44100, 2, 16);
        const QString tone = dir.file(QStringLiteral("tone.wav"));
        writeWav(tone, format, toneSamples(format, 1.0, 1000.0));
        PulseCaptureDevice device(choice);
        CaptureQueue library(device);
        int peak = 0;
        int blocks = 0;
        library.init([&] {
            while (CaptureBlockPtr block = library.takeBlock()) {
                ++blocks;
                const auto *v = reinterpret_cast<const std::int16_t *>(block->samples());
                for (std::uint32_t i = 0; i < block->sampleBytes() / 2; ++i)
                    peak = std::max(peak, std::abs(int(v[i])));
            }
        });
        library.start(kDefaultDevice);
        EXPECT_TRUE(spinUntil([&] { return blocks >= 2; }, 10000));
        QProcess player;
        player.start(QStringLiteral("paplay"), {QStringLiteral("-d"), sink.name(), tone});
        EXPECT_TRUE(player.waitForFinished(15000));
        const int after = blocks;
        spinUntil([&] { return blocks >= after + 5; }, 5000);
        library.stop();
        library.shutdown();
        return peak > 0 ? 20.0 * std::log10(peak / 32767.0) : -200.0;
    }
};

} // namespace

// The volume step before a recording leaves the monitor recording at the
// level that plays, whatever its volume was, and puts the volume back at
// the end for other programs that record from it.
TEST_F(ServerMixer, OptimizedVolumeRecordsThePlayedLevelAndIsPutBack)
{
    pactl({QStringLiteral("set-source-volume"), sink.monitor(), QStringLiteral("100%")});
    const double untouched = recordedPeakDb();
    EXPECT_NEAR(untouched, 20.0 * std::log10(0.5), 1.0) << "the test tone itself";

    pactl({QStringLiteral("set-source-volume"), sink.monitor(), QStringLiteral("30%")});
    mixer.optimizeSourceVolume(sink.monitor());
    EXPECT_NEAR(recordedPeakDb(), untouched, 1.0);
    // A split starts capture again: the volume to restore stays the first.
    mixer.optimizeSourceVolume(sink.monitor());
    mixer.restoreSourceVolumes();
    EXPECT_TRUE(volumeText().contains(QStringLiteral("30%"))) << volumeText().toStdString();

    // Changed by someone else during the recording: left as they set it.
    mixer.optimizeSourceVolume(sink.monitor());
    pactl({QStringLiteral("set-source-volume"), sink.monitor(), QStringLiteral("80%")});
    mixer.restoreSourceVolumes();
    EXPECT_TRUE(volumeText().contains(QStringLiteral("80%"))) << volumeText().toStdString();
}

// With nothing chosen through the mixer, capture records what the default
// sink plays, never the default source (a microphone on many desktops).
TEST_F(ServerMixer, CaptureWithoutAChoiceRecordsTheDefaultSinksMonitor)
{
    const QString previousSink = pactl({QStringLiteral("get-default-sink")}).trimmed();
    const QString previousSource = pactl({QStringLiteral("get-default-source")}).trimmed();
    // A second null sink stands in for a microphone as the default source.
    ScopedNullSink other(sink.name() + QStringLiteral("_mic"));
    ASSERT_TRUE(other.loaded());
    pactl({QStringLiteral("set-default-sink"), sink.name()});
    pactl({QStringLiteral("set-default-source"), other.monitor()});
    choice.set(QString());
    pactl({QStringLiteral("set-source-volume"), sink.monitor(), QStringLiteral("100%")});
    const double peak = recordedPeakDb();
    if (!previousSink.isEmpty())
        pactl({QStringLiteral("set-default-sink"), previousSink});
    if (!previousSource.isEmpty())
        pactl({QStringLiteral("set-default-source"), previousSource});
    EXPECT_NEAR(peak, 20.0 * std::log10(0.5), 1.0);
}

// The source test on the real server: of a monitor whose sink plays the
// speakers' sound and one that stays silent, it finds the playing one
// through the real capture, stores it as the best source and says so.
TEST_F(ServerMixer, SourceTestFindsTheMonitorThatHearsTheSpeakers)
{
    ScopedNullSink quiet(sink.name() + QStringLiteral("_quiet"));
    ASSERT_TRUE(quiet.loaded());
    // Our sink stands for the speakers for the moment.
    const QString previous = pactl({QStringLiteral("get-default-sink")}).trimmed();
    pactl({QStringLiteral("set-default-sink"), sink.name()});
    pactl({QStringLiteral("set-source-volume"), sink.monitor(), QStringLiteral("100%")});

    PulseCaptureDevice device(choice);
    CaptureQueue queue(device);
    ScriptedPrompter prompter;
    PulseSoundPlayer speakers;
    QueueSourceTestCapture capture(queue);
    RecordingSourceTest test(mixer, capture, speakers, prompter, settingsStore, log, testSoundPath(dir.path()));
    queue.init([&] {
        while (CaptureBlockPtr block = queue.takeBlock()) {
            test.takeTestBlock(*block);
        }
    });
    const SourceTestResult result = runSourceTestToEnd(test, kDefaultDevice, false);
    queue.shutdown();
    if (!previous.isEmpty())
        pactl({QStringLiteral("set-default-sink"), previous});

    EXPECT_EQ(result.outcome, SourceTestResult::Outcome::Tested);
    EXPECT_EQ(result.heardStereo, sink.monitor());
    EXPECT_TRUE(result.heardMono.isEmpty());
    EXPECT_EQ(settingsStore.readString(QStringLiteral("BestRecordSource"), SettingsGroup::Program), sink.monitor());
    ASSERT_EQ(prompter.prompts().size(), 1);
    EXPECT_EQ(prompter.prompts().first().text,
              QStringLiteral("Use one of these stereo recording sources: %1\n\nYour default recording source for "
                             "scheduled recordings is set to %1.")
                  .arg(sink.monitor()));
    const QString text = QString::fromUtf8(readAll(log.filePath()));
    EXPECT_TRUE(text.contains(QStringLiteral("Testing  ") + sink.monitor()));
    EXPECT_TRUE(text.contains(QStringLiteral("Testing  ") + quiet.monitor()));
    EXPECT_TRUE(QFile::exists(testSoundPath(dir.path())));
}
