#pragma once

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "shows/show.h"
#include "support/tempenv.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <memory>
#include <string_view>

namespace skywell::test
{

// The zones every time-dependent test runs in: two with US and European
// daylight-saving rules, UTC, one without daylight saving, two whose zone
// data marks the smaller offset as daylight time (Irish winter time and
// Morocco's Ramadan time carry tm_isdst = 1), and London, whose clocks
// match Dublin's with the usual flags.
inline const char *const kTestZones[] = {"America/New_York", "Europe/Berlin",     "UTC",          "Asia/Tokyo",
                                         "Europe/Dublin",    "Africa/Casablanca", "Europe/London"};

// Known facts about each test zone, for expectations that must not come
// from the program's own arithmetic.
struct ZoneFacts {
    const char *zone;
    // The stored daylight-saving state in December: 1 standard time (the
    // smaller UTC offset of the year), 2 daylight time (the larger), 0 no
    // daylight saving.
    int decemberState;
    // The local hour of 06:00 Pacific Standard Time (14:00 UTC) in the
    // zone's standard time.
    int pacificSixInStandardTime;
};

inline const ZoneFacts kZoneFacts[] = {
    {"America/New_York", 1, 9}, // EST in December; EST is UTC-5
    {"Europe/Berlin", 1, 15},   // CET in December; CET is UTC+1
    {"UTC", 0, 14},
    {"Asia/Tokyo", 0, 23},        // JST, UTC+9 all year
    {"Europe/Dublin", 1, 14},     // GMT in winter, IST (UTC+1) in summer
    {"Africa/Casablanca", 2, 14}, // +01 most of the year, +00 around Ramadan
    {"Europe/London", 1, 14},     // GMT in winter, BST (UTC+1) in summer
};

inline const ZoneFacts &zoneFacts(const char *zone)
{
    for (const ZoneFacts &facts : kZoneFacts)
        if (std::string_view(facts.zone) == zone)
            return facts;
    ADD_FAILURE() << "no facts for " << zone;
    return kZoneFacts[0];
}

// Local wall-clock time in the current TZ (daylight saving from the
// calendar).
inline std::int64_t localTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&t));
}

inline std::tm localTm(std::int64_t t)
{
    const std::time_t v = static_cast<std::time_t>(t);
    std::tm out{};
    localtime_r(&v, &out);
    return out;
}

inline Show makeShow(const char *name, std::uint32_t flags, std::int64_t start, std::int64_t end)
{
    Show show;
    setField(show.name, QByteArray(name));
    show.flags = flags;
    show.startTime = static_cast<std::int32_t>(start);
    show.endTime = static_cast<std::int32_t>(end);
    return show;
}

// A program folder with its services, and a test parameterised by zone.
class ZoneTest : public ::testing::TestWithParam<const char *>
{
protected:
    void SetUp() override { m_tz = std::make_unique<ScopedEnv>("TZ", QByteArray(GetParam())); }
    void TearDown() override { m_tz.reset(); }

    TempFolder folder;
    TempFolder configFolder;
    ManualClock clock{0};
    ActivityLog log{folder.path(), clock};
    SettingsStore settingsStore{configFolder.path() + QStringLiteral("user"),
                                configFolder.path() + QStringLiteral("machine")};
    ScriptedPrompter prompter;
    Settings settings = defaultSettings(folder.path());

private:
    std::unique_ptr<ScopedEnv> m_tz;
};

} // namespace skywell::test
