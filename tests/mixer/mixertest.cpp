#include "mixer/mixer.h"
#include "core/activitylog.h"
#include "core/clock.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "support/memorymixer.h"
#include "support/tempenv.h"

#include <gtest/gtest.h>

using namespace skywell;
using namespace skywell::test;

namespace
{

MixerLine line(const char *name, int channels = 2, bool analog = false)
{
    return {QString::fromLatin1(name), channels, analog};
}

struct MixerFixture : ::testing::Test {
    TempFolder dir;
    TempFolder config;
    ManualClock clock{1700000000};
    ActivityLog log{dir.path(), clock};
    SettingsStore settingsStore{config.path(), config.path() + QStringLiteral("machine")};
    Settings settings;
    MemoryMixer backend;
    Mixer mixer{backend, log, settingsStore, settings};

    MixerFixture()
    {
        settings.soundCard = kDefaultDevice;
        backend.scanResult.devices = {
            {QStringLiteral("Card A"), {line("Microphone", 1), line("Stereo Mix", 2, true), line("Line In")}},
            {QStringLiteral("Card B"), {line("Stereo Mix", 2, true), line("What U Hear", 2, true), line("CD", 2)}},
        };
    }
    // The log lines without their time stamps.
    QStringList logLines() const
    {
        const QString marker = QString::fromUtf8(ActivityLog::formatLine(clock.now(), QStringLiteral("@"), {}));
        const qsizetype prefix = marker.indexOf(QLatin1Char('@'));
        QStringList lines;
        for (const QString &l : QString::fromUtf8(readAll(log.filePath())).split(QStringLiteral("\r\n"))) {
            if (!l.isEmpty())
                lines << l.mid(prefix);
        }
        return lines;
    }
};

} // namespace

TEST_F(MixerFixture, ListsUniqueSourcesOfTheCardOrOfEveryMixer)
{
    mixer.listRecordingSources(kDefaultDevice);
    ASSERT_EQ(mixer.sourceCount(), 5);
    EXPECT_EQ(mixer.sourceNameAt(0), QStringLiteral("Microphone"));
    EXPECT_FALSE(mixer.isStereo(0));
    EXPECT_EQ(mixer.sourceNameAt(3), QStringLiteral("What U Hear"));
    EXPECT_TRUE(mixer.isStereo(3));
    EXPECT_EQ(mixer.bestAnalogStereo(), QStringLiteral("What U Hear"));
    EXPECT_EQ(mixer.sourceNameAt(5), QStringLiteral("Direct Download"));
    EXPECT_EQ(mixer.sourceNameAt(-1), QString());
    EXPECT_EQ(mixer.sourceNameAt(6), QString());

    backend.captureDeviceMixers[QStringLiteral("Card A")] = QStringLiteral("Card A");
    mixer.listRecordingSources(QStringLiteral("Card A"));
    EXPECT_EQ(mixer.sourceCount(), 3);
    EXPECT_EQ(mixer.bestAnalogStereo(), QStringLiteral("Stereo Mix"));
    // A card without analog stereo keeps the last one seen.
    backend.scanResult.devices[0].sources[1].analog = false;
    mixer.listRecordingSources(QStringLiteral("Card A"));
    EXPECT_EQ(mixer.bestAnalogStereo(), QStringLiteral("Stereo Mix"));

    EXPECT_EQ(logLines().mid(0, 3),
              QStringList({QStringLiteral("Listing devices on "), QStringLiteral("Checking  Card A"),
                           QStringLiteral("Checking  Card B")}));
    EXPECT_TRUE(logLines().contains(QStringLiteral("Listing devices on  Card A")));
}

TEST_F(MixerFixture, ListingStopsAtTwentyFiveSources)
{
    MixerDeviceInfo big{QStringLiteral("Big"), {}};
    for (int i = 0; i < 30; ++i)
        big.sources.append({QStringLiteral("Line %1").arg(i), 2, i == 27});
    backend.scanResult.devices = {big};
    mixer.listRecordingSources(kDefaultDevice);
    EXPECT_EQ(mixer.sourceCount(), 25);
    EXPECT_EQ(mixer.sourceNameAt(24), QStringLiteral("Line 24"));
    EXPECT_EQ(mixer.bestAnalogStereo(), QString());
}

TEST_F(MixerFixture, UnreachableMixerIsLoggedWithItsCode)
{
    backend.scanResult = {0x1A, {}};
    EXPECT_TRUE(mixer.listRecordingSources(kDefaultDevice));
    EXPECT_EQ(mixer.sourceCount(), 0);
    // The stream needs no mixer: it is still offered, and chosen.
    const SourceCombo combo = mixer.fillSourceCombo(QStringLiteral("x"), false);
    EXPECT_EQ(combo.items, QStringList{QStringLiteral("Internet Stream")});
    EXPECT_EQ(combo.selected, 0);
    EXPECT_TRUE(
        logLines().contains(QStringLiteral("MCI ERROR: Can't open Mixer Device when listing devices -- 0000001A")));
}

