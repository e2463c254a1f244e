#pragma once

#include "web/stationfinder.h"

namespace skywell
{

class StationDirectory;

// The web page's station search through the program's station directory:
// stations whose name holds the text.
class DirectoryStationFinder final : public StationFinder
{
public:
    explicit DirectoryStationFinder(StationDirectory &directory) : m_directory(directory) {}
    QJsonArray find(const QString &text, QString *error) override;

private:
    StationDirectory &m_directory;
};

} // namespace skywell
