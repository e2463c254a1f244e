#include "shows/scheduler.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/prompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "core/textcut.h"
#include "core/timetext.h"
#include "shows/localtime.h"
#include "shows/sharedsource.h"
#include "shows/waketimer.h"

#include <cstring>

namespace skywell
{

namespace
{

// Whole days to add to `value` so that it is no longer below `limit`.
std::int64_t daysUntilNotBelow(std::int64_t value, std::int64_t limit)
{
    if (value >= limit)
        return 0;
    return (limit - value + kDaySeconds - 1) / kDaySeconds;
}

std::uint32_t dayBitAt(std::int64_t t)
{
    return dayBitOfWeekday(localCalendar(t).tm_wday);
}

} // namespace

Scheduler::Scheduler(const Clock &clock, const Settings &settings, SettingsStore &settingsStore, ActivityLog &log,
                     Prompter &prompter)
    : m_clock(clock), m_settings(settings), m_settingsStore(settingsStore), m_log(log), m_prompter(prompter)
{
}

std::int64_t Scheduler::firstStartAhead() const
{
    return m_clock.now() + m_settings.connectLeadSeconds + 5;
}

std::int32_t Scheduler::reschedule(ShowList &shows, std::int32_t shift)
{
    const std::int64_t now = m_clock.now();
    const std::int64_t lead = m_settings.connectLeadSeconds;
    const std::int64_t threshold = firstStartAhead();
    bool haveCandidate = false;
    std::int64_t candidate = 0;

    for (Show &show : shows) {
        if (show.isUnscheduled())
            continue;
        std::int64_t start = std::int64_t{show.startTime} + shift;
        std::int64_t end = std::int64_t{show.endTime} + shift;
        if (start < threshold && show.isRepeating()) {
            // The day steps of the walk, taken in one go.
            std::int64_t days = daysUntilNotBelow(end, threshold);
            start += days * kDaySeconds;
            end += days * kDaySeconds;
            days = daysUntilNotBelow(start, std::int64_t{show.lastRecorded} + 1);
            start += days * kDaySeconds;
            end += days * kDaySeconds;
            for (int step = 0; step < 7 && !(show.flags & dayBitAt(start)); ++step) {
                start += kDaySeconds;
                end += kDaySeconds;
            }
        }
        show.startTime = toStoredTime(start);
        show.endTime = toStoredTime(end);
        if (show.endTime > threshold && (!haveCandidate || show.startTime < candidate)) {
            haveCandidate = true;
            candidate = show.startTime;
        }
    }

    if (m_wakeTimer) {
        // Wake the machine 30 seconds before tuning starts; with nothing to
        // wait for, a moment already past, which wakes nothing.
        const std::int64_t delay = haveCandidate ? candidate - (now + lead + 30) : 0;
        if (!m_wakeTimer->arm(delay))
            m_log.logLine(QStringLiteral("SetWaitableTimer failed"));
    }
    return haveCandidate ? toStoredTime(candidate) : 0;
}

void Scheduler::applyTimeZoneChange(ShowList &shows)
{
    const int current = daylightSavingState(m_clock.now());
    const std::int32_t stored = m_settingsStore.readInt(kTimeZoneValueName, SettingsGroup::Program);
    if (stored == 0) {
        m_settingsStore.writeInt(kTimeZoneValueName, current, SettingsGroup::Program);
        return;
    }
    if (stored == current)
        return;
    // Standard time has begun: the same wall-clock time is an hour later
    // in UTC; daylight time (or none any more): an hour earlier.
    reschedule(shows, current == 1 ? 3600 : -3600);
    m_settingsStore.writeInt(kTimeZoneValueName, current, SettingsGroup::Program);
}

bool Scheduler::checkConflicts(const ShowList &shows)
{
    if (shows.size() < 2)
        return false;
    constexpr std::size_t kRows = 50;
    constexpr int kSlots = 7;
    struct Occurrence {
        std::int64_t start = 0;
        std::int64_t end = 0;
    };
    struct Row {
        Occurrence slots[kSlots];
        int count = 0;
    };
    const std::size_t rows = shows.size() < kRows ? shows.size() : kRows;
    std::vector<Row> table(rows);
    for (std::size_t r = 0; r < rows; ++r) {
        const Show &show = shows[r];
        // Shows that can be recorded side by side never conflict.
        if ((show.flags & SHOW_UNSCHEDULED) || !needsChosenSource(show, m_settings.tuneInBrowser))
            continue;
        Row &row = table[r];
        row.slots[row.count++] = {show.startTime, show.endTime};
        for (int j = 1; j < kSlots; ++j) {
            const std::int64_t start = std::int64_t{show.startTime} + j * kDaySeconds;
            if (show.flags & dayBitAt(start))
                row.slots[row.count++] = {start, std::int64_t{show.endTime} + j * kDaySeconds - 10};
        }
    }
    for (std::size_t r = 0; r < rows; ++r) {
        for (int i = 0; i < table[r].count; ++i) {
            const Occurrence &a = table[r].slots[i];
            for (std::size_t k = 0; k < rows; ++k) {
                if (k == r)
                    continue;
                for (int x = 0; x < table[k].count; ++x) {
                    const Occurrence &b = table[k].slots[x];
                    if (a.start < b.start && b.start < a.end) {
                        const QString text =
                            QStringLiteral("Skywell detected a scheduling conflict between the shows %1 and %2 on %3 "
                                           "at %4.\n\nSince only one show at a time can be recorded, you'll need to "
                                           "change your schedule accordingly.")
                                .arg(fieldText(shows[r].name), fieldText(shows[k].name),
                                     formatTimeText(QStringLiteral("%A %B %#d"), b.start),
                                     formatTimeText(QStringLiteral("%#I:%M %p"), b.start));
                        m_prompter.error(text, kCaption);
                        return true;
                    }
                }
            }
        }
    }
    return false;
}

Show *findShowBySerial(ShowList &shows, std::int16_t serial)
{
    for (Show &show : shows)
        if (show.serial == serial)
            return &show;
    return nullptr;
}

bool isDueAt(const Show &show, std::int64_t t)
{
    return !show.isUnscheduled() && show.startTime <= t && t <= show.endTime && show.lastRecorded < show.startTime;
}

Show *findDueShow(ShowList &shows, std::int64_t t)
{
    for (Show &show : shows) {
        if (isDueAt(show, t))
            return &show;
    }
    return nullptr;
}

const Show *findDueShow(const ShowList &shows, std::int64_t t)
{
    return findDueShow(const_cast<ShowList &>(shows), t);
}

void recordOutcome(Show &show, const QString &errorText, std::int64_t recordedStart, std::int64_t stopTime,
                   const Clock &clock)
{
    show.lastRecorded = toStoredTime(recordedStart);
    if (!errorText.isEmpty()) {
        recordUnfinished(show, errorText);
        return;
    }
    const QString status =
        QStringLiteral("Last Recording was OK: ") + nextRecordingText(recordedStart, stopTime, true, clock);
    setField(show.lastStatus, status.toUtf8());
}

void recordUnfinished(Show &show, const QString &reason)
{
    setField(show.lastStatus, (QStringLiteral("Last Recording was NOT OK: ") + reason).toUtf8());
}

QString nextRecordingText(std::int64_t start, std::int64_t end, bool repeating, const Clock &clock)
{
    const int today = localCalendar(clock.now()).tm_mday;
    std::int64_t t = start;
    // The day of the month falls back below today's within a month's steps.
    for (int step = 0; step < 62 && localCalendar(t).tm_mday > today; ++step)
        t -= kDaySeconds;
    const int startHour = localCalendar(start).tm_hour;
    const int todayHour = localCalendar(t).tm_hour;
    if (startHour != todayHour) {
        const std::int64_t d = std::int64_t{startHour - todayHour} * 3600;
        start -= d;
        end -= d;
    }
    QString text = formatTimeText(QStringLiteral("%a %b %#d %#I:%M %p"), start) + QStringLiteral(" - ") +
                   formatTimeText(QStringLiteral("%#I:%M %p"), end);
    if (!repeating)
        text += QStringLiteral(" (1x)");
    return text;
}

QString clockText(std::int64_t t)
{
    return formatTimeText(QStringLiteral("%#I:%M %p"), t);
}

} // namespace skywell
