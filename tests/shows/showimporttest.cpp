#include "shows/showimport.h"

#include "core/prompter.h"
#include "showtesthelpers.h"

#include <QDir>
#include <QFile>

#include <random>
#include <sys/stat.h>

namespace skywell::test
{
namespace
{

class ShowImport : public ZoneTest
{
protected:
    void SetUp() override
    {
        ZoneTest::SetUp();
        // Monday 7 December 2026, 14:20 local: no daylight-saving change today.
        clock.set(localTime(2026, 12, 7, 14, 20));
    }

    QString writeImportFile(const QByteArray &content, const QString &name = QStringLiteral("show.skw"))
    {
        const QString path = folder.file(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }

    // Runs the import with an editor step that accepts; returns the Shows
    // that were added.
    ShowList import(const QString &path, bool *result = nullptr)
    {
        ShowList added;
        int edited = 0;
        const bool ok = importShowFile(
            path, clock, prompter,
            [&](Show &) {
                ++edited;
                return true;
            },
            [&](const Show &show) { added.push_back(show); });
        EXPECT_EQ(edited, static_cast<int>(added.size()));
        if (result)
            *result = ok;
        return added;
    }

    std::int64_t today(int hour, int minute = 0) const { return localTime(2026, 12, 7, hour, minute); }
};

TEST_P(ShowImport, MorningShowRepeatsMondayToFriday)
{
    const ShowList added =
        import(writeImportFile("Morning Show|http://127.0.0.1:8000/morning.mp3|0600|0900|MTWTF--|*\r\n"));
    ASSERT_EQ(added.size(), 1u);
    const Show &show = added[0];
    EXPECT_EQ(fieldText(show.name), QStringLiteral("Morning Show"));
    EXPECT_EQ(fieldText(show.url), QStringLiteral("http://127.0.0.1:8000/morning.mp3"));
    EXPECT_EQ(show.flags, SHOW_REPEATING | OUT_MP3_FM | SHOW_MON | SHOW_TUE | SHOW_WED | SHOW_THU | SHOW_FRI);
    EXPECT_EQ(show.startTime, today(6));
    EXPECT_EQ(show.endTime, today(9));
    EXPECT_EQ(show.onceDate, 0);
    EXPECT_TRUE(prompter.prompts().isEmpty());
}

TEST_P(ShowImport, LateShowEndsBeforeItStartsAndHasAOnceDate)
{
    const ShowList added = import(writeImportFile("Late|http://127.0.0.1/late|2300|0100|-------|2004-05-01\n"));
    ASSERT_EQ(added.size(), 1u);
    const Show &show = added[0];
    EXPECT_EQ(show.flags, OUT_MP3_FM) << "a once Show, MP3 FM";
    EXPECT_EQ(show.startTime, today(23));
    EXPECT_EQ(show.endTime, today(1));
    EXPECT_EQ(show.onceDate, localTime(2004, 5, 1));
}

TEST_P(ShowImport, MissingFieldsAreAParseError)
{
    bool ok = true;
    const ShowList added = import(writeImportFile("Three|http://x|0600\n"), &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(added.empty());
    ASSERT_EQ(prompter.prompts().size(), 1);
    EXPECT_EQ(prompter.prompts()[0].text, QStringLiteral("Error parsing imported show file"));
    EXPECT_EQ(prompter.prompts()[0].caption, QStringLiteral("Skywell"));
}

TEST_P(ShowImport, EmptyFieldsDoNotExist)
{
    // "A||B": the address is B, and the later fields move up.
    const ShowList added = import(writeImportFile("A||B|0600|0700|M------"));
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(fieldText(added[0].name), QStringLiteral("A"));
    EXPECT_EQ(fieldText(added[0].url), QStringLiteral("B"));
    EXPECT_EQ(added[0].flags, OUT_MP3_FM | SHOW_REPEATING | SHOW_MON);
    // Leading separators before the name are skipped too.
    const ShowList again = import(writeImportFile("||A|B|0600|0700|M------"));
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(fieldText(again[0].name), QStringLiteral("A"));
}

TEST_P(ShowImport, EmptyFileGivesTheImportDefaults)
{
    const ShowList added = import(writeImportFile(QByteArray()));
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(fieldText(added[0].name), QStringLiteral("New Show"));
    EXPECT_EQ(added[0].flags, OUT_MP3_FM);
    EXPECT_EQ(added[0].startTime, 0);
    EXPECT_TRUE(prompter.prompts().isEmpty());
}

TEST_P(ShowImport, UnreadableFileIsReported)
{
    bool ok = true;
    const QString path = folder.file(QStringLiteral("absent.skw"));
    EXPECT_TRUE(import(path, &ok).empty());
    EXPECT_FALSE(ok);
    ASSERT_EQ(prompter.prompts().size(), 1);
    EXPECT_EQ(prompter.prompts()[0].text, QStringLiteral("Unable to open imported show file:\n") + path);
    // A folder is no import file either.
    EXPECT_TRUE(import(folder.path(), &ok).empty());
    EXPECT_FALSE(ok);
}

TEST_P(ShowImport, OnlyRegularFilesAreReadAndNothingBlocks)
{
    const QString fifo = folder.file(QStringLiteral("pipe.skw"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = folder.file(QStringLiteral("zero.skw"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    const QString dir = folder.file(QStringLiteral("folder.skw"));
    ASSERT_TRUE(QDir().mkpath(dir));
    const std::pair<QString, QString> cases[] = {{fifo, QStringLiteral("it is a named pipe (FIFO)")},
                                                 {zero, QStringLiteral("it is a device")},
                                                 {dir, QStringLiteral("it is a folder")}};
    for (const auto &[path, why] : cases) {
        prompter.clear();
        bool ok = true;
        EXPECT_TRUE(import(path, &ok).empty());
        EXPECT_FALSE(ok);
        ASSERT_EQ(prompter.prompts().size(), 1);
        EXPECT_EQ(prompter.prompts()[0].text, kImportNotAFileText.arg(path, why));
    }
}

TEST_P(ShowImport, CancelledEditorAddsNothing)
{
    int added = 0;
    EXPECT_TRUE(importShowFile(
        writeImportFile("A|B|0600|0700|-------"), clock, prompter, [](Show &) { return false; },
        [&](const Show &) { ++added; }));
    EXPECT_EQ(added, 0);
}

TEST_P(ShowImport, DaysAreTestedByPosition)
{
    const ShowList added = import(writeImportFile("A|B|0600|0700|-T.t-SS\nA|B|0600|0700|MTWTFSS\n"));
    ASSERT_EQ(added.size(), 1u) << "only the first line counts";
    EXPECT_EQ(added[0].flags, OUT_MP3_FM | SHOW_REPEATING | SHOW_TUE | SHOW_SAT | SHOW_SUN);
    // A short days field leaves the missing positions unset; "S" in a
    // weekday position is not a day.
    const ShowList shortDays = import(writeImportFile("A|B|0600|0700|SM"));
    ASSERT_EQ(shortDays.size(), 1u);
    EXPECT_EQ(shortDays[0].flags, OUT_MP3_FM);
}

TEST_P(ShowImport, PacificFileUsesPacificStandardTime)
{
    // 06:00 PST is 14:00 UTC, taken to the zone's standard time. Daylight
    // saving plays no part: the same hour in summer.
    const int hour = zoneFacts(GetParam()).pacificSixInStandardTime;
    for (const std::int64_t day : {localTime(2026, 12, 7), localTime(2026, 7, 15)}) {
        clock.set(day + 14 * 3600 + 20 * 60);
        const ShowList added = import(writeImportFile("A|B|0600|0700|-------", QStringLiteral("radio-pst.skw")));
        ASSERT_EQ(added.size(), 1u);
        const std::tm start = localTm(added[0].startTime);
        const std::tm date = localTm(day);
        EXPECT_EQ(start.tm_hour, hour) << "month " << date.tm_mon + 1;
        EXPECT_EQ(start.tm_min, 0);
        EXPECT_EQ(start.tm_mday, date.tm_mday);
        EXPECT_EQ(start.tm_mon, date.tm_mon);
    }
}

TEST_P(ShowImport, AbsurdNumbersCarryOverWithoutCrashing)
{
    const ShowList added = import(writeImportFile("A|B|9900|0075|-------|2004-13-01"));
    ASSERT_EQ(added.size(), 1u);
    // Hour 99 is four days and three hours after midnight; minute 75 is
    // an hour and a quarter.
    EXPECT_EQ(added[0].startTime, today(0) + 99 * 3600);
    EXPECT_EQ(added[0].endTime, today(0) + 75 * 60);
    EXPECT_EQ(added[0].onceDate, localTime(2005, 1, 1)) << "month 13 is January of the next year";

    const ShowList old = import(writeImportFile("A|B|0600|0700|-------|1800-01-01"));
    ASSERT_EQ(old.size(), 1u);
    EXPECT_EQ(old[0].onceDate, 0) << "a year before 1900 gives no date";

    const ShowList partial = import(writeImportFile("A|B|0600|0700|-------|2004-05"));
    ASSERT_EQ(partial.size(), 1u);
    EXPECT_EQ(partial[0].onceDate, 0);

    const ShowList huge =
        import(writeImportFile("A|B|99999999999999999999|-99999999999999|-------|99999999999-99999999999-9"));
    ASSERT_EQ(huge.size(), 1u);
    EXPECT_EQ(huge[0].onceDate, 0) << "a date the record cannot hold is none";
}

TEST_P(ShowImport, OnlyTheFirst255BytesAreRead)
{
    // The separators after byte 255 are never seen.
    bool ok = true;
    EXPECT_TRUE(import(writeImportFile(QByteArray(250, 'n') + "|url|0600|0700|MTWTF--"), &ok).empty());
    EXPECT_FALSE(ok);

    // A name longer than its field is cut to 127 bytes on a character
    // boundary.
    const QByteArray name = QString(100, QChar(0x263a)).toUtf8(); // 3 bytes each: too long for 255
    const ShowList added =
        import(writeImportFile(QString(60, QChar(0xe9)).toUtf8() + QByteArray(10, 'x') + "|u|0600|0700|-------"));
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(fieldBytes(added[0].name).size(), 127);
    EXPECT_TRUE(fieldText(added[0].name).endsWith(QStringLiteral("xxxxxxx")));
    ShowList three = import(writeImportFile(name.left(120) + "|u|0600|0700|-------"));
    ASSERT_EQ(three.size(), 1u);
    EXPECT_EQ(fieldBytes(three[0].name).size(), 120);
    three = import(writeImportFile(name.left(150) + "|u|0600|0700|-------"));
    ASSERT_EQ(three.size(), 1u);
    EXPECT_EQ(fieldBytes(three[0].name).size(), 126) << "42 whole characters";
}

TEST_P(ShowImport, BinaryFilesNeverCrash)
{
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        QByteArray data(static_cast<qsizetype>(random() % 600), '\0');
        for (char &c : data) {
            const unsigned r = random() % 10;
            c = r == 0 ? '|' : r == 1 ? '\n' : static_cast<char>(random());
        }
        Show show;
        parseShowImport(data, round % 2 == 0, clock, &show);
        EXPECT_LE(fieldBytes(show.name).size(), 127);
    }
    // A NUL ends the line as a C string would.
    Show show;
    EXPECT_EQ(parseShowImport(QByteArray("A|B|06", 6) + QByteArray(1, '\0') + "00|0700|MTWTFSS", false, clock, &show),
              ImportStatus::ParseError);
}

INSTANTIATE_TEST_SUITE_P(Zones, ShowImport, ::testing::ValuesIn(kTestZones));

TEST(ShowImportEastern, PacificSixOClockIsNineInNewYork)
{
    ScopedEnv tz("TZ", "America/New_York");
    ManualClock clock(localTime(2026, 12, 7, 12));
    Show show;
    ASSERT_EQ(parseShowImport("A|B|0600|0700|-------", true, clock, &show), ImportStatus::Ok);
    const std::tm start = localTm(show.startTime);
    EXPECT_EQ(start.tm_hour, 9);
    EXPECT_EQ(start.tm_min, 0);
    EXPECT_EQ(start.tm_mday, 7);
    // In summer too: the daylight-saving state is not considered.
    clock.set(localTime(2026, 7, 7, 12));
    Show summer;
    ASSERT_EQ(parseShowImport("A|B|0600|0700|-------", true, clock, &summer), ImportStatus::Ok);
    EXPECT_EQ(localTm(summer.startTime).tm_hour, 9);
}

} // namespace
} // namespace skywell::test
