#include "web/directorystationfinder.h"

#include "tuning/stationdirectory.h"

#include <QJsonObject>

namespace skywell
{

QJsonArray DirectoryStationFinder::find(const QString &text, QString *error)
{
    StationQuery query;
    query.name = text.trimmed();
    query.limit = 100;
    const DirectoryAnswer answer = m_directory.search(query);
    if (!answer.ok) {
        *error = answer.error;
        return {};
    }
    QJsonArray stations;
    for (const DirectoryStation &station : answer.stations)
        stations.append(QJsonObject{{QStringLiteral("name"), station.name},
                                    {QStringLiteral("url"), station.address},
                                    {QStringLiteral("codec"), station.codec},
                                    {QStringLiteral("bitrate"), station.bitrate},
                                    {QStringLiteral("homepage"), station.homepage},
                                    {QStringLiteral("tags"), station.tags}});
    return stations;
}

} // namespace skywell
