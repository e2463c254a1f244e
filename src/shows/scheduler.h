#pragma once

#include "shows/show.h"

#include <QString>
#include <cstdint>

namespace skywell
{

class ActivityLog;
class Clock;
class Prompter;
class SettingsStore;
struct Settings;
class WakeTimer;

// Keeps every Show's startTime/endTime on its next occurrence, arms the
// wake-up timer for the earliest one, follows daylight-saving changes and
// warns about overlapping Shows. It owns no timer tick: the one-second
// tick and the Show list commands call it.
class Scheduler final
{
public:
    Scheduler(const Clock &clock, const Settings &settings, SettingsStore &settingsStore, ActivityLog &log,
              Prompter &prompter);

    // May be null: no wake-up timer (it could not be created).
    void setWakeTimer(WakeTimer *timer) { m_wakeTimer = timer; }

    // Moves every scheduled Show onto its next occurrence, after shifting
    // all of them by shift seconds, and arms the wake-up timer. Returns the
    // earliest coming start, 0 when there is none. Does not save.
    std::int32_t reschedule(ShowList &shows, std::int32_t shift = 0);

    // The earliest start that is still ahead: a Show starting before it is
    // tuned to at once.
    std::int64_t firstStartAhead() const;

    // Compares the daylight-saving state with the value "TZ" and moves all
    // scheduled Shows by an hour when it changed, so they keep their
    // wall-clock time.
    void applyTimeZoneChange(ShowList &shows);

    // Shows a message about the first overlap of two Shows (among the
    // first 50) that both need the chosen source, which only one recording
    // at a time can use. Changes nothing. Returns true when it reported one.
    bool checkConflicts(const ShowList &shows);

private:
    const Clock &m_clock;
    const Settings &m_settings;
    SettingsStore &m_settingsStore;
    ActivityLog &m_log;
    Prompter &m_prompter;
    WakeTimer *m_wakeTimer = nullptr;
};

// The Show with that serial: a Show's identity while the program runs,
// carried by every copy, so it survives edits, moves and sorting, and
// tells apart Shows of the same name. Null when the Show was deleted.
Show *findShowBySerial(ShowList &shows, std::int16_t serial);

// The Show is scheduled, has startTime <= t <= endTime and has not been
// recorded at this occurrence.
bool isDueAt(const Show &show, std::int64_t t);

// The first Show, in list order, that is due at t; null when none.
Show *findDueShow(ShowList &shows, std::int64_t t);
const Show *findDueShow(const ShowList &shows, std::int64_t t);

// Stores the outcome of a finished recording in the Show it was made of,
// which counts as recorded at this occurrence from then on.
void recordOutcome(Show &show, const QString &errorText, std::int64_t recordedStart, std::int64_t stopTime,
                   const Clock &clock);

// Stores a "NOT OK" outcome without marking the occurrence recorded, so
// that the due-Show search still finds the rest of it.
void recordUnfinished(Show &show, const QString &reason);

// "Mon Dec 6 9:05 PM - 10:00 PM", with " (1x)" when not repeating. The
// time shown is the wall-clock time the Show has today, when a
// daylight-saving change lies between today and the stored occurrence.
QString nextRecordingText(std::int64_t start, std::int64_t end, bool repeating, const Clock &clock);

// t as "9:05 PM".
QString clockText(std::int64_t t);

// Value name of the stored daylight-saving state.
inline const QString kTimeZoneValueName = QStringLiteral("TZ");

inline constexpr std::int64_t kDaySeconds = 86400;
inline constexpr std::int64_t kWeekSeconds = 604800;

} // namespace skywell
