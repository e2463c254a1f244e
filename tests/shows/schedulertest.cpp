#include "shows/scheduler.h"

#include "core/settingsstore.h"
#include "fakewaketimer.h"
#include "showtesthelpers.h"

#include <vector>

namespace skywell::test
{
namespace
{

constexpr std::uint32_t kWeekdays = SHOW_MON | SHOW_TUE | SHOW_WED | SHOW_THU | SHOW_FRI;

class SchedulerTest : public ZoneTest
{
protected:
    void SetUp() override
    {
        ZoneTest::SetUp();
        settings.connectLeadSeconds = 30;
        // Shows tuned in the browser are heard through the chosen source:
        // overlapping ones conflict.
        settings.tuneInBrowser = true;
        scheduler.setWakeTimer(&wake);
    }

    FakeWakeTimer wake;
    Scheduler scheduler{clock, settings, settingsStore, log, prompter};
};

// 2026-12-05 is a Saturday, 2026-12-07 a Monday.

TEST_P(SchedulerTest, WeekdayShowSavedOnSaturdayWalksToMonday)
{
    clock.set(localTime(2026, 12, 5, 11));
    // The editor gives Sunday 9:00; adding moves it one week back.
    ShowList shows{makeShow("Morning", SHOW_REPEATING | kWeekdays | OUT_MP3_FM,
                            localTime(2026, 12, 6, 9) - kWeekSeconds, localTime(2026, 12, 6, 10) - kWeekSeconds)};
    const std::int32_t next = scheduler.reschedule(shows);
    EXPECT_EQ(shows[0].startTime, localTime(2026, 12, 7, 9));
    EXPECT_EQ(shows[0].endTime, localTime(2026, 12, 7, 10));
    EXPECT_EQ(next, shows[0].startTime);
    ASSERT_EQ(wake.delays.size(), 1u);
    EXPECT_EQ(wake.delays[0], next - (clock.now() + 30 + 30));
}

TEST_P(SchedulerTest, RunningShowStaysUntilRecordedThenMovesOn)
{
    const std::int64_t wednesday9 = localTime(2026, 12, 9, 9);
    clock.set(localTime(2026, 12, 9, 9, 30));
    ShowList shows{makeShow("Morning", SHOW_REPEATING | kWeekdays, wednesday9, wednesday9 + 3600)};
    EXPECT_EQ(scheduler.reschedule(shows), wednesday9) << "the show being recorded is the candidate";
    EXPECT_EQ(shows[0].startTime, wednesday9);
    EXPECT_EQ(findDueShow(shows, clock.now() + 30), &shows[0]);

    recordOutcome(shows[0], QString(), wednesday9 + 2, clock.now() + 1800, clock);
    EXPECT_EQ(shows[0].lastRecorded, wednesday9 + 2);
    EXPECT_EQ(findDueShow(shows, clock.now() + 30), nullptr) << "recorded at this occurrence";
    scheduler.reschedule(shows);
    EXPECT_EQ(shows[0].startTime, localTime(2026, 12, 10, 9));
}

TEST_P(SchedulerTest, FridayShowSkipsTheWeekend)
{
    const std::int64_t friday9 = localTime(2026, 12, 11, 9);
    clock.set(localTime(2026, 12, 11, 12));
    ShowList shows{makeShow("Morning", SHOW_REPEATING | kWeekdays, friday9, friday9 + 3600)};
    scheduler.reschedule(shows);
    EXPECT_EQ(shows[0].startTime, localTime(2026, 12, 14, 9));
}

TEST_P(SchedulerTest, OnceAndUnscheduledShowsAreNeverMoved)
{
    clock.set(localTime(2026, 12, 9, 12));
    ShowList shows{makeShow("Once", OUT_WAV, localTime(2026, 12, 8, 9), localTime(2026, 12, 8, 10)),
                   makeShow("Never", SHOW_UNSCHEDULED | SHOW_REPEATING | SHOW_MON, 1000, 2000),
                   makeShow("NoDays", SHOW_REPEATING, 3000, 4000)};
    const ShowList before = shows;
    EXPECT_EQ(scheduler.reschedule(shows), 0) << "no coming start";
    for (std::size_t i = 0; i < shows.size(); ++i) {
        EXPECT_EQ(shows[i].startTime, before[i].startTime);
        EXPECT_EQ(shows[i].endTime, before[i].endTime);
    }
    ASSERT_EQ(wake.delays.size(), 1u);
    EXPECT_LE(wake.delays[0], 0) << "nothing to wait for: a moment already past";
    EXPECT_EQ(findDueShow(shows, 1500), nullptr) << "unscheduled Shows are never due";
    EXPECT_EQ(findDueShow(shows, 3500), nullptr);

    // A shift moves the once Show but not the unscheduled ones.
    scheduler.reschedule(shows, 3600);
    EXPECT_EQ(shows[0].startTime, before[0].startTime + 3600);
    EXPECT_EQ(shows[1].startTime, 1000);
    EXPECT_EQ(shows[2].startTime, 3000);
}

TEST_P(SchedulerTest, ShowAcrossMidnightIsDueFromLeadBeforeStartToLeadBeforeEnd)
{
    const std::int64_t start = localTime(2026, 12, 9, 23);
    const std::int64_t end = localTime(2026, 12, 10, 1);
    ShowList shows{makeShow("Late", OUT_MP3_FM, start, end)};
    const std::int64_t lead = 30;
    EXPECT_EQ(findDueShow(shows, start - 31 + lead), nullptr);
    EXPECT_EQ(findDueShow(shows, start - 30 + lead), &shows[0]);
    EXPECT_EQ(findDueShow(shows, end - 30 + lead), &shows[0]);
    EXPECT_EQ(findDueShow(shows, end - 29 + lead), nullptr);
}

TEST_P(SchedulerTest, SameStartWakesForItAndTheEarlierShowIsDue)
{
    const std::int64_t start = localTime(2026, 12, 9, 20);
    clock.set(start - 7200);
    ShowList shows{makeShow("Later", OUT_MP3_FM, start + 600, start + 3600),
                   makeShow("First", OUT_MP3_FM, start, start + 3600),
                   makeShow("Second", OUT_MP3_FM, start, start + 1800)};
    EXPECT_EQ(scheduler.reschedule(shows), start);
    EXPECT_EQ(wake.delays.back(), start - (clock.now() + 60));
    EXPECT_EQ(findDueShow(shows, start + 10), &shows[1]);
}

TEST_P(SchedulerTest, FailedArmingIsLogged)
{
    wake.failing = true;
    clock.set(localTime(2026, 12, 9, 12));
    ShowList shows;
    scheduler.reschedule(shows);
    EXPECT_TRUE(readAll(log.filePath()).contains("SetWaitableTimer failed"));
}

TEST_P(SchedulerTest, GarbageTimesStayInRange)
{
    clock.set(localTime(2026, 12, 9, 12));
    Show show = makeShow("X", SHOW_REPEATING | SHOW_SUN, INT32_MIN, INT32_MIN);
    show.lastRecorded = INT32_MAX;
    ShowList shows{show, makeShow("Y", SHOW_REPEATING | SHOW_MON, INT32_MAX, INT32_MIN)};
    scheduler.reschedule(shows, 3600);
    EXPECT_EQ(shows[0].startTime, INT32_MAX);
    EXPECT_EQ(shows[1].startTime, INT32_MAX);
    scheduler.checkConflicts(shows);
    nextRecordingText(INT32_MIN, INT32_MAX, true, clock);
}

TEST_P(SchedulerTest, OutcomeTextsAndAnUnfinishedOccurrenceStaysDue)
{
    const std::int64_t start = localTime(2026, 12, 9, 9, 5);
    clock.set(start + 600);
    ShowList shows{makeShow("Twin", SHOW_REPEATING | SHOW_DAYS | OUT_MP3_FM, start, start + 3300)};
    Show &show = shows[0];

    // Stopped before its end: NOT OK, and the rest of it still due.
    recordUnfinished(show, QStringLiteral("Stopped early"));
    EXPECT_EQ(fieldText(show.lastStatus), QStringLiteral("Last Recording was NOT OK: Stopped early"));
    EXPECT_EQ(findDueShow(shows, clock.now() + 30), &show);
    scheduler.reschedule(shows);
    EXPECT_EQ(show.startTime, start) << "not moved past the occurrence";

    recordOutcome(show, QString(), start, localTime(2026, 12, 9, 10), clock);
    EXPECT_EQ(fieldText(show.lastStatus), QStringLiteral("Last Recording was OK: Wed Dec 9 9:05 AM - 10:00 AM"));
    EXPECT_EQ(show.lastRecorded, start);
    EXPECT_EQ(findDueShow(shows, clock.now() + 30), nullptr);

    recordOutcome(show, QString(300, QChar(0x20ac)), start, start, clock);
    EXPECT_EQ(fieldBytes(show.lastStatus).size(), 255 - (255 - 27) % 3) << "cut to 255 bytes on a character";
}

TEST_P(SchedulerTest, ConflictOfTwoOverlappingShows)
{
    const std::int64_t nine = localTime(2026, 12, 9, 9);
    ShowList shows{makeShow("A", OUT_MP3_FM, nine, nine + 3600)};
    EXPECT_FALSE(scheduler.checkConflicts(shows)) << "one Show cannot conflict";
    shows.push_back(makeShow("B", OUT_MP3_FM, nine + 1800, nine + 5400));
    EXPECT_TRUE(scheduler.checkConflicts(shows));
    ASSERT_EQ(prompter.prompts().size(), 1);
    EXPECT_EQ(prompter.prompts()[0].kind, ScriptedPrompter::Kind::Error);
    EXPECT_EQ(prompter.prompts()[0].caption, QStringLiteral("Skywell"));
    EXPECT_EQ(prompter.prompts()[0].text,
              QStringLiteral("Skywell detected a scheduling conflict between the shows A and B on Wednesday December 9 "
                             "at 9:30 AM.\n\nSince only one show at a time can be recorded, you'll need to change "
                             "your schedule accordingly."));

    // Back to back is no conflict.
    shows[1] = makeShow("B", OUT_MP3_FM, nine + 3600, nine + 7200);
    EXPECT_FALSE(scheduler.checkConflicts(shows));
}

TEST_P(SchedulerTest, DailyShowConflictsWithOnceShowAtNineFiftyNine)
{
    const std::int64_t nine = localTime(2026, 12, 9, 9);
    const std::int64_t tomorrow959 = localTime(2026, 12, 10, 9, 59);
    ShowList shows{makeShow("Daily", SHOW_REPEATING | SHOW_DAYS, nine, nine + 3600),
                   makeShow("Once", OUT_MP3_FM, tomorrow959, localTime(2026, 12, 10, 11))};
    const bool dstFree = localTm(nine).tm_isdst == localTm(tomorrow959).tm_isdst;
    ASSERT_TRUE(dstFree);
    EXPECT_TRUE(scheduler.checkConflicts(shows));
    ASSERT_EQ(prompter.prompts().size(), 1);
    EXPECT_TRUE(
        prompter.prompts()[0].text.contains(QStringLiteral("Daily and Once on Thursday December 10 at 9:59 AM")));

    // At 9:59:50 the daily occurrence has ended in the table.
    shows[1].startTime = static_cast<std::int32_t>(tomorrow959 + 50);
    prompter.clear();
    EXPECT_FALSE(scheduler.checkConflicts(shows));
}

TEST_P(SchedulerTest, OnlyTheFirstFiftyShowsAreChecked)
{
    const std::int64_t base = localTime(2026, 12, 9, 0);
    ShowList shows;
    for (int i = 0; i < 60; ++i)
        shows.push_back(
            makeShow(QByteArray::number(i).constData(), OUT_MP3_FM, base + i * 7200, base + i * 7200 + 3600));
    // Shows 50 and 55 overlap show 0 and each other: outside the table.
    shows[50].startTime = shows[55].startTime = shows[0].startTime + 600;
    EXPECT_FALSE(scheduler.checkConflicts(shows));
    shows[49].startTime = shows[0].startTime + 600;
    EXPECT_TRUE(scheduler.checkConflicts(shows));
    EXPECT_TRUE(prompter.prompts()[0].text.contains(QStringLiteral("shows 0 and 49 on")));
}

TEST_P(SchedulerTest, UnscheduledShowsTakeNoPartInConflicts)
{
    const std::int64_t nine = localTime(2026, 12, 9, 9);
    ShowList shows{makeShow("A", SHOW_UNSCHEDULED, nine, nine + 3600),
                   makeShow("B", OUT_MP3_FM, nine + 60, nine + 120)};
    EXPECT_FALSE(scheduler.checkConflicts(shows));
}

TEST_P(SchedulerTest, OverlapConflictsOnlyWhereBothNeedTheChosenSource)
{
    struct Case {
        const char *source;
        char player;
        const char *url;
        bool inBrowser;
        bool conflicts;
    };
    // The other Show always records the chosen source through the browser.
    const Case cases[] = {
        {"Internet Stream", 'W', "http://127.0.0.1/a", false, false},
        {"Direct Download", 'W', "http://127.0.0.1/a", true, false},
        {"Monitor of Speakers", 'U', "http://127.0.0.1/a", false, false},
        {"Default Device", 'R', "http://127.0.0.1/a", false, false},
        // An input chosen by hand cannot be played into a sink of its own.
        {"Line In", 'U', "http://127.0.0.1/a", false, true},
        {"Line In", 'U', "http://127.0.0.1/a", true, true},
        {"Line In", 'W', "http://127.0.0.1/a", false, true},
        {"Line In", 'U', "", false, true},
    };
    const std::int64_t nine = localTime(2026, 12, 9, 9);
    for (const Case &c : cases) {
        settings.tuneInBrowser = c.inBrowser;
        ShowList shows{makeShow("A", OUT_MP3_FM, nine, nine + 3600), makeShow("B", OUT_MP3_FM, nine + 600, nine + 900)};
        setField(shows[0].url, QByteArray("http://127.0.0.1/b"));
        shows[0].tunerKind = 'W';
        setField(shows[1].recordSource, QByteArray(c.source));
        setField(shows[1].url, QByteArray(c.url));
        shows[1].tunerKind = c.player;
        prompter.clear();
        EXPECT_EQ(scheduler.checkConflicts(shows), c.conflicts) << c.source << " " << c.player << " " << c.url;
        EXPECT_EQ(prompter.prompts().size(), c.conflicts ? 1u : 0u);
    }
}

TEST_P(SchedulerTest, OnceShowTextAndClockText)
{
    clock.set(localTime(2021, 12, 6, 12));
    EXPECT_EQ(nextRecordingText(localTime(2021, 12, 6, 21, 5), localTime(2021, 12, 6, 22), false, clock),
              QStringLiteral("Mon Dec 6 9:05 PM - 10:00 PM (1x)"));
    EXPECT_EQ(nextRecordingText(localTime(2021, 12, 7, 9), localTime(2021, 12, 7, 10), true, clock),
              QStringLiteral("Tue Dec 7 9:00 AM - 10:00 AM"));
    EXPECT_EQ(clockText(localTime(2021, 12, 6, 0, 7)), QStringLiteral("12:07 AM"));
}

// Noon of each day of 2027 whose UTC offset differs from the day
// before's: the days of the zone's clock changes, none when it keeps one
// offset all year.
std::vector<std::int64_t> changesOf2027()
{
    std::vector<std::int64_t> changes;
    long previous = localTm(localTime(2027, 1, 1, 12)).tm_gmtoff;
    for (int day = 1; day < 365; ++day) {
        const std::int64_t noon = localTime(2027, 1, 1 + day, 12);
        const long offset = localTm(noon).tm_gmtoff;
        if (offset != previous)
            changes.push_back(noon);
        previous = offset;
    }
    return changes;
}

// The first clock change of 2027; 0 when there is none.
std::int64_t firstChangeOf2027()
{
    const std::vector<std::int64_t> changes = changesOf2027();
    return changes.empty() ? 0 : changes.front();
}

TEST_P(SchedulerTest, TextShowsTodaysWallClockAcrossADaylightSavingChange)
{
    const std::int64_t change = firstChangeOf2027();
    // Today: three days before the change; the Show was placed at 9:00
    // today and walked three days on in whole days of 86400 seconds.
    const std::tm changeDay = localTm(change);
    const std::int64_t today9 = localTime(2027, changeDay.tm_mon + 1, changeDay.tm_mday - 3, 9);
    clock.set(today9 - 3600);
    const std::int64_t stored = today9 + 4 * kDaySeconds;
    // The clocks went forward (or back) by the change of UTC offset.
    const long moved = (localTm(stored).tm_gmtoff - localTm(today9).tm_gmtoff) / 3600;
    EXPECT_EQ(localTm(stored).tm_hour, 9 + moved) << "the stored time is an hour off the wall clock";
    const QString text = nextRecordingText(stored, stored + 3600, true, clock);
    EXPECT_TRUE(text.contains(QStringLiteral(" 9:00 AM - 10:00 AM"))) << text.toStdString();
}

TEST_P(SchedulerTest, FirstStartRecordsTheDaylightSavingStateWithoutMovingShows)
{
    clock.set(localTime(2026, 12, 9, 12));
    ShowList shows{makeShow("A", SHOW_REPEATING | SHOW_DAYS, localTime(2026, 12, 10, 9), localTime(2026, 12, 10, 10))};
    const ShowList before = shows;
    scheduler.applyTimeZoneChange(shows);
    EXPECT_EQ(shows[0].startTime, before[0].startTime);
    EXPECT_EQ(settingsStore.readInt(kTimeZoneValueName, SettingsGroup::Program), zoneFacts(GetParam()).decemberState);
    EXPECT_TRUE(wake.delays.empty()) << "nothing rescheduled";
}

TEST_P(SchedulerTest, ChangedDaylightSavingStateMovesScheduledShowsByAnHour)
{
    // December: standard time in New York, Berlin, Dublin and London, daylight
    // time (+01) in Casablanca, none in UTC and Tokyo. The stored state is
    // the other one.
    const int december = zoneFacts(GetParam()).decemberState;
    clock.set(localTime(2026, 12, 9, 12));
    settingsStore.writeInt(kTimeZoneValueName, december == 2 ? 1 : 2, SettingsGroup::Program);
    const std::int64_t nine = localTime(2026, 12, 10, 9);
    ShowList shows{makeShow("Daily", SHOW_REPEATING | SHOW_DAYS, nine, nine + 3600),
                   makeShow("Once", OUT_MP3_FM, nine + 7200, nine + 9000),
                   makeShow("Never", SHOW_UNSCHEDULED, nine, nine + 3600)};
    shows[0].lastRecorded = 1234;
    shows[0].onceDate = 5678;
    scheduler.applyTimeZoneChange(shows);
    // Standard time began: the same wall clock is an hour later in UTC.
    // Daylight time began, or the zone has none any more: an hour earlier.
    const std::int64_t shift = december == 1 ? 3600 : -3600;
    EXPECT_EQ(shows[0].startTime, nine + shift);
    EXPECT_EQ(shows[1].startTime, nine + 7200 + shift);
    EXPECT_EQ(shows[2].startTime, nine) << "unscheduled Shows do not move";
    EXPECT_EQ(shows[0].lastRecorded, 1234);
    EXPECT_EQ(shows[0].onceDate, 5678);
    EXPECT_EQ(settingsStore.readInt(kTimeZoneValueName, SettingsGroup::Program), december);
    // Unchanged state: nothing moves again.
    scheduler.applyTimeZoneChange(shows);
    EXPECT_EQ(shows[0].startTime, nine + shift);
}

TEST_P(SchedulerTest, DailyShowKeepsItsWallClockTimeThroughEveryChangeOfTheYear)
{
    // A daily 9:00 Show placed on 2 January 2027; the program runs at 8:00
    // on the day, then three days before and two days after each clock
    // change of the year (spring and autumn; Ramadan in Casablanca).
    const std::int64_t first9 = localTime(2027, 1, 2, 9);
    clock.set(first9 - 3600);
    ShowList shows{makeShow("Daily", SHOW_REPEATING | SHOW_DAYS, first9, first9 + 3600)};
    scheduler.reschedule(shows);
    scheduler.applyTimeZoneChange(shows);
    EXPECT_EQ(shows[0].startTime, first9);
    for (const std::int64_t change : changesOf2027()) {
        const std::tm day = localTm(change);
        for (const int days : {-3, 2}) {
            const std::int64_t nine = localTime(2027, day.tm_mon + 1, day.tm_mday + days, 9);
            clock.set(nine - 3600);
            scheduler.reschedule(shows);
            scheduler.applyTimeZoneChange(shows);
            const std::tm start = localTm(shows[0].startTime);
            EXPECT_EQ(shows[0].startTime, nine) << days << " days from the change of " << day.tm_mon + 1 << "/"
                                                << day.tm_mday << ": at " << start.tm_hour << ":" << start.tm_min;
            EXPECT_EQ(shows[0].endTime, localTime(2027, day.tm_mon + 1, day.tm_mday + days, 10));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Zones, SchedulerTest, ::testing::ValuesIn(kTestZones));

} // namespace
} // namespace skywell::test
