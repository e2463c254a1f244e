#pragma once

#include <QJsonArray>
#include <QString>

namespace skywell
{

// The station directory search the web page offers, called on the web
// server's thread (one search at a time, never on the main thread). Returns the stations ({"name", "url", "codec",
// "bitrate", "homepage", "tags"}); error receives why when the search failed.
class StationFinder
{
public:
    virtual ~StationFinder() = default;
    virtual QJsonArray find(const QString &text, QString *error) = 0;
};

} // namespace skywell
