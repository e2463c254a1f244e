#include "control/showarguments.h"

#include "shows/localtime.h"
#include "shows/recordsources.h"
#include "shows/scheduler.h"
#include "shows/show.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include <array>
#include <ctime>

namespace skywell
{

namespace
{

struct OutputName {
    const char *name;
    std::uint32_t flag;
};
// The kinds a client may choose, and the names of the others a Show may
// hold (made in the window).
constexpr std::array<OutputName, 9> kOutputNames = {{{"mp3-fm", OUT_MP3_FM},
                                                     {"mp3-am", OUT_MP3_AM},
                                                     {"mp3-cd", OUT_MP3_CD_QUALITY},
                                                     {"wav", OUT_WAV},
                                                     {"as-broadcast", OUT_AS_BROADCAST},
                                                     {"none", OUT_NONE},
                                                     {"audio-cd", OUT_AUDIO_CD},
                                                     {"mp3-disc", OUT_MP3_CD},
                                                     {"custom", OUT_CUSTOM}}};
constexpr int kChoosableOutputs = 6;

const char *const kDayNames[7] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};

QString text(const QJsonValue &value)
{
    return value.isString() ? value.toString() : value.isDouble() ? QString::number(value.toDouble()) : QString();
}

// A flag is on unless it is given as false.
bool flag(const QJsonValue &value)
{
    if (value.isBool())
        return value.toBool();
    const QString word = text(value).toLower();
    return word != QLatin1String("false") && word != QLatin1String("no") && word != QLatin1String("0");
}

QString outputChoices()
{
    QStringList names;
    for (int i = 0; i < kChoosableOutputs; ++i)
        names << QString::fromLatin1(kOutputNames[std::size_t(i)].name);
    return names.join(QStringLiteral(", "));
}

// Today's date at the time of day given as HH:MM; nothing when it is not one.
std::optional<std::int64_t> timeOfDay(const QString &hhmm, std::int64_t now)
{
    static const QRegularExpression pattern(QStringLiteral("^([01]?[0-9]|2[0-3]):([0-5][0-9])$"));
    const QRegularExpressionMatch match = pattern.match(hhmm);
    if (!match.hasMatch())
        return std::nullopt;
    std::tm at = localCalendar(now);
    at.tm_hour = match.captured(1).toInt();
    at.tm_min = match.captured(2).toInt();
    at.tm_sec = 0;
    at.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&at));
}

std::optional<std::int64_t> date(const QString &yyyymmdd)
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{4})-([0-9]{2})-([0-9]{2})$"));
    const QRegularExpressionMatch match = pattern.match(yyyymmdd);
    std::int64_t midnight = 0;
    if (!match.hasMatch() ||
        !localDateToTime(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt(), &midnight))
        return std::nullopt;
    // The calendar turns 2026-02-31 into a day of March: not a date.
    const std::tm back = localCalendar(midnight);
    if (back.tm_mday != match.captured(3).toInt() || back.tm_mon + 1 != match.captured(2).toInt())
        return std::nullopt;
    return midnight;
}

std::optional<QString> minutesProblem(const QString &value, std::int64_t &minutes)
{
    bool ok = false;
    minutes = value.trimmed().toLongLong(&ok);
    if (!ok || minutes < 1 || minutes > kMaxShowMinutes)
        return kLengthRangeText.arg(kMaxShowMinutes);
    return std::nullopt;
}

} // namespace

int outputIndexOfName(const QString &name)
{
    for (int i = 0; i < kChoosableOutputs; ++i) {
        if (name == QLatin1String(kOutputNames[std::size_t(i)].name)) {
            for (std::size_t k = 0; k < kOutputKindFlags.size(); ++k) {
                if (kOutputKindFlags[k] == kOutputNames[std::size_t(i)].flag)
                    return int(k);
            }
        }
    }
    return -1;
}

QString outputNameOfFlags(std::uint32_t flags)
{
    for (const OutputName &output : kOutputNames) {
        if (flags & output.flag)
            return QString::fromLatin1(output.name);
    }
    return QString();
}

QString sourceNameOf(const QString &recordSource)
{
    if (recordSource == kInternetStream)
        return kStreamSourceName;
    if (recordSource == kDirectDownload)
        return kDownloadSourceName;
    return kSoundCardSourceName;
}

