#include "core/timetext.h"
#include "support/tempenv.h"

#include <gtest/gtest.h>

using namespace skywell;
using skywell::test::ScopedEnv;

namespace
{
// Mon Dec 6 2004 21:05:07 UTC.
constexpr std::int64_t kAMonday = 1102367107;
} // namespace

TEST(TimeText, HashFlagDropsLeadingZeros)
{
    ScopedEnv tz("TZ", "UTC");
    EXPECT_EQ(formatTimeText(QStringLiteral("%a %b %#d %#I:%M:%S %p"), kAMonday),
              QStringLiteral("Mon Dec 6 9:05:07 PM"));
    EXPECT_EQ(formatTimeText(QStringLiteral("%d %I %m"), kAMonday), QStringLiteral("06 09 12"));
    EXPECT_EQ(formatTimeText(QStringLiteral("%#d/%#m/%#H"), kAMonday), QStringLiteral("6/12/21"));
}

TEST(TimeText, HashFlagOnTextConversionsKeepsTheirCase)
{
    // glibc's own "#" flag would swap the case of names; ours does not.
    ScopedEnv tz("TZ", "UTC");
    EXPECT_EQ(formatTimeText(QStringLiteral("%#a %#b %#p"), kAMonday), QStringLiteral("Mon Dec PM"));
}

TEST(TimeText, PercentPercentIsALiteralPercent)
{
    ScopedEnv tz("TZ", "UTC");
    EXPECT_EQ(formatTimeText(QStringLiteral("%%s %b %#d"), kAMonday), QStringLiteral("%s Dec 6"));
    EXPECT_EQ(formatTimeText(QStringLiteral("100%% %"), kAMonday), QStringLiteral("100% %"));
}

TEST(TimeText, UsesLocalTime)
{
    ScopedEnv tz("TZ", "America/New_York");
    EXPECT_EQ(formatTimeText(QStringLiteral("%#I:%M %p"), kAMonday), QStringLiteral("4:05 PM"));
}

TEST(TimeText, KeepsUtf8Text)
{
    ScopedEnv tz("TZ", "UTC");
    EXPECT_EQ(formatTimeText(QStringLiteral("Sendung für %#d."), kAMonday), QStringLiteral("Sendung für 6."));
}
