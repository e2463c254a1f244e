#include "shows/showeditorvalues.h"

#include "core/prompter.h"
#include "core/settingsstore.h"
#include "shows/localtime.h"
#include "shows/outputnaming.h"
#include "shows/recordsources.h"
#include "shows/scheduler.h"
#include "shows/show.h"
#include "shows/showsummary.h"
#include "shows/tunewith.h"

#include <QFile>
#include <algorithm>

#include <bit>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace skywell
{

namespace
{

const QString kLastQuality = QStringLiteral("LastQuality");
const QString kLastRecordSource = QStringLiteral("LastRecordSource");
const QString kBestRecordSource = QStringLiteral("BestRecordSource");

// The time of day of t on today's date: the editor's pickers show only the
// time of day.
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

int outputIndexOf(std::uint32_t flags, const SettingsStore &settingsStore)
{
    const std::uint32_t output = flags & OUT_MASK;
    if (std::popcount(output) == 1) {
        for (int i = 0; i < int(kOutputKindFlags.size()); ++i) {
            if (kOutputKindFlags[std::size_t(i)] == output)
                return i;
        }
    }
    const std::int32_t last = settingsStore.readInt(kLastQuality, SettingsGroup::Program);
    return last >= 0 && last < int(kOutputKindFlags.size()) ? last : 0;
}

} // namespace

std::int64_t nextFullHour(std::int64_t now)
{
    std::tm at = localCalendar(now);
    at.tm_hour += 1;
    at.tm_min = 0;
    at.tm_sec = 0;
    at.tm_isdst = -1;
    const std::int64_t hour = static_cast<std::int64_t>(std::mktime(&at));
    // Where the clock is put back, the wall-clock hour may come out behind.
    return hour > now ? hour : now + 3600 - now % 3600;
}

ShowEditorValues openShowEditor(const Show &show, std::int64_t now, const SettingsStore &settingsStore,
                                const Clock &clock)
{
    ShowEditorValues v;
    v.name = fieldText(show.name);
    v.status = fieldText(show.lastStatus);

    // A Show without times is proposed for the coming full hour, so that
    // OK never makes it due at once.
    const std::int64_t firstStart = nextFullHour(now);
    v.start = timeOfDayToday(show.startTime != 0 ? show.startTime : firstStart, now);
    v.end = timeOfDayToday(show.endTime != 0 ? show.endTime : firstStart + 3600, now);

    v.days = show.flags & SHOW_DAYS;
    v.scheduleKind = (show.flags & SHOW_UNSCHEDULED) ? 2 : (show.flags & SHOW_REPEATING) ? 1 : 0;
    v.onceDate = show.onceDate != 0 ? show.onceDate : now;

    v.deadAirOn = show.flags & OPT_DEAD_AIR;
    v.deadAirSeconds = show.deadAirMs / 1000;
    v.newTrackOn = show.flags & OPT_SILENCE_SPLIT;
    v.newTrackMs = show.silenceMs;
    v.splitEveryOn = show.flags & OPT_TIME_SPLIT;
    v.splitMinutes = show.splitMinutes;
    for (std::size_t i = 0; i < v.splitAt.size(); ++i)
        v.splitAt[i] = show.splitAtMinute[i];

    v.recordSource = recordSourceName(show);
    if (v.recordSource.isEmpty())
        v.recordSource = settingsStore.readString(kLastRecordSource, SettingsGroup::Program);
    if (v.recordSource.isEmpty())
        v.recordSource = settingsStore.readString(kBestRecordSource, SettingsGroup::Program);
    v.noRetune = show.flags & OPT_NO_RETUNE;
    v.mute = show.flags & OPT_MUTE;
    v.titleSplit = show.flags & OPT_TITLE_SPLIT;

    v.url = fieldText(show.url);
    v.player = int(tuneWithOf(show.tunerKind));

    v.outputIndex = outputIndexOf(show.flags, settingsStore);
    v.addToLibrary = show.flags & OPT_ITUNES;
    v.compressSpeech = show.flags & OPT_COMPRESS_SPEECH;

    v.summary = editorSummary(v, show, now, clock);
    return v;
}

std::optional<Show> showFromEditorValues(const ShowEditorValues &v, const Show &show, std::int64_t now)
{
    Show out = show;
    if (!setRecordSourceName(out, v.recordSource))
        return std::nullopt;

    std::uint32_t flags = 0;
    if (v.noRetune)
        flags |= OPT_NO_RETUNE;
    if (v.mute)
        flags |= OPT_MUTE;
    if (v.deadAirOn)
        flags |= OPT_DEAD_AIR;
    if (v.newTrackOn)
        flags |= OPT_SILENCE_SPLIT;
    if (v.splitEveryOn)
        flags |= OPT_TIME_SPLIT;
    // Only a stream Skywell decodes itself has titles to follow.
    if (v.titleSplit && v.recordSource == kInternetStream)
        flags |= OPT_TITLE_SPLIT;

    // The number edits refuse what does not fit; clamp anyway so a caller
    // that skipped them cannot store a wrapped value.
    out.deadAirMs = std::int32_t(std::clamp<std::int64_t>(v.deadAirSeconds, 0, kMaxDeadAirSeconds) * 1000);
    out.silenceMs = std::int32_t(std::clamp<std::int64_t>(v.newTrackMs, 0, kMaxNewTrackMs));
    out.splitMinutes = std::int32_t(std::clamp<std::int64_t>(v.splitMinutes, 0, kMaxSplitMinutes));
    for (std::size_t i = 0; i < v.splitAt.size(); ++i) {
        const int minute = v.splitAt[i];
        out.splitAtMinute[i] = minute >= 0 && minute < 60 ? std::uint8_t(minute) : kUnusedSplitMinute;
    }

    setFieldText(out.name, v.name);

    int index = v.outputIndex >= 0 && v.outputIndex < int(kOutputKindFlags.size()) ? v.outputIndex : 0;
    // Only a stream Skywell reads itself can be kept as broadcast.
    if (index == kAsBroadcastOutputIndex && v.recordSource != kInternetStream)
        index = kMp3FmOutputIndex;
    flags |= kOutputKindFlags[std::size_t(index)];
    if (v.addToLibrary)
        flags |= OPT_ITUNES;
    if (v.compressSpeech)
        flags |= OPT_COMPRESS_SPEECH;

    setFieldText(out.url, v.url);
    out.tunerKind = tunerKindOf(TuneWith(std::clamp(v.player, 0, 2)));

    std::int64_t start = v.start - 7776000;
    std::int64_t end = v.end - 7776000;
    if (end < start)
        end += (start - end + kDaySeconds - 1) / kDaySeconds * kDaySeconds;
    if (end > start + kDaySeconds)
        end -= (end - start - 1) / kDaySeconds * kDaySeconds;
    if (start < now) {
        const std::int64_t days = (now - start + kDaySeconds - 1) / kDaySeconds;
        start += days * kDaySeconds;
        end += days * kDaySeconds;
    }
    out.lastRecorded = 0;
    const std::int64_t onceDate = localMidnight(v.onceDate);

    if (v.scheduleKind == 2) {
        flags |= SHOW_UNSCHEDULED;
    } else if (v.scheduleKind == 1) {
        flags |= SHOW_REPEATING | (v.days & SHOW_DAYS);
    } else {
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
    if (v.recordSource == kDirectDownload) {
        flags |= OPT_DIRECT_DOWNLOAD;
        end = start + 60;
    }
    out.flags = flags;
    out.startTime = toStoredTime(start);
    out.endTime = toStoredTime(end);
    out.onceDate = toStoredTime(onceDate);
    return out;
}

bool acceptShowEditor(const ShowEditorValues &v, Show &show, std::int64_t now, SettingsStore &settingsStore,
                      Prompter &prompter)
{
    // The one refusal comes first, so a refused Show is left as it was.
    const std::optional<Show> out = showFromEditorValues(v, show, now);
    if (!out) {
        prompter.error(kSourceTooLongText.arg(v.recordSource).arg(kMaxRecordSourceBytes));
        return false;
    }
    settingsStore.writeString(kLastRecordSource, v.recordSource, SettingsGroup::Program);
    settingsStore.writeInt(kLastQuality, outputIndexOf(out->flags, settingsStore), SettingsGroup::Program);
    show = *out;

    const std::int64_t start = show.startTime;
    const std::int64_t end = show.endTime;
    if ((show.flags & OUT_AUDIO_CD) && end - start > 4440)
        prompter.information(QStringLiteral("Warning: Please make sure your CD will hold more than 74 minutes of "
                                            "audio.\n\nYou may have recording errors otherwise."));
    if (end - start > 21600)
        prompter.information(QStringLiteral(
            "Warning: You have asked to record for more than 6 hours. Please make sure this is correct."));
    return true;
}

QString editorSummary(const ShowEditorValues &v, const Show &show, std::int64_t now, const Clock &clock)
{
    ShowEditorValues kept = v;
    if (Show probe = show; !setRecordSourceName(probe, kept.recordSource))
        kept.recordSource = recordSourceName(show);
    Show out = showFromEditorValues(kept, show, now).value_or(show);
    // A repeating Show is listed on its first ticked weekday, as adding or
    // saving it reschedules it.
    if (out.isRepeating()) {
        for (int step = 0; step < 7 && !(out.flags & dayBitOfWeekday(localCalendar(out.startTime).tm_wday)); ++step) {
            out.startTime = toStoredTime(std::int64_t{out.startTime} + kDaySeconds);
            out.endTime = toStoredTime(std::int64_t{out.endTime} + kDaySeconds);
        }
    }
    if (out.isUnscheduled()) {
        out.startTime = 0;
        out.onceDate = 0;
    }
    return showSummary(out, clock);
}

std::uint8_t splitMinuteFromText(const QString &text)
{
    bool ok = false;
    const qlonglong minute = text.trimmed().toLongLong(&ok);
    return ok && minute >= 0 && minute < 60 ? std::uint8_t(minute) : kUnusedSplitMinute;
}

std::optional<QString> numberEditProblem(const QString &text, std::int64_t max)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok)
        return QStringLiteral("Please enter an integer.");
    if (value < 0 || value > max)
        return QStringLiteral("Please enter an integer between %1 and %2.").arg(0).arg(max);
    return std::nullopt;
}

ShowNameCheck checkShowName(const QString &name, const QString &mp3Folder)
{
    if (name.isEmpty())
        return ShowNameCheck::Empty;
    // The name as the file naming will put it into a file name: a "/" can
    // never lead the test file out of the recordings folder.
    const QString path = mp3Folder + replaceForbiddenCharacters(name) + QStringLiteral(" Jan 00.mp3");
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        // A file of that name exists: the name is usable, and the file is
        // someone else's, so it is left alone.
        return errno == EEXIST ? ShowNameCheck::Ok : ShowNameCheck::CannotCreate;
    }
    ::close(fd);
    ::unlink(native.constData());
    return ShowNameCheck::Ok;
}

} // namespace skywell
