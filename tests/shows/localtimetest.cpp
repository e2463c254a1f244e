#include "shows/localtime.h"

#include "showtesthelpers.h"

#include <string_view>

namespace skywell::test
{
namespace
{

class LocalTime : public ZoneTest
{
};

// The zone's offsets of 2027 as published: standard time is the smaller
// UTC offset of the year, whatever the zone data's daylight flag says.
struct YearFacts {
    const char *zone;
    std::int64_t standardWest;
    int january;  // 15 January
    int february; // 20 February: Ramadan time (+00) in Casablanca
    int july;     // 15 July
};

constexpr YearFacts kYearFacts[] = {
    {"America/New_York", 5 * 3600, 1, 1, 2}, // EST / EDT
    {"Europe/Berlin", -3600, 1, 1, 2},       // CET / CEST
    {"UTC", 0, 0, 0, 0},
    {"Asia/Tokyo", -9 * 3600, 0, 0, 0}, // JST all year
    {"Europe/Dublin", 0, 1, 1, 2},      // GMT / IST
    {"Africa/Casablanca", 0, 2, 1, 2},  // +01, +00 around Ramadan
    {"Europe/London", 0, 1, 1, 2},      // GMT / BST
};

const YearFacts &yearFacts(const char *zone)
{
    for (const YearFacts &facts : kYearFacts)
        if (std::string_view(facts.zone) == zone)
            return facts;
    ADD_FAILURE() << "no facts for " << zone;
    return kYearFacts[0];
}

TEST_P(LocalTime, DaylightSavingStateFollowsTheLargerOffsetOfTheYear)
{
    const YearFacts &facts = yearFacts(GetParam());
    EXPECT_EQ(daylightSavingState(localTime(2027, 1, 15, 12)), facts.january);
    EXPECT_EQ(daylightSavingState(localTime(2027, 2, 20, 12)), facts.february);
    EXPECT_EQ(daylightSavingState(localTime(2027, 7, 15, 12)), facts.july);
}

TEST_P(LocalTime, StandardOffsetIsTheSmallerOffsetOfTheYear)
{
    const YearFacts &facts = yearFacts(GetParam());
    for (const int month : {1, 2, 7, 12})
        EXPECT_EQ(standardOffsetWest(localTime(2027, month, 15, 12)), facts.standardWest) << "month " << month;
}

INSTANTIATE_TEST_SUITE_P(Zones, LocalTime, ::testing::ValuesIn(kTestZones));

} // namespace
} // namespace skywell::test
