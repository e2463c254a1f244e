#include "mixer/sourcetest.h"
#include "core/activitylog.h"
#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "mixer/mixer.h"
#include "mixer/soundplayer.h"
#include "mixer/sourcetestcapture.h"
#include "mixer/testsound.h"
#include "recording/captureblock.h"
#include "recording/wavfile.h"
#include "support/memorymixer.h"
#include "support/sourcetestrun.h"
#include "support/tempenv.h"

#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

using namespace skywell;
using namespace skywell::test;

namespace
{

// A 16-bit stereo block of 100 values: silence except the given values
// placed at the given positions.
CaptureBlock blockWith(std::initializer_list<std::pair<int, std::int16_t>> values, int count = 100)
{
    std::vector<std::int16_t> samples(std::size_t(count), 0);
    for (auto [at, v] : values)
        samples[std::size_t(at)] = v;
    return CaptureBlock(WaveFormat::pcm(44100, 2, 16), samples.data(), std::uint32_t(count * 2));
}

// The sound path as the test drives it: the player "plays" into whatever
// source the mixer selected, and the capture hears it there only when that
// source is one of the hearing ones.
struct Rig {
    QStringList events;
    QSet<QString> hearing;
    bool played = false;
    bool failPlay = false;
    MemoryMixer *backend = nullptr;
    RecordingSourceTest *test = nullptr;
    std::function<void()> onDeliver;

    QString selected() const
    {
        const qsizetype at = backend->selectorState->values.indexOf(true);
        return at < 0 ? QString() : backend->selectorState->items.at(at);
    }
};

struct RigCapture final : SourceTestCapture {
    Rig &rig;
    explicit RigCapture(Rig &r) : rig(r) {}
    void start(const QString &card) override
    {
        rig.played = false;
        rig.events << QStringLiteral("start ") + card;
    }
    void stop() override { rig.events << QStringLiteral("stop"); }
    void deliverCapturedBlocks() override
    {
        rig.events << QStringLiteral("deliver");
        if (rig.onDeliver)
            rig.onDeliver();
        // Quiet noise first, then the sound if this source hears it; a span
        // of exactly 2048 is not sound yet.
        rig.test->takeTestBlock(blockWith({{20, -1024}, {21, 1024}}));
        if (rig.played && rig.hearing.contains(rig.selected()))
            rig.test->takeTestBlock(blockWith({{20, -1024}, {21, 1025}}));
    }
};

struct RigPlayer final : SoundPlayer {
    Rig &rig;
    explicit RigPlayer(Rig &r) : rig(r) {}
    bool playToEnd(const QString &path, QString *error) override
    {
        rig.events << QStringLiteral("play ") + QFileInfo(path).fileName();
        if (rig.failPlay) {
            *error = QStringLiteral("Connection refused");
            return false;
        }
        rig.played = QFile::exists(path);
        return true;
    }
};

MixerLine line(const char *name, int channels)
{
    return {QString::fromLatin1(name), channels, false};
}

struct SourceTestFixture : ::testing::Test {
    TempFolder dir, config;
    ManualClock clock{1700000000};
    ActivityLog log{dir.path(), clock};
    SettingsStore settingsStore{config.path(), config.path() + QStringLiteral("machine")};
    Settings settings;
    MemoryMixer backend;
    Mixer mixer{backend, log, settingsStore, settings};
    ScriptedPrompter prompter;
    Rig rig;
    RigCapture capture{rig};
    RigPlayer player{rig};
    RecordingSourceTest test{mixer, capture, player, prompter, settingsStore, log, testSoundPath(dir.path())};

    SourceTestFixture()
    {
        rig.backend = &backend;
        rig.test = &test;
        settings.soundCard = kDefaultDevice;
        setSources({line("Microphone", 1), line("Line In", 2), line("Stereo Mix", 2), line("What U Hear", 2)});
    }
    void setSources(const QList<MixerLine> &lines)
    {
        backend.scanResult.devices = {{QStringLiteral("Card A"), lines}};
        MixerSelector selector;
        for (const MixerLine &l : lines) {
            selector.items << l.name;
            selector.values << false;
        }
        backend.selectorState = selector;
    }
    QString best() const
    {
        return settingsStore.readString(QStringLiteral("BestRecordSource"), SettingsGroup::Program);
    }
    QString logText() const { return QString::fromUtf8(readAll(log.filePath())); }
    QString lastMessage() const { return prompter.prompts().isEmpty() ? QString() : prompter.prompts().last().text; }
};

} // namespace

