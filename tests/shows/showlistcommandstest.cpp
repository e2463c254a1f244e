// The Show list commands without a window: catalogue picks, the edit of a
// repeating Show, moves at the ends, and the Next Recording texts.
#include "shows/showlistcommands.h"
#include "core/activitylog.h"
#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "shows/localtime.h"
#include "shows/scheduler.h"
#include "shows/showeditorvalues.h"
#include "shows/showfile.h"
#include "shows/showstore.h"
#include "support/tempenv.h"
#include "tuning/cataloguepick.h"

#include <gtest/gtest.h>

using namespace skywell;
using namespace skywell::test;

namespace
{

class ShowListCommandsTest : public ::testing::Test
{
protected:
    Show show(const char *name, std::int64_t start, std::uint32_t flags)
    {
        Show s;
        setField(s.name, QByteArray(name));
        s.startTime = std::int32_t(start);
        s.endTime = std::int32_t(start + 3600);
        s.flags = flags;
        return s;
    }

    TempFolder folder;
    ManualClock clock{1765000000};
    ActivityLog log{folder.path(), clock};
    ScriptedPrompter prompter;
    SettingsStore settingsStore{folder.path() + QStringLiteral("user"), folder.path() + QStringLiteral("machine")};
    Settings settings;
    ShowList shows;
    Scheduler scheduler{clock, settings, settingsStore, log, prompter};
    ShowStore store{folder.path(), log, prompter};
    ShowListCommands commands{shows, scheduler, store, settingsStore, prompter, clock};
};

TEST_F(ShowListCommandsTest, PickedShowTakesItsTimesAndWeekdaysPickedStationItsWholeFlagWord)
{
    PickResult pick;
    pick.name = QStringLiteral("Jazz Hour");
    pick.address = QStringLiteral("http://radio.example/jazz");
    pick.start = clock.now() + 600;
    pick.end = clock.now() + 4200;
    pick.flags = SHOW_SAT | SHOW_SUN;
    pick.playerLetter = 'R';

    Show picked;
    const std::uint32_t before = picked.flags;
    applyPick(picked, pick, CatalogueMode::Show);
    EXPECT_EQ(fieldText(picked.name), QStringLiteral("Jazz Hour"));
    EXPECT_EQ(fieldText(picked.url), QStringLiteral("http://radio.example/jazz"));
    EXPECT_EQ(picked.tunerKind, 'R');
    EXPECT_EQ(picked.startTime, pick.start);
    EXPECT_EQ(picked.endTime, pick.end);
    EXPECT_EQ(picked.flags, (before & ~SHOW_DAYS) | SHOW_SAT | SHOW_SUN);

    // Zero times and flags leave the new Show's own.
    Show untouched;
    const Show defaults = untouched;
    pick.start = pick.end = 0;
    pick.flags = 0;
    applyPick(untouched, pick, CatalogueMode::Show);
    EXPECT_EQ(untouched.startTime, defaults.startTime);
    EXPECT_EQ(untouched.flags, defaults.flags);

    Show station;
    pick.flags = kPickedStationFlags;
    applyPick(station, pick, CatalogueMode::Station);
    EXPECT_EQ(station.flags, kPickedStationFlags);
    EXPECT_EQ(fieldText(station.recordSource), QString());
}

TEST_F(ShowListCommandsTest, EditedRepeatingShowLandsOnItsComingOccurrence)
{
    // The editor hands back a weekly Show on today's weekday, a week ahead:
    // moved back a week and rescheduled, it is due today.
    const std::int64_t today = localMidnight(clock.now());
    const std::int64_t laterToday = clock.now() + 3600;
    const std::uint32_t weekday = [&] {
        const QDate date = QDateTime::fromSecsSinceEpoch(today).date();
        return 1u << (date.dayOfWeek() - 1); // Mon = bit 0
    }();
    shows.push_back(show("Weekly", laterToday, OUT_MP3_FM));
    Show edited = show("Weekly", laterToday + kWeekSeconds, OUT_MP3_FM | SHOW_REPEATING | weekday);
    commands.replace(0, edited);
    EXPECT_EQ(shows[0].startTime, laterToday);
    ShowList onDisk;
    loadShows(onDisk, folder.path());
    ASSERT_EQ(onDisk.size(), 1u);
    EXPECT_EQ(onDisk[0].startTime, laterToday);
}

TEST_F(ShowListCommandsTest, NewShowNeverStartsAtOnce)
{
    // The editor opened a little before the full hour it proposes and was
    // closed with OK once that hour had begun: the Show waits for its next day.
    const std::int64_t hour = nextFullHour(clock.now());
    for (const std::int64_t ok : {hour - 10, hour + 30, hour + 1800}) {
        shows.clear();
        clock.set(hour - 20);
        Show fresh;
        fresh.flags |= SHOW_DAYS;
        const ShowEditorValues values = openShowEditor(fresh, clock.now(), settingsStore, clock);
        clock.set(ok);
        ASSERT_TRUE(acceptShowEditor(values, fresh, clock.now(), settingsStore, prompter));
        commands.add(fresh);
        ASSERT_EQ(shows.size(), 1u);
        EXPECT_EQ(findDueShow(shows, clock.now() + settings.connectLeadSeconds), nullptr) << ok - hour;
        EXPECT_GT(shows[0].startTime, clock.now() + settings.connectLeadSeconds);
        EXPECT_EQ((shows[0].startTime - hour) % kDaySeconds, 0) << "on the picked time of day";
    }
}

TEST_F(ShowListCommandsTest, MovesStopAtTheEndsAndSaveOnlyWhatMoved)
{
    shows.push_back(show("A", clock.now() + 600, OUT_MP3_FM));
    shows.push_back(show("B", clock.now() + 6000, OUT_MP3_FM));
    EXPECT_EQ(commands.moveUp(0), 0);
    EXPECT_EQ(commands.moveDown(1), 1);
    ShowList onDisk;
    EXPECT_FALSE(loadShows(onDisk, folder.path()) && !onDisk.empty()); // nothing saved yet
    EXPECT_EQ(commands.moveDown(0), 1);
    loadShows(onDisk, folder.path());
    ASSERT_EQ(onDisk.size(), 2u);
    EXPECT_EQ(fieldText(onDisk[0].name), QStringLiteral("B"));
    EXPECT_EQ(commands.moveUp(5), 5); // no such row: nothing
}

TEST_F(ShowListCommandsTest, NextRecordingTexts)
{
    const Show once = show("Once", clock.now() + 600, OUT_MP3_FM);
    EXPECT_TRUE(nextRecordingColumn(once, clock).endsWith(QStringLiteral(" (1x)")));
    EXPECT_EQ(nextRecordingColumn(show("U", 0, SHOW_UNSCHEDULED), clock), QStringLiteral("Unscheduled"));
    EXPECT_EQ(nextRecordingColumn(show("R", clock.now(), SHOW_REPEATING), clock), QStringLiteral("Unscheduled"));
    EXPECT_EQ(showRowText(once, QStringLiteral("Once"), clock.now() + 18000, clock),
              QStringLiteral("RECORDING until ") + clockText(clock.now() + 18000));
    // Another Show's recording leaves this one's text.
    EXPECT_EQ(showRowText(once, QStringLiteral("Other"), clock.now(), clock), nextRecordingColumn(once, clock));
}

} // namespace
