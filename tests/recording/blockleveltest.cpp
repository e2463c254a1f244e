// The edges of a block's level measurement, of the error text and of the
// problem report; the silence rules and the choice of stream are tested on
// real files in blockprocessortest.cpp.
#include "recording/blocklevel.h"
#include "recording/recordingsession.h"
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

TEST(SystemErrorTest, TextNamesTheCallThePathAndTheSystemReason)
{
    EXPECT_EQ(formatSystemError(ENOENT, QStringLiteral("CreateFile failed."), QStringLiteral("/tmp/x.wav")),
              QStringLiteral("Error: CreateFile failed.\r\nin function /tmp/x.wav\r\nSystem error: 2(No such file "
                             "or directory)"));
    EXPECT_TRUE(formatSystemError(0, QStringLiteral("m"), QStringLiteral("w")).endsWith(QStringLiteral("0(?)")));
    // A long path stays whole and openable from the report.
    const QString longPath = QStringLiteral("/") + QString(600, QLatin1Char('x'));
    EXPECT_TRUE(formatSystemError(EACCES, QStringLiteral("m"), longPath).contains(longPath + QStringLiteral("\r\n")));
}

TEST(RecordingSessionTest, ReportGrowsByWholeLinesAndNeverCutsAPath)
{
    RecordingSession session;
    QStringList added;
    for (int i = 0; i < 40; ++i) {
        const QString line = QStringLiteral("Could not save recording /music/%1/").arg(i) + QString(200, QChar(0x263a));
        added << line;
        session.addOutcome(line);
    }
    EXPECT_LE(session.outcomeText.size(), RecordingSession::kMaxOutcomeChars);
    const QStringList kept = session.outcomeText.split(QStringLiteral("\r\n"));
    ASSERT_GT(kept.size(), 10);
    EXPECT_EQ(kept, added.mid(0, kept.size())) << "every line whole, in order";

    // One text longer than the report keeps its whole first lines.
    session.setOutcome(added.join(QStringLiteral("\r\n")));
    EXPECT_EQ(session.outcomeText.split(QStringLiteral("\r\n")), added.mid(0, kept.size()));
}