std::optional<QString> applyShowArguments(const QJsonObject &arguments, ShowEditorValues &values, std::int64_t now,
                                          const QString &soundCardSource, const QString &mp3Folder)
{
    // The name is checked as the editor's OK checks it, given or not.
    if (arguments.contains(QLatin1String("name")))
        values.name = text(arguments.value(QLatin1String("name")));
    if (values.name.size() > kMaxShowNameChars)
        return kNameTooLongText.arg(kMaxShowNameChars);
    switch (checkShowName(values.name, mp3Folder)) {
    case ShowNameCheck::Ok:
        break;
    case ShowNameCheck::Empty:
        return kEmptyShowNameText;
    case ShowNameCheck::CannotCreate:
        return kTestFileWarningText;
    }
    if (arguments.contains(QLatin1String("url"))) {
        values.url = text(arguments.value(QLatin1String("url"))).trimmed();
        const QUrl url(values.url, QUrl::StrictMode);
        const QString scheme = url.scheme().toLower();
        if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
            url.host().isEmpty() || values.url.toUtf8().size() > 511)
            return kAddressNotWebText.arg(values.url);
    }
    if (arguments.contains(QLatin1String("source"))) {
        const QString source = text(arguments.value(QLatin1String("source")));
        if (source == kStreamSourceName)
            values.recordSource = kInternetStream;
        else if (source == kDownloadSourceName)
            values.recordSource = kDirectDownload;
        else if (source == kSoundCardSourceName)
            values.recordSource = soundCardSource;
        else
            return kUnknownWordText.arg(QStringLiteral("source"), source,
                                        QStringLiteral("stream, soundcard, download"));
    }
    if (arguments.contains(QLatin1String("output"))) {
        const QString output = text(arguments.value(QLatin1String("output")));
        const int index = outputIndexOfName(output);
        if (index < 0)
            return kUnknownWordText.arg(QStringLiteral("output"), output, outputChoices());
        values.outputIndex = index;
    }
    if (values.outputIndex == kAsBroadcastOutputIndex && values.recordSource != kInternetStream)
        return kAsBroadcastNeedsStreamText;

    const bool once = arguments.contains(QLatin1String("once"));
    const bool weekly = arguments.contains(QLatin1String("weekly"));
    const bool unscheduled =
        arguments.contains(QLatin1String("unscheduled")) && flag(arguments.value(QLatin1String("unscheduled")));
    if (int(once) + int(weekly) + int(unscheduled) > 1)
        return kOneScheduleText;
    if (once) {
        const QString day = text(arguments.value(QLatin1String("once")));
        const std::optional<std::int64_t> midnight = date(day);
        if (!midnight)
            return kBadDateText.arg(day);
        values.scheduleKind = 0;
        values.onceDate = *midnight;
    } else if (weekly) {
        const QJsonValue given = arguments.value(QLatin1String("weekly"));
        QStringList days;
        if (given.isArray()) {
            for (const QJsonValue &day : given.toArray())
                days << text(day);
        } else {
            days = text(given).split(QLatin1Char(','), Qt::SkipEmptyParts);
        }
        std::uint32_t bits = 0;
        for (const QString &day : days) {
            int found = -1;
            for (int i = 0; i < 7; ++i) {
                if (day.trimmed().toLower() == QLatin1String(kDayNames[i]))
                    found = i;
            }
            if (found < 0)
                return kUnknownWordText.arg(QStringLiteral("day"), day,
                                            QStringLiteral("mon, tue, wed, thu, fri, sat, sun"));
            bits |= SHOW_MON << found;
        }
        if (bits == 0)
            return kNoWeekdayText;
        values.scheduleKind = 1;
        values.days = bits;
    } else if (unscheduled) {
        values.scheduleKind = 2;
    }

    // The length the Show had, kept when only its time moves.
    std::int64_t seconds = (values.end - values.start) % kDaySeconds;
    if (seconds <= 0)
        seconds += kDaySeconds;
    if (arguments.contains(QLatin1String("length"))) {
        std::int64_t minutes = 0;
        if (const auto problem = minutesProblem(text(arguments.value(QLatin1String("length"))), minutes))
            return problem;
        seconds = minutes * 60;
    }
    if (arguments.contains(QLatin1String("at"))) {
        const QString at = text(arguments.value(QLatin1String("at")));
        const std::optional<std::int64_t> start = timeOfDay(at, now);
        if (!start)
            return kBadTimeText.arg(at);
        values.start = *start;
    }
    values.end = values.start + seconds;

    if (arguments.contains(QLatin1String("split-every"))) {
        const QString minutes = text(arguments.value(QLatin1String("split-every")));
        if (const auto problem = numberEditProblem(minutes, kMaxSplitMinutes))
            return problem;
        values.splitMinutes = minutes.trimmed().toLongLong();
        values.splitEveryOn = values.splitMinutes > 0;
    }
    if (arguments.contains(QLatin1String("split-titles")))
        values.titleSplit = flag(arguments.value(QLatin1String("split-titles")));
    if (arguments.contains(QLatin1String("mute")))
        values.mute = flag(arguments.value(QLatin1String("mute")));
    return std::nullopt;
}

} // namespace skywell
