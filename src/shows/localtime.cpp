#include "shows/localtime.h"

#include <climits>

namespace skywell
{

std::tm localCalendar(std::int64_t t)
{
    const std::time_t value = static_cast<std::time_t>(t);
    std::tm local{};
    if (localtime_r(&value, &local) == nullptr)
        return std::tm{};
    return local;
}

std::int64_t localMidnight(std::int64_t t)
{
    std::tm local = localCalendar(t);
    local.tm_hour = 0;
    local.tm_min = 0;
    local.tm_sec = 0;
    local.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&local));
}

bool localDateToTime(std::int64_t year, std::int64_t month, std::int64_t day, std::int64_t *result)
{
    // tm fields are int: keep the arithmetic below from overflowing; such
    // dates are far outside anything mktime can represent anyway.
    constexpr std::int64_t kLimit = 100000000;
    if (year < -kLimit || year > kLimit || month < -kLimit || month > kLimit || day < -kLimit || day > kLimit)
        return false;
    std::tm date{};
    date.tm_year = static_cast<int>(year - 1900);
    date.tm_mon = static_cast<int>(month - 1);
    date.tm_mday = static_cast<int>(day);
    date.tm_isdst = -1;
    const std::time_t t = std::mktime(&date);
    if (t == static_cast<std::time_t>(-1))
        return false;
    *result = static_cast<std::int64_t>(t);
    return true;
}

namespace
{

// The smallest and largest UTC offsets (east, seconds) the zone uses in
// the year of t, from a noon-ish sample of every day of that year: a
// daily step catches even month-long periods such as Morocco's Ramadan
// time.
struct OffsetRange {
    long smallest = 0;
    long largest = 0;
};

OffsetRange offsetsOfYear(std::int64_t t)
{
    // Take up a changed TZ, as mktime would.
    tzset();
    const std::tm now = localCalendar(t);
    OffsetRange range{now.tm_gmtoff, now.tm_gmtoff};
    // Noon of 1 January, give or take the hour of a change.
    const std::int64_t first = t - std::int64_t{now.tm_yday} * 86400 + (12 - now.tm_hour) * std::int64_t{3600} -
                               now.tm_min * std::int64_t{60} - now.tm_sec;
    for (int day = 0; day < 366; ++day) {
        const std::tm sample = localCalendar(first + std::int64_t{day} * 86400);
        if (sample.tm_year != now.tm_year)
            continue;
        if (sample.tm_gmtoff < range.smallest)
            range.smallest = sample.tm_gmtoff;
        if (sample.tm_gmtoff > range.largest)
            range.largest = sample.tm_gmtoff;
    }
    return range;
}

} // namespace

// The C library's daylight flag cannot be trusted for this: the zone data
// marks Irish winter time (and Morocco's Ramadan time) as daylight time
// with a negative saving. Standard time is the part of the year with the
// smaller UTC offset, daylight time the part with the larger.

std::int64_t standardOffsetWest(std::int64_t t)
{
    return -static_cast<std::int64_t>(offsetsOfYear(t).smallest);
}

int daylightSavingState(std::int64_t t)
{
    const OffsetRange range = offsetsOfYear(t);
    if (range.smallest == range.largest)
        return 0;
    return localCalendar(t).tm_gmtoff == range.largest ? 2 : 1;
}

std::int32_t toStoredTime(std::int64_t t)
{
    if (t > INT32_MAX)
        return INT32_MAX;
    if (t < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(t);
}

} // namespace skywell
