#include "tuning/stationsearchrules.h"

namespace skywell
{

PickResult pickFromDirectory(const DirectoryStation &station)
{
    PickResult result;
    result.name = station.name;
    result.address = station.address;
    result.flags = kPickedStationFlags;
    return result;
}

QString stationBitrateText(const DirectoryStation &station)
{
    return station.bitrate > 0 ? QStringLiteral("%1 kbit/s").arg(station.bitrate) : QString();
}

} // namespace skywell