TEST_F(SourceTestFixture, StereoAndMonoHeardRecommendsTheFirstStereoSource)
{
    rig.hearing = {QStringLiteral("Microphone"), QStringLiteral("Stereo Mix"), QStringLiteral("What U Hear")};
    QStringList progress;
    test.setProgress(
        [&](int i, int n, const QString &s) { progress << QStringLiteral("%1/%2 %3").arg(i).arg(n).arg(s); });
    const SourceTestResult result = runSourceTestToEnd(test, kDefaultDevice, false);

    EXPECT_EQ(result.outcome, SourceTestResult::Outcome::Tested);
    EXPECT_EQ(lastMessage(), QStringLiteral("The best recording source is: Stereo Mix, What U Hear\nYou can also use "
                                            "this mono recording source: Microphone\n\nYour default recording source "
                                            "for scheduled recordings is set to Stereo Mix."));
    EXPECT_EQ(prompter.prompts().last().caption, QStringLiteral("Recording Source Test"));
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Question), 0); // not asked
    EXPECT_EQ(best(), QStringLiteral("Stereo Mix"));
    EXPECT_EQ(progress, QStringList({QStringLiteral("0/4 Microphone"), QStringLiteral("1/4 Line In"),
                                     QStringLiteral("2/4 Stereo Mix"), QStringLiteral("3/4 What U Hear")}));
    // Each source: capture runs around the whole sound, and the blocks are
    // measured after capture stopped.
    const QStringList perSource = {QStringLiteral("start Default Device"), QStringLiteral("play zoom.wav"),
                                   QStringLiteral("stop"), QStringLiteral("deliver")};
    ASSERT_EQ(rig.events.size(), 4 * perSource.size());
    EXPECT_EQ(rig.events.mid(0, perSource.size()), perSource);
    for (const char *name : {"Microphone", "Line In", "Stereo Mix", "What U Hear"})
        EXPECT_TRUE(logText().contains(QStringLiteral("Testing  ") + QString::fromLatin1(name)));
    EXPECT_FALSE(test.active());
    // The test leaves the last source tested selected.
    EXPECT_EQ(rig.selected(), QStringLiteral("What U Hear"));
}

TEST_F(SourceTestFixture, MessageFollowsWhatWasHeard)
{
    rig.hearing = {QStringLiteral("Line In"), QStringLiteral("What U Hear")};
    runSourceTestToEnd(test, kDefaultDevice, false);
    EXPECT_EQ(lastMessage(), QStringLiteral("Use one of these stereo recording sources: Line In, What U Hear\n\nYour "
                                            "default recording source for scheduled recordings is set to Line In."));
    EXPECT_EQ(best(), QStringLiteral("Line In"));

    // Only mono heard: the earlier best source stays.
    rig.hearing = {QStringLiteral("Microphone")};
    runSourceTestToEnd(test, kDefaultDevice, false);
    EXPECT_EQ(lastMessage(), QStringLiteral("Use one of these recording sources (mono only): Microphone"));
    EXPECT_EQ(best(), QStringLiteral("Line In"));

    // Nothing heard: the card is named.
    rig.hearing.clear();
    const SourceTestResult result = runSourceTestToEnd(test, QStringLiteral("Card A"), false);
    EXPECT_TRUE(result.heardStereo.isEmpty() && result.heardMono.isEmpty() && result.best.isEmpty());
    EXPECT_EQ(lastMessage(), QStringLiteral("No sound was detected on any available recording source for this "
                                            "sound card: Card A.\n\nYou should update your sound card driver."));

    // A card without sources tests nothing and says the same.
    setSources({});
    rig.events.clear();
    runSourceTestToEnd(test, kDefaultDevice, false);
    EXPECT_TRUE(rig.events.isEmpty());
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("sound card: Default Device.")));
}

