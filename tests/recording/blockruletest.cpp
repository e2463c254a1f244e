// The rules a single block meets: its level, the silence options and the
// choice of the stream that is kept.
#include "recording/blocklevel.h"
#include "recording/recordingsession.h"
#include "recording/silencerules.h"
#include "recording/streamtable.h"
#include "recording/systemerror.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

using namespace skywell;

namespace
{

std::vector<std::uint8_t> bytesOf(const std::vector<std::int16_t> &values)
{
    std::vector<std::uint8_t> bytes;
    for (const std::int16_t v : values) {
        bytes.push_back(static_cast<std::uint8_t>(v & 0xff));
        bytes.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
    }
    return bytes;
}

} // namespace

TEST(BlockLevelTest, ScanLeavesOutTheFirstTwelveAndTheLastTwentyValues)
{
    std::vector<std::int16_t> values(100, 0);
    values[11] = -30000; // before the scan
    values[80] = 30000;  // the 20 last values: 80..99
    values[12] = -500;
    values[79] = 524;
    const auto bytes = bytesOf(values);
    const BlockLevel level = measureLevel(bytes.data(), bytes.size());
    EXPECT_EQ(level.min, -500);
    EXPECT_EQ(level.max, 524);
    // Exactly the threshold counts as sound.
    EXPECT_EQ(level.peakToPeak(), 1024);
    EXPECT_FALSE(level.silent());
    values[79] = 523;
    const auto quieter = bytesOf(values);
    EXPECT_TRUE(measureLevel(quieter.data(), quieter.size()).silent());
}

TEST(BlockLevelTest, ShortBlocksScanNothingAndReadAsSilent)
{
    // 32 values (64 bytes): only the 13th is looked at.
    std::vector<std::int16_t> values(32, 0);
    values[12] = 7000;
    values[20] = -20000;
    auto bytes = bytesOf(values);
    BlockLevel level = measureLevel(bytes.data(), bytes.size());
    EXPECT_EQ(level.max, 7000);
    EXPECT_EQ(level.peakToPeak(), 0);
    EXPECT_TRUE(level.silent());
    // 33 values: the scan covers one value, the 13th.
    values.push_back(0);
    bytes = bytesOf(values);
    EXPECT_EQ(measureLevel(bytes.data(), bytes.size()).peakToPeak(), 0);
    // Fewer than 13 values: nothing at all, odd byte counts included.
    values.assign(12, 9000);
    bytes = bytesOf(values);
    bytes.push_back(0x7f);
    level = measureLevel(bytes.data(), bytes.size());
    EXPECT_EQ(level.max, 0);
    EXPECT_EQ(level.min, 0);
    EXPECT_EQ(measureLevel(nullptr, 0).max, 0);
}

class SilenceRulesTest : public ::testing::Test
{
protected:
    // Runs blocks of 100 ms; returns what became of each.
    std::vector<SilenceAction> run(const std::vector<bool> &silent)
    {
        std::vector<SilenceAction> actions;
        for (const bool s : silent) {
            session.trackMs += 100;
            actions.push_back(silenceAction(session, s, 100));
        }
        return actions;
    }

    RecordingSession session;
};

TEST_F(SilenceRulesTest, DeadAirKeepsTheFirstPartOfEverySilence)
{
    session.deadAirOn = true;
    session.deadAirMs = 300;
    const auto actions = run({true, true, true, true, true, false, true, true, true, true});
    const std::vector<SilenceAction> expected{
        SilenceAction::Keep, SilenceAction::Keep, SilenceAction::Keep, SilenceAction::Drop, SilenceAction::Drop,
        SilenceAction::Keep, SilenceAction::Keep, SilenceAction::Keep, SilenceAction::Keep, SilenceAction::Drop};
    EXPECT_EQ(actions, expected);
}

TEST_F(SilenceRulesTest, NewTrackAfterSilenceWaitsForTenSecondsOfTrack)
{
    session.silenceSplitMs = 500;
    // 9 s of silence at the start of a track: no split, nothing dropped.
    std::vector<bool> silent(90, true);
    for (const SilenceAction a : run(silent))
        EXPECT_EQ(a, SilenceAction::Keep);
    // Up to 10000 ms still none; the first silent block after it splits.
    EXPECT_EQ(run({true, true, true, true, true, true, true, true, true, true}).back(), SilenceAction::Keep);
    EXPECT_EQ(session.trackMs, 10000);
    EXPECT_EQ(run({true}).back(), SilenceAction::SplitAndDrop);
    // Sound ends the run of silence.
    EXPECT_EQ(run({false}).back(), SilenceAction::Keep);
    EXPECT_EQ(session.silenceRunMs, 0);
}

TEST_F(SilenceRulesTest, SpeechCompressionDropsEverySilentBlock)
{
    session.compressSpeech = true;
    const auto actions = run({true, false, true});
    EXPECT_EQ(actions, (std::vector<SilenceAction>{SilenceAction::Drop, SilenceAction::Keep, SilenceAction::Drop}));
    // Without dead air or new-track-after-silence no silence is counted.
    EXPECT_EQ(session.silenceRunMs, 0);
}

TEST(StreamTableTest, MatchesHeadersByteForByteAndPicksTheFirstOfTheLargest)
{
    RecordingSession session;
    session.streamCount = 3;
    for (int i = 0; i < 3; ++i)
        session.streams[std::size_t(i)].format.fill(std::uint8_t(i + 1));
    std::array<std::uint8_t, 18> header{};
    header.fill(2);
    EXPECT_EQ(findStream(session, header.data()), 1);
    header[17] = 3;
    EXPECT_EQ(findStream(session, header.data()), -1);
    // A slot past the ones in use never matches.
    session.streamCount = 1;
    header.fill(2);
    EXPECT_EQ(findStream(session, header.data()), -1);

    session.streamCount = 3;
    EXPECT_EQ(bestStream(session), 0);
    session.streams[1].byteCount = 500;
    session.streams[2].byteCount = 500;
    EXPECT_EQ(bestStream(session), 1);
    session.streams[2].byteCount = 501;
    EXPECT_EQ(bestStream(session), 2);
}

TEST(SystemErrorTest, TextNamesTheCallThePathAndTheSystemReason)
{
    EXPECT_EQ(formatSystemError(ENOENT, QStringLiteral("CreateFile failed."), QStringLiteral("/tmp/x.wav")),
              QStringLiteral("Error: CreateFile failed.\r\nin function /tmp/x.wav\r\nSystem error: 2(No such file "
                             "or directory)"));
    EXPECT_TRUE(formatSystemError(0, QStringLiteral("m"), QStringLiteral("w")).endsWith(QStringLiteral("0(?)")));
    EXPECT_EQ(formatSystemError(EACCES, QStringLiteral("m"), QString(600, QLatin1Char('x'))).size(), 510);
}
