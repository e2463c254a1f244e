#include "control/showjson.h"

#include "control/showarguments.h"
#include "shows/localtime.h"
#include "shows/showlistcommands.h"

#include <QJsonArray>

namespace skywell
{

QString isoLocalTime(std::int64_t t)
{
    return QDateTime::fromSecsSinceEpoch(t).toOffsetFromUtc(localCalendar(t).tm_gmtoff).toString(Qt::ISODate);
}

QJsonObject showJson(const Show &show, bool recording)
{
    QJsonObject json;
    json.insert(QLatin1String("name"), fieldText(show.name));
    json.insert(QLatin1String("url"), fieldText(show.url));
    json.insert(QLatin1String("source"), sourceNameOf(recordSourceName(show)));
    json.insert(QLatin1String("output"), outputNameOfFlags(show.flags));
    if (show.isUnscheduled()) {
        json.insert(QLatin1String("schedule"), QStringLiteral("unscheduled"));
    } else if (show.isRepeating()) {
        json.insert(QLatin1String("schedule"), QStringLiteral("weekly"));
        static const char *const days[7] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
        QJsonArray weekly;
        for (int i = 0; i < 7; ++i) {
            if (show.flags & (SHOW_MON << i))
                weekly.append(QString::fromLatin1(days[i]));
        }
        json.insert(QLatin1String("weekly"), weekly);
    } else {
        json.insert(QLatin1String("schedule"), QStringLiteral("once"));
        json.insert(QLatin1String("once"), QDateTime::fromSecsSinceEpoch(show.onceDate).date().toString(Qt::ISODate));
    }
    const QDateTime start = QDateTime::fromSecsSinceEpoch(show.startTime);
    json.insert(QLatin1String("at"), start.time().toString(QStringLiteral("HH:mm")));
    std::int64_t seconds = std::int64_t{show.endTime} - show.startTime;
    json.insert(QLatin1String("length"), qint64((seconds + 59) / 60));
    json.insert(QLatin1String("split-titles"), bool(show.flags & OPT_TITLE_SPLIT));
    json.insert(QLatin1String("split-every"), (show.flags & OPT_TIME_SPLIT) ? qint64(show.splitMinutes) : 0);
    json.insert(QLatin1String("mute"), bool(show.flags & OPT_MUTE));
    if (!showsAsUnscheduled(show) && !(show.isOnce() && show.lastRecorded == show.startTime))
        json.insert(QLatin1String("next"), isoLocalTime(show.startTime));
    json.insert(QLatin1String("lastStatus"), fieldText(show.lastStatus));
    json.insert(QLatin1String("recording"), recording);
    return json;
}

} // namespace skywell
