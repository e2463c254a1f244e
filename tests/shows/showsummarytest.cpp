#include "shows/showsummary.h"

#include "shows/show.h"
#include "showtesthelpers.h"

namespace skywell::test
{
namespace
{

class ShowSummary : public ZoneTest
{
};

TEST_P(ShowSummary, NewShowDefaults)
{
    Show show;
    setField(show.url, "http://");
    EXPECT_EQ(showSummary(show, clock),
              QStringLiteral("\r\nSummary:\r\n  URL = http://\r\n  Days= \r\n  Next = Unscheduled\r\n"
                             "  Source = \r\n  Output = MP3 FM Quality\r\n"
                             "  No Eliminate Dead Air\r\n"
                             "  No Create New Track after silence option\r\n"
                             "  No Split Tracks after time\r\n"
                             "  Automatic retuning enabled\r\n"
                             "  Mute while recording disabled\r\n"
                             "  Tune With: Skywell Tuner\r\n"));
}

TEST_P(ShowSummary, ScheduledShowWithEveryOption)
{
    clock.set(localTime(2021, 12, 6, 12));
    Show show = makeShow("S",
                         SHOW_REPEATING | SHOW_MON | SHOW_WED | SHOW_SUN | OUT_WAV | OPT_DEAD_AIR | OPT_SILENCE_SPLIT |
                             OPT_TIME_SPLIT | OPT_NO_RETUNE | OPT_MUTE,
                         localTime(2021, 12, 6, 21, 5), localTime(2021, 12, 6, 22));
    setField(show.url, "http://127.0.0.1/s");
    setField(show.recordSource, "Monitor");
    show.deadAirMs = 4000;
    show.silenceMs = 2500;
    show.splitMinutes = 30;
    show.tunerKind = 'R';
    EXPECT_EQ(showSummary(show, clock),
              QStringLiteral("\r\nSummary:\r\n  URL = http://127.0.0.1/s\r\n  Days= Mon Wed Sun \r\n"
                             "  Next = Mon Dec 6 9:05 PM - 10:00 PM\r\n  Source = Monitor\r\n  Output = WAV File\r\n"
                             "  Eliminate Dead Air: 4000 milliseconds\r\n"
                             "  Create new track after 2500 milliseconds of silence\r\n"
                             "  Split tracks every 1800 seconds\r\n"
                             "  Automatic retuning disabled\r\n"
                             "  Mute while recording enabled\r\n"
                             "  Tune With: a command\r\n"));
}

TEST_P(ShowSummary, DetailsOfEachLine)
{
    Show show;
    show.silenceMs = 2000; // silence splitting is off
    show.onceDate = 86400 * 365;
    show.tunerKind = 'W';
    show.flags = OUT_MP3_CD_QUALITY | OUT_MP3_AM; // AM is tested first
    const QString text = showSummary(show, clock);
    EXPECT_TRUE(text.contains(QStringLiteral("  No Create New Track after silence option\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("  Next = One Time Recording\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("  Output = MP3 AM Quality\r\n")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("  Tune With: the desktop's media player\r\n")));

    const struct {
        std::uint32_t flags;
        const char *text;
    } kinds[] = {{OUT_MP3_CD_QUALITY, "MP3 CD Quality"},
                 {OUT_AUDIO_CD, "Audio CD"},
                 {OUT_MP3_CD, "MP3 CD"},
                 {OUT_CUSTOM, "Custom"},
                 {OUT_NONE, "None"},
                 {0, "Other"}};
    for (const auto &kind : kinds) {
        show.flags = kind.flags;
        EXPECT_TRUE(
            showSummary(show, clock).contains(QStringLiteral("  Output = %1\r\n").arg(QLatin1String(kind.text))))
            << kind.text;
    }
}

INSTANTIATE_TEST_SUITE_P(Zones, ShowSummary, ::testing::ValuesIn(kTestZones));

} // namespace
} // namespace skywell::test
