#include "core/activitylog.h"
#include "core/clock.h"
#include "core/textcut.h"
#include "support/tempenv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <thread>

using namespace skywell;
using skywell::test::readAll;
using skywell::test::ScopedEnv;
using skywell::test::TempFolder;

namespace
{
constexpr std::int64_t kMonday = 1102367107; // Mon Dec 6 2004 21:05:07 UTC

class ActivityLogTest : public ::testing::Test
{
protected:
    ScopedEnv tz{"TZ", "UTC"};
    TempFolder folder;
    ManualClock clock{kMonday};
    ActivityLog log{folder.path(), clock};
    QByteArray contents() const { return readAll(folder.file(QStringLiteral("log.txt"))); }
};
} // namespace

TEST_F(ActivityLogTest, LineFormats)
{
    log.logLine();
    EXPECT_EQ(contents(), QByteArray("\r\n")) << "the first line creates the file and holds just that line";
    log.logLine(QStringLiteral("End Recording"));
    log.logLine(QStringLiteral("Start Recording"), QStringLiteral("Morning Show"));
    log.logLine(QString(), QStringLiteral("detail only"));
    EXPECT_EQ(contents(), QByteArray("\r\n"
                                     "Mon Dec 6 9:05:07 PM End Recording\r\n"
                                     "Mon Dec 6 9:05:07 PM Start Recording Morning Show\r\n"
                                     "Mon Dec 6 9:05:07 PM detail only\r\n"));
}

TEST_F(ActivityLogTest, MultiLineMessageStaysOneCall)
{
    log.logLine(QStringLiteral("Show:\r\nline two"), QStringLiteral("x"));
    EXPECT_EQ(contents(), QByteArray("Mon Dec 6 9:05:07 PM Show:\r\nline two x\r\n"));
}

TEST_F(ActivityLogTest, LongLinesAreCutTo1024BytesWithTheLineEnd)
{
    log.logLine(QStringLiteral("Download URL:"), QString(2000, QLatin1Char('x')));
    const QByteArray text = contents();
    EXPECT_EQ(text.size(), 1024);
    EXPECT_TRUE(text.endsWith("xx\r\n"));
    EXPECT_TRUE(text.startsWith("Mon Dec 6 9:05:07 PM Download URL: xxx"));
}

TEST_F(ActivityLogTest, LinesOfExactlyTheLimitAreKept)
{
    const QByteArray prefix = ActivityLog::formatLine(kMonday, QStringLiteral("m"), QString());
    // prefix is "time m\r\n"; a detail that brings the line to 1024 bytes.
    const int room = 1024 - (prefix.size() - 2) - 1 - 2;
    for (int extra : {-1, 0, 1}) {
        const QByteArray line =
            ActivityLog::formatLine(kMonday, QStringLiteral("m"), QString(room + extra, QLatin1Char('d')));
        EXPECT_EQ(line.size(), extra < 0 ? 1023 : 1024) << extra;
        EXPECT_TRUE(line.endsWith("d\r\n"));
    }
}

TEST_F(ActivityLogTest, CutNeverSplitsACharacter)
{
    const QByteArray line = ActivityLog::formatLine(kMonday, QStringLiteral("m"), QString(2000, QChar(0x00E9)));
    EXPECT_LE(line.size(), 1024);
    EXPECT_GE(line.size(), 1023);
    EXPECT_TRUE(line.endsWith("\r\n"));
    EXPECT_TRUE(QString::fromUtf8(line).toUtf8() == line) << "valid UTF-8 after the cut";
    EXPECT_FALSE(QString::fromUtf8(line).contains(QChar::ReplacementCharacter));
}

TEST(TextCut, Utf8Boundaries)
{
    const QByteArray text = QStringLiteral("aé€😀").toUtf8(); // 1 + 2 + 3 + 4 bytes
    EXPECT_EQ(cutUtf8(text, 100), text);
    EXPECT_EQ(cutUtf8(text, 0), QByteArray());
    EXPECT_EQ(cutUtf8(text, 1), QByteArray("a"));
    EXPECT_EQ(cutUtf8(text, 2), QByteArray("a"));
    EXPECT_EQ(cutUtf8(text, 3), QStringLiteral("aé").toUtf8());
    EXPECT_EQ(cutUtf8(text, 5), QStringLiteral("aé").toUtf8());
    EXPECT_EQ(cutUtf8(text, 6), QStringLiteral("aé€").toUtf8());
    EXPECT_EQ(cutUtf8(text, 9), QStringLiteral("aé€").toUtf8());
    EXPECT_EQ(cutUtf8(text, 10), text);
}

TEST_F(ActivityLogTest, TwoThreadsLoseNoLine)
{
    auto writer = [this](const QString &who) {
        for (int i = 0; i < 1000; ++i)
            log.logLine(who, QString::number(i));
    };
    std::thread a(writer, QStringLiteral("first"));
    std::thread b(writer, QStringLiteral("second"));
    a.join();
    b.join();
    const QList<QByteArray> lines = contents().split('\n');
    ASSERT_EQ(lines.size(), 2001); // the last split piece is empty
    int first = 0;
    int second = 0;
    for (int i = 0; i < 2000; ++i) {
        const QByteArray &line = lines[i];
        ASSERT_TRUE(line.endsWith('\r')) << "interleaved line " << line.constData();
        ASSERT_TRUE(line.startsWith("Mon Dec 6 9:05:07 PM ")) << line.constData();
        first += line.contains(" first ") ? 1 : 0;
        second += line.contains(" second ") ? 1 : 0;
    }
    EXPECT_EQ(first, 1000);
    EXPECT_EQ(second, 1000);
}

TEST_F(ActivityLogTest, UnwritableLogIsSilentlyLost)
{
    // A folder where the file should be: opening fails even for root.
    ASSERT_TRUE(QDir().mkdir(folder.file(QStringLiteral("log.txt"))));
    log.logLine(QStringLiteral("lost"));
    ActivityLog missing(folder.path() + QStringLiteral("no/such/folder/"), clock);
    missing.logLine(QStringLiteral("lost too"));
    SUCCEED();
}