TEST_F(MixerFixture, LogsMixerDataForEveryMixer)
{
    settings.soundCard = QStringLiteral("Card B");
    mixer.logMixerData();
    EXPECT_EQ(logLines(), QStringList({
                              QStringLiteral("Selected Sound Card:  Card B"),
                              QStringLiteral("Mixer Data for Card A"),
                              QStringLiteral("other source:  Microphone"),
                              QStringLiteral("likely good source:  Stereo Mix"),
                              QStringLiteral("other source:  Line In"),
                              QStringLiteral("Mixer Data for Card B"),
                              QStringLiteral("likely good source:  Stereo Mix"),
                              QStringLiteral("likely good source:  What U Hear"),
                              QStringLiteral("other source:  CD"),
                          }));
}

TEST_F(MixerFixture, ComboPreselectsWantedThenFallbacks)
{
    SourceCombo combo = mixer.fillSourceCombo(QStringLiteral("line in"), true);
    EXPECT_EQ(combo.items.size(), 7);
    EXPECT_EQ(combo.items.first(), QStringLiteral("Internet Stream"));
    EXPECT_EQ(combo.items.last(), QStringLiteral("Direct Download"));
    EXPECT_EQ(combo.selected, 3); // case ignored
    EXPECT_EQ(mixer.comboSourceAt(combo.selected), QStringLiteral("Line In"));
    EXPECT_EQ(mixer.comboSourceAt(0), QStringLiteral("Internet Stream"));

    EXPECT_EQ(mixer.fillSourceCombo(QStringLiteral("direct download"), true).selected, 6);
    EXPECT_EQ(mixer.fillSourceCombo(QStringLiteral("direct download"), false).items.size(), 6);
    EXPECT_EQ(mixer.fillSourceCombo(QStringLiteral("internet stream"), false).selected, 0);

    // Gone: "BestRecordSource" first, then the last analog stereo line.
    settingsStore.writeString(QStringLiteral("BestRecordSource"), QStringLiteral("CD"), SettingsGroup::Program);
    EXPECT_EQ(mixer.fillSourceCombo(QStringLiteral("Gone"), true).selected, 5);
    settingsStore.writeString(QStringLiteral("BestRecordSource"), QString(), SettingsGroup::Program);
    EXPECT_EQ(mixer.fillSourceCombo(QStringLiteral("Gone"), true).selected, 4);

    // No analog line: the preferred names in order, else the first sound
    // card source.
    for (auto &device : backend.scanResult.devices)
        for (auto &l : device.sources)
            l.analog = false;
    Mixer fresh(backend, log, settingsStore, settings);
    EXPECT_EQ(fresh.fillSourceCombo(QStringLiteral("Gone"), false).selected, 2); // "Stereo Mix"
    backend.scanResult.devices = {{QStringLiteral("C"), {line("Mic", 1), line("Aux"), line("Wave")}}};
    EXPECT_EQ(fresh.fillSourceCombo(QStringLiteral("Gone"), false).selected, 3); // "Wave" before "Aux"
    backend.scanResult.devices = {{QStringLiteral("C"), {line("Mic", 1), line("Phone", 1)}}};
    EXPECT_EQ(fresh.fillSourceCombo(QStringLiteral("Gone"), false).selected, 1);
}

TEST_F(MixerFixture, SelectsOnTheFirstMixerWithExactNames)
{
    EXPECT_FALSE(mixer.selectRecordingSource(QStringLiteral("Stereo Mix"))); // no selector
    backend.selectorState =
        MixerSelector{false, {QStringLiteral("Microphone"), QStringLiteral("Stereo Mix")}, {true, false}};
    EXPECT_FALSE(mixer.selectRecordingSource(QStringLiteral("Direct Download")));
    EXPECT_TRUE(mixer.selectRecordingSource(QStringLiteral("stereo mix"))); // case counts: unchanged
    EXPECT_EQ(backend.selectorState->values, QList<bool>({true, false}));
    EXPECT_TRUE(mixer.selectRecordingSource(QStringLiteral("Stereo Mix")));
    EXPECT_EQ(backend.selectorState->values, QList<bool>({false, true}));

    // A multiple-select input adds the line to what was selected.
    backend.selectorState =
        MixerSelector{true, {QStringLiteral("Microphone"), QStringLiteral("Stereo Mix")}, {true, false}};
    EXPECT_TRUE(mixer.selectRecordingSource(QStringLiteral("Stereo Mix")));
    EXPECT_EQ(backend.selectorState->values, QList<bool>({true, true}));
}
