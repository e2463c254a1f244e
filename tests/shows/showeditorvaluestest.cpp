#include "shows/showeditorvalues.h"
#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settingsstore.h"
#include "shows/editoraccept.h"
#include "shows/showfile.h"
#include "support/tempenv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <ctime>

namespace skywell::test
{
namespace
{

std::int64_t at(int year, int month, int day, int hour = 0, int minute = 0)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_isdst = -1;
    return std::int64_t(std::mktime(&tm));
}

struct EditorRules : ::testing::Test {
    ScopedEnv tz{"TZ", "America/New_York"};
    TempFolder dir;
    SettingsStore settingsStore{dir.path() + QStringLiteral("u"), dir.path() + QStringLiteral("m")};
    ScriptedPrompter prompter;
    ManualClock clock{at(2026, 12, 9, 14)};
};

TEST_F(EditorRules, OpeningTakesTheLastChoicesForWhatTheShowLeavesEmpty)
{
    Show show;
    show.flags = SHOW_REPEATING | SHOW_UNSCHEDULED | OUT_WAV | OUT_MP3_AM;
    show.tunerKind = 'W';
    show.deadAirMs = 12999;
    settingsStore.writeString(QStringLiteral("BestRecordSource"), QStringLiteral("best"), SettingsGroup::Program);
    settingsStore.writeInt(QStringLiteral("LastQuality"), 5, SettingsGroup::Program);
    ShowEditorValues v = openShowEditor(show, clock.now(), settingsStore, clock);
    EXPECT_EQ(v.recordSource, QStringLiteral("best"));
    EXPECT_EQ(v.outputIndex, 5);
    EXPECT_EQ(v.scheduleKind, 2) << "unscheduled wins";
    EXPECT_EQ(v.player, 1);
    EXPECT_EQ(v.deadAirSeconds, 12);
    EXPECT_TRUE(v.summary.contains(QStringLiteral("best")));
    settingsStore.writeString(QStringLiteral("LastRecordSource"), QStringLiteral("last"), SettingsGroup::Program);
    EXPECT_EQ(openShowEditor(show, clock.now(), settingsStore, clock).recordSource, QStringLiteral("last"));
}

TEST_F(EditorRules, ImportsAcceptTheSameWayAsTheEditor)
{
    Show show;
    show.startTime = std::int32_t(at(2026, 12, 1, 9));
    show.endTime = std::int32_t(at(2026, 12, 1, 10));
    show.splitAtMinute[0] = 44;
    show.splitAtMinute[1] = 75;
    Show viaEditor = show;
    ASSERT_TRUE(acceptShowUnchanged(show, clock.now(), settingsStore, prompter));
    ASSERT_TRUE(acceptShowEditor(openShowEditor(viaEditor, clock.now(), settingsStore, clock), viaEditor, clock.now(),
                                 settingsStore, prompter));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(&show), sizeof show),
              QByteArray(reinterpret_cast<const char *>(&viaEditor), sizeof viaEditor));
    EXPECT_EQ(show.startTime, at(2026, 12, 10, 9));
    EXPECT_EQ(show.splitAtMinute[0], 44);
    EXPECT_EQ(show.splitAtMinute[1], 255);
    EXPECT_EQ(settingsStore.readInt(QStringLiteral("LastQuality"), SettingsGroup::Program), 1)
        << "FM, the new Show's kind";
}

TEST_F(EditorRules, NewShowIsProposedForTheComingHourAndSummarisedAsSaved)
{
    // Opened at 10:17:30 or on the hour itself: the next full hour, for an hour.
    for (const std::int64_t opened : {at(2026, 12, 9, 10, 17) + 30, at(2026, 12, 9, 10)}) {
        const ShowEditorValues v = openShowEditor(Show(), opened, settingsStore, clock);
        EXPECT_EQ(v.start, at(2026, 12, 9, 11));
        EXPECT_EQ(v.end, at(2026, 12, 9, 12));
    }

    // The Summary says what OK saves (a Wednesday at 14:00: the weekday
    // Show begins at 15:00 today), and follows the pages.
    ShowEditorValues v = openShowEditor(Show(), clock.now(), settingsStore, clock);
    EXPECT_TRUE(v.summary.contains(QStringLiteral("Days= Mon Tue Wed Thu Fri"))) << qPrintable(v.summary);
    EXPECT_TRUE(v.summary.contains(QStringLiteral("Next = Wed Dec 9 3:00 PM - 4:00 PM\r\n"))) << qPrintable(v.summary);
    v.days = SHOW_SAT;
    EXPECT_TRUE(editorSummary(v, Show(), clock.now(), clock).contains(QStringLiteral("Next = Sat Dec 12 3:00 PM")));
    v.scheduleKind = 2;
    EXPECT_TRUE(editorSummary(v, Show(), clock.now(), clock).contains(QStringLiteral("Next = Unscheduled")));
}

