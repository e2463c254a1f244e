#pragma once

#include "core/settings.h"
#include "tuning/download.h"
#include "tuning/stationdirectoryjson.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace skywell
{

class SettingsStore;

// The base address of a station directory server, a profile value; empty
// (the default): the servers of the public directory are looked up.
inline const QString &kStationDirectoryAddressSetting = SettingNames::stationDirectoryAddress;
// The last stations found, in the program folder, for use offline.
inline const QString kStationDirectoryCacheFile = QStringLiteral("stationdirectory.json");

// What to look for; empty texts are left out of the search.
struct StationQuery {
    QString name;
    QString tag;
    QString country; // a name, or a two-letter country code
    QString language;
    int limit = 200;
};

// The search's path and query on a directory server.
QString stationSearchPath(const StationQuery &query);

// Searches the public community radio directory (radio-browser) for
// stations, through the program's download code, and keeps the last
// answer in the program folder so the list works offline.
class StationDirectory final
{
public:
    // The base addresses of the servers to try, in the order to try them.
    using ServerFinder = std::function<QStringList()>;

    StationDirectory(DownloadSetup setup, const SettingsStore &settingsStore, QString programFolder,
                     QString tempFolder);

    // Replaces the lookup of the public servers (tests, or a fixed list).
    void setServerFinder(ServerFinder finder) { m_finder = std::move(finder); }

    // Asks the servers in turn (at most three) until one answers with a
    // readable list. On success the stations replace the cached list; on
    // failure the answer carries the error and the cache stays.
    DirectoryAnswer search(const StationQuery &query);

    // The stations of the last successful search (none when there was
    // none or the cache cannot be read).
    QList<DirectoryStation> cachedStations() const;

    QString cachePath() const { return m_programFolder + kStationDirectoryCacheFile; }

    // Largest answer accepted.
    static constexpr qint64 kMaxAnswerBytes = 8 * 1024 * 1024;

private:
    QStringList servers() const;
    bool saveCache(const QList<DirectoryStation> &stations) const;

    DownloadSetup m_setup;
    const SettingsStore &m_settingsStore;
    QString m_programFolder;
    QString m_tempFolder;
    ServerFinder m_finder;
};

// The public directory's servers as its documentation describes: the DNS
// SRV record "_api._tcp.radio-browser.info", else the list at
// "all.api.radio-browser.info/json/servers"; shuffled, as https addresses.
QStringList findRadioBrowserServers(const DownloadSetup &setup, const QString &tempFolder);

// "Skywell/<version>".
QByteArray stationDirectoryUserAgent();

} // namespace skywell
