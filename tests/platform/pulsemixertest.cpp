#include "platform/pulsemixer.h"
#include "core/activitylog.h"
#include "core/clock.h"
#include "core/registry.h"
#include "core/settings.h"
#include "mixer/mixer.h"
#include "platform/pulsedevices.h"
#include "platform/pulsetestserver.h"
#include "support/tempenv.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace skywell;
using namespace skywell::test;

// The mixer on the real server: lists the monitor, selects it for the
// capture, sets its volume to the middle of the range, and mutes the
// default sink.
TEST(PulseMixer, ListsSelectsSetsVolumeAndMutes)
{
    QString why;
    ASSERT_TRUE(pulseServerAvailable(&why)) << why.toStdString();
    ScopedNullSink sink(QStringLiteral("skywell_mixer_%1").arg(QCoreApplication::applicationPid()));
    ASSERT_TRUE(sink.loaded());

    TempFolder dir, config;
    ManualClock clock(1700000000);
    ActivityLog log(dir.path(), clock);
    Registry registry(config.path(), config.path() + QStringLiteral("machine"));
    Settings settings;
    settings.soundCard = kDefaultDevice;
    PulseSourceChoice choice;
    PulseMixer backend(choice);
    Mixer mixer(backend, log, registry, settings);

    // Listing with the sink's own card name, and with every mixer.
    settings.soundCard = sink.name();
    SourceCombo combo = mixer.fillSourceCombo(QStringLiteral("Stereo Mix"), true);
    EXPECT_EQ(combo.items, QStringList({sink.monitor(), QStringLiteral("Direct Download")}));
    EXPECT_EQ(combo.selected, 0); // the monitor is the analog stereo line
    EXPECT_EQ(mixer.bestAnalogStereo(), sink.monitor());
    settings.soundCard = kDefaultDevice;
    mixer.listRecordingSources(kDefaultDevice);
    EXPECT_GE(mixer.sourceCount(), 2);

    EXPECT_TRUE(mixer.selectRecordingSource(sink.monitor()));
    EXPECT_EQ(choice.get(), sink.monitor());
    EXPECT_TRUE(mixer.selectRecordingSource(QStringLiteral("No Such Source")));
    EXPECT_EQ(choice.get(), sink.monitor());

    pactl({QStringLiteral("set-source-volume"), sink.monitor(), QStringLiteral("100%")});
    mixer.optimizeSourceVolume(sink.monitor());
    const QString volume = pactl({QStringLiteral("get-source-volume"), sink.monitor()});
    EXPECT_TRUE(volume.contains(QStringLiteral("32768 /  50%"))) << volume.toStdString();

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
    Registry registry(config.path(), config.path() + QStringLiteral("machine"));
    Settings settings;
    settings.soundCard = kDefaultDevice;
    PulseSourceChoice choice;
    PulseMixer backend(choice);
    Mixer mixer(backend, log, registry, settings);
    EXPECT_EQ(mixer.fillSourceCombo(QString(), false).selected, -1);
    EXPECT_FALSE(mixer.selectRecordingSource(QStringLiteral("x")));
    EXPECT_FALSE(mixer.muteSpeakers(true));
    EXPECT_TRUE(QString::fromUtf8(readAll(log.filePath()))
                    .contains(QStringLiteral("MCI ERROR: Can't open Mixer Device when listing devices -- ")));
}