TEST_F(EditorRules, TitleOptionIsKeptOnlyForTheStreamSource)
{
    Show show;
    ShowEditorValues v = openShowEditor(show, clock.now(), settingsStore, clock);
    EXPECT_FALSE(v.titleSplit) << "a Show from an older version has the bit clear";
    v.titleSplit = true;
    v.recordSource = QStringLiteral("Internet Stream");
    ASSERT_TRUE(acceptShowEditor(v, show, clock.now(), settingsStore, prompter));
    EXPECT_TRUE(show.flags & OPT_TITLE_SPLIT);
    EXPECT_EQ(recordSourceName(show), QStringLiteral("Internet Stream"));
    EXPECT_TRUE(openShowEditor(show, clock.now(), settingsStore, clock).titleSplit);

    // A sound card has no titles to follow.
    v.recordSource = QStringLiteral("Monitor of Speakers");
    ASSERT_TRUE(acceptShowEditor(v, show, clock.now(), settingsStore, prompter));
    EXPECT_FALSE(show.flags & OPT_TITLE_SPLIT);
}

TEST_F(EditorRules, LongSourceSurvivesTheShowFile)
{
    const QString name = QStringLiteral("alsa_output.pci-0000_00_1f.3.analog-stereo.monitor");
    ShowList shows(1);
    ASSERT_TRUE(setRecordSourceName(shows[0], name));
    EXPECT_EQ(fieldText(shows[0].recordSource), name.left(27));
    const QString path = dir.path() + QStringLiteral("Skywell5.dat");
    ASSERT_TRUE(saveShowFile(shows, path));
    EXPECT_EQ(QFileInfo(path).size(), 1052);
    ShowList loaded;
    loadShowFile(loaded, path);
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(recordSourceName(loaded[0]), name);

    // A program that knows only the short field changed it: the short one
    // counts.
    setField(loaded[0].recordSource, "Line In");
    EXPECT_EQ(recordSourceName(loaded[0]), QStringLiteral("Line In"));
    // Short names clear the long field; too long names change nothing.
    ASSERT_TRUE(setRecordSourceName(loaded[0], QStringLiteral("Mic")));
    EXPECT_EQ(fieldText(loaded[0].recordSourceFull), QString());
    EXPECT_FALSE(setRecordSourceName(loaded[0], QString(66, QLatin1Char('x'))));
    EXPECT_EQ(recordSourceName(loaded[0]), QStringLiteral("Mic"));
    EXPECT_TRUE(setRecordSourceName(loaded[0], QString(65, QLatin1Char('x'))));
    EXPECT_EQ(recordSourceName(loaded[0]), QString(65, QLatin1Char('x')));
}

TEST_F(EditorRules, NameTestFileStaysInTheRecordingsFolder)
{
    const QString rec = dir.path() + QStringLiteral("rec/");
    QDir().mkpath(rec);
    QFile victim(dir.path() + QStringLiteral("x Jan 00.mp3"));
    ASSERT_TRUE(victim.open(QIODevice::WriteOnly));
    victim.close();
    EXPECT_EQ(checkShowName(QStringLiteral("../x"), rec), ShowNameCheck::Ok);
    EXPECT_TRUE(victim.exists());
    EXPECT_TRUE(QDir(rec).entryList(QDir::Files).isEmpty()) << "the test file is removed";
    // Names are checked as the file naming writes them: "/" becomes "-".
    EXPECT_EQ(checkShowName(QStringLiteral("AM/FM News"), rec), ShowNameCheck::Ok);
    EXPECT_EQ(checkShowName(QString(), rec), ShowNameCheck::Empty);
    EXPECT_EQ(checkShowName(QStringLiteral("a"), dir.path() + QStringLiteral("none/")), ShowNameCheck::CannotCreate);
    EXPECT_EQ(numberEditProblem(QStringLiteral("-1"), 10), QStringLiteral("Please enter an integer between 0 and 10."));
    EXPECT_EQ(splitMinuteFromText(QStringLiteral("300")), 255);
    EXPECT_EQ(splitMinuteFromText(QStringLiteral("59")), 59);
    EXPECT_EQ(splitMinuteFromText(QStringLiteral("x")), 255);
}

} // namespace
} // namespace skywell::test
