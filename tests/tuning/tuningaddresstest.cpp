// Which addresses run as programs, how their command lines split, and which
// addresses the tuner and the browser are refused.
#include "tuning/tuningaddress.h"
#include "shows/show.h"

#include <gtest/gtest.h>

namespace skywell
{
namespace
{

TEST(TuningAddress, OnlyTypedAddressesWithoutSchemeRunAsPrograms)
{
    // The lower-case extension anywhere makes a command line; capitals do not.
    EXPECT_TRUE(isCommandLineAddress(QStringLiteral("player.exe http://radio.example/live"), kAddressTyped));
    EXPECT_TRUE(isCommandLineAddress(QStringLiteral("/opt/radio/play.exe"), kAddressTyped));
    EXPECT_FALSE(isCommandLineAddress(QStringLiteral("PLAYER.EXE http://radio.example/live"), kAddressTyped));
    // Web addresses that merely contain ".exe" are never run.
    EXPECT_FALSE(isCommandLineAddress(QStringLiteral("http://www.exeterfm.example/live"), kAddressTyped));
    EXPECT_FALSE(isCommandLineAddress(QStringLiteral("https://radio.example/player.exe?id=3"), kAddressTyped));
    EXPECT_FALSE(isCommandLineAddress(QStringLiteral("  mms://radio.example/a.exe"), kAddressTyped));
    // The Linux way to name a program.
    EXPECT_TRUE(isCommandLineAddress(QStringLiteral("run: mpv http://radio.example/live"), kAddressTyped));
    EXPECT_FALSE(isCommandLineAddress(QStringLiteral("http://radio.example/run:x"), kAddressTyped));
    // Addresses from the catalogue and the station directory never run.
    EXPECT_FALSE(isCommandLineAddress(QStringLiteral("player.exe -x"), kAddressFromCatalogue));
    EXPECT_FALSE(isCommandLineAddress(QStringLiteral("run: rm -rf ~"), kAddressFromDirectory));
}

TEST(TuningAddress, CommandLinesSplitWithShellQuotingAndNothingExpanded)
{
    const ProgramCommand command =
        splitCommandLine(QStringLiteral(R"(run:  /usr/bin/my\ player "a b" 'c;d' $HOME "x\"y" `id` ; x|y *)"));
    EXPECT_TRUE(command.error.isEmpty());
    EXPECT_EQ(command.program, QStringLiteral("/usr/bin/my player"));
    EXPECT_EQ(command.arguments, (QStringList{QStringLiteral("a b"), QStringLiteral("c;d"), QStringLiteral("$HOME"),
                                              QStringLiteral("x\"y"), QStringLiteral("`id`"), QStringLiteral(";"),
                                              QStringLiteral("x|y"), QStringLiteral("*")}));

    EXPECT_FALSE(splitCommandLine(QStringLiteral("run: player 'unclosed")).error.isEmpty());
    EXPECT_FALSE(splitCommandLine(QStringLiteral("run:   ")).error.isEmpty());
    EXPECT_EQ(splitCommandLine(QStringLiteral("player.exe -v")).program, QStringLiteral("player.exe"));
}

TEST(TuningAddress, RefusesAddressesTheTunerCannotPlay)
{
    EXPECT_EQ(addressProblem(QStringLiteral("http://127.0.0.1:8000/live.mp3")), QString());
    EXPECT_EQ(addressProblem(QStringLiteral("www.radio.example/live")), QString());
    EXPECT_EQ(addressProblem(QStringLiteral("localhost:8000/live")), QString());
    EXPECT_EQ(addressProblem(QStringLiteral("file:///srv/radio/list.pls")), QString());
    EXPECT_EQ(playableAddress(QStringLiteral("www.radio.example/live")),
              QStringLiteral("http://www.radio.example/live"));
    EXPECT_EQ(playableAddress(QStringLiteral("localhost:8000/live")), QStringLiteral("http://localhost:8000/live"));
    EXPECT_EQ(playableAddress(QStringLiteral("https://a.example/")), QStringLiteral("https://a.example/"));

    EXPECT_NE(addressProblem(QString()), QString());
    EXPECT_NE(addressProblem(QStringLiteral("my favourite station")), QString());
    EXPECT_NE(addressProblem(QStringLiteral("radio")), QString());
    EXPECT_NE(addressProblem(QStringLiteral("http://")), QString());
    EXPECT_NE(addressProblem(QStringLiteral("http://radio.example/\nlive")), QString());
}

TEST(TuningAddress, LongAddressesAreRefusedAtTheFieldSizeInBytes)
{
    const QString prefix = QStringLiteral("http://radio.example/");
    EXPECT_EQ(addressProblem(prefix + QString(kMaxTuningAddressBytes - prefix.size(), u'a')), QString());
    EXPECT_NE(addressProblem(prefix + QString(kMaxTuningAddressBytes - prefix.size() + 1, u'a')), QString());
    // Two bytes per character: 246 of them pass the field, 246 + 1 do not.
    const int room = (kMaxTuningAddressBytes - static_cast<int>(prefix.size())) / 2;
    EXPECT_EQ(addressProblem(prefix + QString(room, QChar(0xe9))), QString());
    EXPECT_NE(addressProblem(prefix + QString(room + 1, QChar(0xe9))), QString());
}

} // namespace
} // namespace skywell
