#include "shows/editoraccept.h"

#include "core/prompter.h"
#include "core/registry.h"
#include "shows/localtime.h"
#include "shows/scheduler.h"
#include "shows/show.h"

#include <bit>

namespace skywell
{

namespace
{

// The time of day of t on today's date (the editor's pickers show only the
// time of day).
std::int64_t timeOfDayToday(std::int64_t t, std::int64_t now)
{
    const std::tm today = localCalendar(now);
    std::tm at = localCalendar(t);
    at.tm_year = today.tm_year;
    at.tm_mon = today.tm_mon;
    at.tm_mday = today.tm_mday;
    at.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&at));
}

// The output kinds in the order of the editor's list ("LastQuality").
constexpr std::uint32_t kOutputKinds[8] = {OUT_MP3_CD_QUALITY, OUT_MP3_FM, OUT_MP3_AM, OUT_WAV,
                                           OUT_AUDIO_CD,       OUT_MP3_CD, OUT_CUSTOM, OUT_NONE};

const QString kDirectDownload = QStringLiteral("Direct Download");

} // namespace

void acceptShowUnchanged(Show &show, std::int64_t now, const Registry &registry, Prompter &prompter)
{
    const std::int64_t nextMinute = now + 60 - now % 60;
    std::int64_t start = timeOfDayToday(show.startTime != 0 ? show.startTime : nextMinute, now);
    std::int64_t end = timeOfDayToday(show.endTime != 0 ? show.endTime : nextMinute + 3600, now);
    const std::int64_t oncePick = show.onceDate != 0 ? show.onceDate : now;

    // Output kind: the Show's own when it has exactly one, else the last
    // one chosen.
    std::uint32_t flags = show.flags & ~SHOW_MANUAL;
    if (std::popcount(flags & OUT_MASK) != 1) {
        const std::int32_t last = registry.regReadInt(QStringLiteral("LastQuality"), kSkywellKey);
        flags = (flags & ~OUT_MASK) | kOutputKinds[last >= 0 && last < 8 ? last : 0];
    }

    QString source = fieldText(show.recordSource);
    if (source.isEmpty())
        source = registry.regReadString(QStringLiteral("LastRecordSource"), kSkywellKey);
    if (source.isEmpty())
        source = registry.regReadString(QStringLiteral("BestRecordSource"), kSkywellKey);
    setFieldText(show.recordSource, source);

    show.tunerKind = show.tunerKind == 'R' || show.tunerKind == 'W' ? show.tunerKind : 'U';

    start -= 7776000;
    end -= 7776000;
    if (end < start)
        end += (start - end + kDaySeconds - 1) / kDaySeconds * kDaySeconds;
    if (end > start + kDaySeconds)
        end -= (end - start - 1) / kDaySeconds * kDaySeconds;
    if (start < now) {
        const std::int64_t days = (now - start + kDaySeconds - 1) / kDaySeconds;
        start += days * kDaySeconds;
        end += days * kDaySeconds;
    }
    const std::int64_t onceDate = localMidnight(oncePick);
    if (!(flags & SHOW_UNSCHEDULED) && !(flags & SHOW_REPEATING)) {
        // Stored times keep today's UTC offset (the time-zone check moves
        // them when daylight saving begins or ends), so the once date is
        // compared in today's offset too. Compared as it stands, a date on
        // the other side of a daylight-saving change would put a 23:00
        // Show on the midnight that begins its day.
        const std::int64_t onceInTodaysOffset =
            onceDate + localCalendar(onceDate).tm_gmtoff - localCalendar(now).tm_gmtoff;
        while (start - kDaySeconds > onceInTodaysOffset) {
            start -= kDaySeconds;
            end -= kDaySeconds;
        }
        while (start < onceInTodaysOffset) {
            start += kDaySeconds;
            end += kDaySeconds;
        }
    }
    if (fieldText(show.recordSource) == kDirectDownload) {
        flags |= OPT_DIRECT_DOWNLOAD;
        end = start + 60;
    }
    show.flags = flags;
    show.startTime = toStoredTime(start);
    show.endTime = toStoredTime(end);
    show.onceDate = toStoredTime(onceDate);
    show.lastRecorded = 0;

    if ((flags & OUT_AUDIO_CD) && end - start > kAudioCdWarnSeconds)
        prompter.information(QStringLiteral("Warning: Please make sure your CD will hold more than 74 minutes of "
                                            "audio.\n\nYou may have recording errors otherwise."));
    if (end - start > kLongRecordingWarnSeconds)
        prompter.information(QStringLiteral(
            "Warning: You have asked to record for more than 6 hours. Please make sure this is correct."));
}

} // namespace skywell
