#pragma once

#include "tuning/catalogueline.h"
#include "tuning/stationdirectoryjson.h"

#include <QString>

namespace skywell
{

// The pick a station found in the directory makes: its name and stream,
// unscheduled, as catalogue stations are.
PickResult pickFromDirectory(const DirectoryStation &station);

// The codec and bit rate shown beside a found station ("MP3",
// "128 kbit/s"); empty when the directory does not say.
QString stationBitrateText(const DirectoryStation &station);

} // namespace skywell
