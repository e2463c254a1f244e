#include "core/timetext.h"
#include "support/tempenv.h"

#include <gtest/gtest.h>

using namespace skywell;
using skywell::test::ScopedEnv;

namespace
{
// Mon Dec 6 2004 21:05:07 UTC.
constexpr std::int64_t kMonday = 1102367107;
} // namespace

TEST(TimeText, HashFlagDropsLeadingZeros)
{
    ScopedEnv tz("TZ", "UTC");
    EXPECT_EQ(formatTimeText(QStringLiteral("%a %b %#d %#I:%M:%S %p"), kMonday),
              QStringLiteral("Mon Dec 6 9:05:07 PM"));
    EXPECT_EQ(formatTimeText(QStringLiteral("%d %I %m"), kMonday), QStringLiteral("06 09 12"));
    EXPECT_EQ(formatTimeText(QStringLiteral("%#d/%#m/%#H"), kMonday), QStringLiteral("6/12/21"));
}

TEST(TimeText, HashFlagOnTextConversionsKeepsTheirCase)
{
    // glibc's own "#" flag would swap the case of names; ours does not.
    ScopedEnv tz("TZ", "UTC");
    EXPECT_EQ(formatTimeText(QStringLiteral("%#a %#b %#p"), kMonday), QStringLiteral("Mon Dec PM"));
}

TEST(TimeText, PercentPercentIsALiteralPercent)
{
    ScopedEnv tz("TZ", "UTC");
    EXPECT_EQ(formatTimeText(QStringLiteral("%%s %b %#d"), kMonday), QStringLiteral("%s Dec 6"));
    EXPECT_EQ(formatTimeText(QStringLiteral("100%% %"), kMonday), QStringLiteral("100% %"));
}

TEST(TimeText, UsesLocalTime)
{
    ScopedEnv tz("TZ", "America/New_York");
    EXPECT_EQ(formatTimeText(QStringLiteral("%#I:%M %p"), kMonday), QStringLiteral("4:05 PM"));
}

TEST(TimeText, KeepsUtf8Text)
{
    ScopedEnv tz("TZ", "UTC");
    EXPECT_EQ(formatTimeText(QStringLiteral("Sendung für %#d."), kMonday), QStringLiteral("Sendung für 6."));
}
