// Closing player windows by title: passes, the last-match rule, the class.
#include "tuning/playerwindows.h"
#include "support/tuningstubs.h"
#include "tuning/desktopwindows.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace skywell
{
namespace
{

using test::FakeWindows;

TEST(PlayerWindows, ClosesTheLastMatchOfEachPassUntilAPassFindsNone)
{
    FakeWindows windows;
    windows.add(1, QStringLiteral("Terminal"));
    windows.add(2, QStringLiteral("Jazz FM - Winamp"));
    windows.add(3, QStringLiteral("Editor"));
    windows.add(4, QStringLiteral("Skywell Tuner - Morning Show"));
    EXPECT_EQ(closePlayerWindows(windows), 2);
    // The one enumerated last goes in the first pass.
    EXPECT_EQ(windows.closed, (std::vector<std::uint64_t>{4, 2}));
    EXPECT_EQ(windows.ids(), (std::vector<std::uint64_t>{1, 3}));
    // Two closing passes, one that finds nothing, one for the class.
    EXPECT_EQ(windows.enumerations, 4);
}

TEST(PlayerWindows, ClosesAtMostSixPerCall)
{
    FakeWindows windows;
    for (std::uint64_t id = 1; id <= 7; ++id)
        windows.add(id, QStringLiteral("Station %1 (playing)").arg(id));
    EXPECT_EQ(closePlayerWindows(windows), 6);
    EXPECT_EQ(windows.closed, (std::vector<std::uint64_t>{7, 6, 5, 4, 3, 2}));
    EXPECT_EQ(windows.ids(), (std::vector<std::uint64_t>{1}));
}

TEST(PlayerWindows, TitleWordsAreCaseSensitiveSubstrings)
{
    EXPECT_TRUE(isPlayerTitle(QStringLiteral("News - RealPlayer")));
    EXPECT_TRUE(isPlayerTitle(QStringLiteral("Radio. - Microsoft Internet Explorer")));
    EXPECT_TRUE(isPlayerTitle(QStringLiteral("Skywell Tuner")));
    EXPECT_FALSE(isPlayerTitle(QStringLiteral("skywell tuner")));
    EXPECT_FALSE(isPlayerTitle(QStringLiteral("WINAMP")));
    EXPECT_FALSE(isPlayerTitle(QStringLiteral("Skywell")));
    EXPECT_EQ(playerTitleWords().size(), 11);
}

TEST(PlayerWindows, AWindowThatStaysIsAskedInEveryPassAndTheClassIsPosted)
{
    FakeWindows windows;
    windows.add(1, QStringLiteral("Windows Media Player"));
    windows.add(2, QStringLiteral("Surfer"), kPlayerWindowClass);
    windows.add(3, QStringLiteral("Other"), QStringLiteral("SomethingElse"));
    windows.stubborn = 1;
    EXPECT_EQ(closePlayerWindows(windows), 6);
    EXPECT_EQ(windows.closed, std::vector<std::uint64_t>(6, 1));
    EXPECT_EQ(windows.posted, (std::vector<std::uint64_t>{2}));
}

} // namespace
} // namespace skywell
