#include "shows/localtime.h"

#include <climits>
#include <initializer_list>

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

std::int64_t standardOffsetWest()
{
    tzset();
    return static_cast<std::int64_t>(timezone);
}

int daylightSavingState(std::int64_t t)
{
    const std::tm now = localCalendar(t);
    if (now.tm_isdst > 0)
        return 2;
    // Standard time now: does the zone switch at all this year? Look at
    // the middle of both halves of the year.
    std::tm probe{};
    probe.tm_year = now.tm_year;
    probe.tm_mday = 1;
    probe.tm_hour = 12;
    probe.tm_isdst = -1;
    for (int month : {0, 6}) {
        std::tm date = probe;
        date.tm_mon = month;
        std::mktime(&date);
        if (date.tm_isdst > 0)
            return 1;
    }
    return 0;
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
