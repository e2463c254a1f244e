#pragma once

#include <cstdint>
#include <ctime>

namespace skywell
{

// Calendar helpers in the local time zone (TZ), on 64-bit times.

// The broken-down local time; all zero when the C library cannot convert.
std::tm localCalendar(std::int64_t t);

// Local midnight of the day of t, the daylight-saving state taken from
// the calendar.
std::int64_t localMidnight(std::int64_t t);

// mktime of a calendar date at midnight with automatic daylight-saving
// state; out-of-range months and days carry over. Nothing when the date
// cannot be represented.
bool localDateToTime(std::int64_t year, std::int64_t month, std::int64_t day, std::int64_t *result);

// The zone's standard-time offset west of UTC in the year of t, in
// seconds (18000 for US Eastern time, 0 for Irish time). Standard time is
// the smaller of the offsets the zone uses that year.
std::int64_t standardOffsetWest(std::int64_t t);

// Daylight-saving state at t as stored in "TZ": 1 standard time (the
// smaller UTC offset of t's year), 2 daylight time (the larger), 0 when
// the zone keeps one offset all year.
int daylightSavingState(std::int64_t t);

// A 64-bit time clamped into the int32 range of the stored records.
std::int32_t toStoredTime(std::int64_t t);

} // namespace skywell