TEST_F(SourceTestFixture, NoToTheQuestionOrARunningRecordingChangesNothing)
{
    rig.hearing = {QStringLiteral("Stereo Mix")};
    prompter.queueAnswer(false);
    EXPECT_EQ(runSourceTestToEnd(test, kDefaultDevice, true).outcome, SourceTestResult::Outcome::Declined);
    EXPECT_EQ(prompter.prompts().size(), 1);
    EXPECT_EQ(prompter.prompts().first().caption, QStringLiteral("Skywell"));
    EXPECT_TRUE(prompter.prompts().first().text.endsWith(QStringLiteral(
        "This test takes up to 15 seconds, and will make some test sounds.\n\nWould you like to proceed?")));
    EXPECT_TRUE(rig.events.isEmpty());
    EXPECT_FALSE(QFile::exists(log.filePath()));
    EXPECT_TRUE(best().isEmpty());

    // While a recording runs the test would take its capture: refused.
    bool recording = true;
    test.setRecordingCheck([&] { return recording; });
    EXPECT_EQ(runSourceTestToEnd(test, kDefaultDevice, true).outcome, SourceTestResult::Outcome::Refused);
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("stop the recording first")));
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Question), 1); // not asked again
    EXPECT_TRUE(rig.events.isEmpty());

    recording = false;
    prompter.queueAnswer(true);
    // Recordings of the chosen source hear when it is taken and given back.
    QList<bool> running;
    QObject::connect(&test, &RecordingSourceTest::runningChanged, [&](bool on) { running << on; });
    EXPECT_EQ(runSourceTestToEnd(test, kDefaultDevice, true).outcome, SourceTestResult::Outcome::Tested);
    EXPECT_EQ(best(), QStringLiteral("Stereo Mix"));
    EXPECT_EQ(running, (QList<bool>{true, false}));
}

// The test runs beside the event loop, where its button can be pressed
// again: a second run must not start inside the first.
TEST_F(SourceTestFixture, AskedAgainWhileRunningIsBusy)
{
    rig.hearing = {QStringLiteral("Stereo Mix")};
    QList<SourceTestResult::Outcome> inner;
    rig.onDeliver = [&] {
        EXPECT_TRUE(test.active());
        inner << test.start(kDefaultDevice, false).value_or(SourceTestResult{}).outcome;
    };
    EXPECT_EQ(runSourceTestToEnd(test, kDefaultDevice, false).outcome, SourceTestResult::Outcome::Tested);
    EXPECT_EQ(inner, QList<SourceTestResult::Outcome>(4, SourceTestResult::Outcome::Busy));
    EXPECT_EQ(prompter.prompts().size(), 1);
}

// A sound that cannot be played is said plainly, not blamed on the driver,
// and the remaining sources are not tried for nothing.
TEST_F(SourceTestFixture, SoundThatCannotBePlayedIsReported)
{
    settingsStore.writeString(QStringLiteral("BestRecordSource"), QStringLiteral("Old"), SettingsGroup::Program);
    rig.failPlay = true;
    const SourceTestResult result = runSourceTestToEnd(test, kDefaultDevice, false);
    EXPECT_EQ(result.outcome, SourceTestResult::Outcome::SoundNotPlayed);
    EXPECT_EQ(rig.events.count(QStringLiteral("stop")), 1);
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("could not be played: Connection refused")));
    EXPECT_FALSE(lastMessage().contains(QStringLiteral("driver")));
    EXPECT_EQ(best(), QStringLiteral("Old"));
    EXPECT_FALSE(test.active());
}

