#include "shows/showsummary.h"

#include "shows/scheduler.h"
#include "shows/show.h"
#include "shows/tunewith.h"

namespace skywell
{

namespace
{

QString outputKindText(std::uint32_t flags)
{
    struct Kind {
        std::uint32_t bit;
        const char *text;
    };
    static constexpr Kind kKinds[] = {
        {OUT_MP3_AM, "MP3 AM Quality\r\n"},
        {OUT_MP3_FM, "MP3 FM Quality\r\n"},
        {OUT_MP3_CD_QUALITY, "MP3 CD Quality\r\n"},
        {OUT_WAV, "WAV File\r\n"},
        {OUT_AUDIO_CD, "Audio CD\r\n"},
        {OUT_MP3_CD, "MP3 CD\r\n"},
        {OUT_CUSTOM, "Custom\r\n"},
        {OUT_NONE, "None\r\n"},
        {OUT_AS_BROADCAST, "As broadcast\r\n"},
    };
    for (const Kind &kind : kKinds) {
        if (flags & kind.bit)
            return QString::fromLatin1(kind.text);
    }
    return QStringLiteral("Other\r\n");
}

QString daysText(std::uint32_t flags)
{
    static constexpr const char *kNames[7] = {"Mon ", "Tue ", "Wed ", "Thu ", "Fri ", "Sat ", "Sun "};
    QString text;
    for (int i = 0; i < 7; ++i) {
        if (flags & (1u << i))
            text += QString::fromLatin1(kNames[i]);
    }
    return text;
}

} // namespace

QString showSummary(const QString &address, std::int64_t onceDate, std::int64_t start, std::int64_t end,
                    const QString &recordSource, std::uint32_t flags, bool deadAirOn, std::int32_t deadAirMs,
                    std::int32_t newTrackMs, std::int32_t splitSeconds, bool retuneDisabled, bool muteOn,
                    char tunerKind, const Clock &clock)
{
    QString days;
    QString next;
    if (start != 0) {
        days = daysText(flags);
        next = nextRecordingText(start, end, (flags & SHOW_REPEATING) != 0, clock);
    } else {
        next = onceDate != 0 ? QStringLiteral("One Time Recording") : QStringLiteral("Unscheduled");
    }
    QString text = QStringLiteral("\r\nSummary:\r\n  URL = ") + address + QStringLiteral("\r\n  Days= ") + days +
                   QStringLiteral("\r\n  Next = ") + next + QStringLiteral("\r\n  Source = ") + recordSource +
                   QStringLiteral("\r\n  Output = ") + outputKindText(flags);
    text += deadAirOn ? QStringLiteral("  Eliminate Dead Air: %1 milliseconds\r\n").arg(deadAirMs)
                      : QStringLiteral("  No Eliminate Dead Air\r\n");
    text += newTrackMs != 0 ? QStringLiteral("  Create new track after %1 milliseconds of silence\r\n").arg(newTrackMs)
                            : QStringLiteral("  No Create New Track after silence option\r\n");
    text += (flags & OPT_TIME_SPLIT) ? QStringLiteral("  Split tracks every %1 seconds\r\n").arg(splitSeconds)
                                     : QStringLiteral("  No Split Tracks after time\r\n");
    text += retuneDisabled ? QStringLiteral("  Automatic retuning disabled\r\n")
                           : QStringLiteral("  Automatic retuning enabled\r\n");
    text += muteOn ? QStringLiteral("  Mute while recording enabled\r\n")
                   : QStringLiteral("  Mute while recording disabled\r\n");
    text += QStringLiteral("  Tune With: ") + tuneWithText(tuneWithOf(tunerKind)) + QStringLiteral("\r\n");
    return text;
}

QString showSummary(const Show &show, const Clock &clock)
{
    const std::int32_t newTrackMs = (show.flags & OPT_SILENCE_SPLIT) ? show.silenceMs : 0;
    // 64 bits: a garbage minute count must not overflow.
    const std::int64_t splitSeconds = std::int64_t{show.splitMinutes} * 60;
    return showSummary(fieldText(show.url), show.onceDate, show.startTime, show.endTime, recordSourceName(show),
                       show.flags, (show.flags & OPT_DEAD_AIR) != 0, show.deadAirMs, newTrackMs,
                       static_cast<std::int32_t>(splitSeconds), (show.flags & OPT_NO_RETUNE) != 0,
                       (show.flags & OPT_MUTE) != 0, show.tunerKind, clock);
}

} // namespace skywell