// The result lists stay within 511 characters and never hold part of a
// name; the best source is stored whole, however long (server source names
// pass 63 characters), so the preselection finds it again.
TEST_F(SourceTestFixture, LongListsLeaveOutWholeNames)
{
    QList<MixerLine> lines;
    for (int i = 0; i < Mixer::kMaxSources; ++i) {
        const QString name =
            QStringLiteral("Source %1 ").arg(i, 2, 10, QLatin1Char('0')).leftJustified(70, QLatin1Char('x'));
        lines << MixerLine{name, 2, false};
        rig.hearing << name;
    }
    rig.hearing.remove(lines.first().name);
    setSources(lines);
    const SourceTestResult result = runSourceTestToEnd(test, kDefaultDevice, false);
    EXPECT_LE(result.heardStereo.size(), RecordingSourceTest::kMaxListLength);
    const QStringList names = result.heardStereo.split(QStringLiteral(", "));
    EXPECT_EQ(names.size(), 7); // 7 * 70 + 6 * 2 = 502; an eighth would not fit
    for (const QString &name : names)
        EXPECT_TRUE(rig.hearing.contains(name)) << name.toStdString();
    EXPECT_EQ(result.best, lines.at(1).name);
    EXPECT_EQ(best(), lines.at(1).name);
    EXPECT_EQ(mixer.fillSourceCombo(QStringLiteral("gone"), false).selected, 2); // after "Internet Stream"
}

// Only the level measurement's window counts, and only a span above 2048.
TEST(SourceTestLevel, SpanOfTheScannedWindow)
{
    EXPECT_EQ(RecordingSourceTest::peakToPeak(blockWith({{20, -1024}, {21, 1024}})), 2048);
    EXPECT_EQ(RecordingSourceTest::peakToPeak(blockWith({{12, -1024}, {79, 1025}})), 2049);
    // The first 12 and the last 20 values are not looked at.
    EXPECT_EQ(RecordingSourceTest::peakToPeak(blockWith({{11, -30000}, {80, 30000}})), 0);
    EXPECT_EQ(RecordingSourceTest::peakToPeak(blockWith({{0, 32767}}, 32)), 0);
    EXPECT_EQ(RecordingSourceTest::peakToPeak(blockWith({{12, 32767}, {13, -32768}}, 33)), 0);
    EXPECT_EQ(RecordingSourceTest::peakToPeak(blockWith({{12, 32767}, {13, -32768}}, 34)), 65535);
    // A block that claims more bytes than it holds is read as far as it goes.
    CaptureBlock lying = blockWith({{40, 5000}});
    putU32(lying.data() + CaptureBlock::kSampleCountOffset, 0xFFFFFFF0u);
    EXPECT_EQ(RecordingSourceTest::peakToPeak(lying), 5000);
    CaptureBlock empty(WaveFormat::pcm(44100, 2, 16), nullptr, 0);
    EXPECT_EQ(RecordingSourceTest::peakToPeak(empty), 0);
}

// The program writes its own test sound when it is missing: a short, loud
// sound that plays as a WAV file; a sound the user put there stays.
TEST(SourceTestSound, WrittenWhenMissingAndKeptOtherwise)
{
    TempFolder dir;
    const QString path = testSoundPath(dir.path());
    EXPECT_EQ(path, dir.path() + QStringLiteral("zoom.wav"));
    ASSERT_TRUE(ensureTestSound(path));
    const std::optional<WavData> wav = readWavFile(path);
    ASSERT_TRUE(wav);
    // Short enough that 25 sources fit the announced 15 seconds.
    EXPECT_GT(wav->seconds(), 0.3);
    EXPECT_LE(wav->seconds() + 0.1, 15.0 / Mixer::kMaxSources);
    std::vector<std::uint8_t> bytes(CaptureBlock::kSampleOffset + std::size_t(wav->samples.size()));
    wav->format.writeTo(bytes.data());
    putU32(bytes.data() + CaptureBlock::kSampleCountOffset, std::uint32_t(wav->samples.size()));
    std::memcpy(bytes.data() + CaptureBlock::kSampleOffset, wav->samples.constData(), std::size_t(wav->samples.size()));
    EXPECT_GT(RecordingSourceTest::peakToPeak(CaptureBlock(std::move(bytes))), 8 * RecordingSourceTest::kSoundSpan);

    QFile own(path);
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.write("mine");
    own.close();
    EXPECT_TRUE(ensureTestSound(path));
    EXPECT_EQ(readAll(path), QByteArray("mine"));

    EXPECT_FALSE(ensureTestSound(dir.path() + QStringLiteral("missing/zoom.wav")));
}
