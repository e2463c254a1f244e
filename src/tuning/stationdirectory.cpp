#include "tuning/stationdirectory.h"

#include "core/regularfile.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "core/version.h"

#include <QDnsLookup>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace skywell
{

namespace
{

const QString kSrvName = QStringLiteral("_api._tcp.radio-browser.info");
const QString kServerListAddress = QStringLiteral("https://all.api.radio-browser.info/json/servers");
constexpr int kServersTried = 3;

void shuffle(QStringList &list)
{
    std::shuffle(list.begin(), list.end(), *QRandomGenerator::global());
}

// Downloads an address into a temporary file and reads it back whole.
DownloadResult fetchSmall(const DownloadSetup &setup, const QString &address, const QString &path, QByteArray *data)
{
    DownloadRequest request;
    request.address = address;
    request.path = path;
    request.userAgent = stationDirectoryUserAgent();
    request.maxBytes = StationDirectory::kMaxAnswerBytes;
    DownloadResult result = downloadToFile(setup, request);
    if (result.complete()) {
        RegularFile file(path);
        if (!file.isOpen() || !file.read(StationDirectory::kMaxAnswerBytes, data))
            result.end = DownloadEnd::TransferFailed;
    }
    QFile::remove(path);
    return result;
}

QString failureText(const DownloadResult &result)
{
    switch (result.end) {
    case DownloadEnd::TooLarge:
        return QStringLiteral("The station directory's answer is too large.");
    case DownloadEnd::HttpError:
        return QStringLiteral("The station directory answered with status %1.").arg(result.httpStatus);
    case DownloadEnd::Offline:
        return QStringLiteral("The station directory cannot be reached: the computer is offline.");
    default:
        return QStringLiteral("The station directory cannot be reached%1")
            .arg(result.detail.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + result.detail);
    }
}

} // namespace

QByteArray stationDirectoryUserAgent()
{
    return QByteArrayLiteral("Skywell/") + kVersionText;
}

QString stationSearchPath(const StationQuery &query)
{
    QByteArray q;
    auto add = [&q](const char *key, const QString &value) {
        if (value.trimmed().isEmpty())
            return;
        q += (q.isEmpty() ? "" : "&") + QByteArray(key) + '=' + QUrl::toPercentEncoding(value.trimmed());
    };
    add("name", query.name);
    add("tag", query.tag);
    const QString country = query.country.trimmed();
    const bool isCode = country.size() == 2 && country[0].isLetter() && country[1].isLetter();
    add(isCode ? "countrycode" : "country", isCode ? country.toUpper() : country);
    add("language", query.language);
    add("limit", QString::number(std::clamp(query.limit, 1, 1000)));
    add("hidebroken", QStringLiteral("true"));
    add("order", QStringLiteral("votes"));
    add("reverse", QStringLiteral("true"));
    return QStringLiteral("/json/stations/search?") + QString::fromLatin1(q);
}

StationDirectory::StationDirectory(DownloadSetup setup, const SettingsStore &settingsStore, QString programFolder,
                                   QString tempFolder)
    : m_setup(std::move(setup)), m_settingsStore(settingsStore), m_programFolder(std::move(programFolder)),
      m_tempFolder(std::move(tempFolder))
{
    m_finder = [this] { return findRadioBrowserServers(m_setup, m_tempFolder); };
}

QStringList StationDirectory::servers() const
{
    QString base = m_settingsStore.readString(kStationDirectoryAddressSetting, SettingsGroup::Options).trimmed();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    if (!base.isEmpty())
        return {base};
    return m_finder ? m_finder() : QStringList();
}

DirectoryAnswer StationDirectory::search(const StationQuery &query)
{
    DirectoryAnswer answer;
    const QStringList bases = servers();
    if (bases.isEmpty()) {
        answer.error = QStringLiteral("No server of the station directory can be found.");
        return answer;
    }
    const QString path = m_tempFolder + QStringLiteral("stationdirectory.download");
    for (qsizetype i = 0; i < bases.size() && i < kServersTried; ++i) {
        QByteArray data;
        const DownloadResult result = fetchSmall(m_setup, bases[i] + stationSearchPath(query), path, &data);
        if (!result.complete()) {
            answer.error = failureText(result);
            continue;
        }
        answer = stationsFromJson(data);
        if (!answer.ok)
            continue;
        if (!saveCache(answer.stations))
            qCWarning(lcDownload).noquote() << "Cannot keep the station list in" << cachePath();
        return answer;
    }
    return answer;
}

bool StationDirectory::saveCache(const QList<DirectoryStation> &stations) const
{
    QSaveFile file(cachePath());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(stationsToJson(stations));
    return file.commit();
}

QList<DirectoryStation> StationDirectory::cachedStations() const
{
    RegularFile file(cachePath());
    QByteArray data;
    if (!file.isOpen() || !file.read(kMaxAnswerBytes, &data))
        return {};
    return stationsFromJson(data).stations;
}

QStringList findRadioBrowserServers(const DownloadSetup &setup, const QString &tempFolder)
{
    QStringList bases;
    QDnsLookup lookup(QDnsLookup::SRV, kSrvName);
    QEventLoop loop;
    QObject::connect(&lookup, &QDnsLookup::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    lookup.lookup();
    if (!lookup.isFinished())
        loop.exec();
    if (lookup.isFinished() && lookup.error() == QDnsLookup::NoError) {
        const auto records = lookup.serviceRecords();
        for (const QDnsServiceRecord &record : records) {
            QString host = record.target();
            while (host.endsWith(QLatin1Char('.')))
                host.chop(1);
            if (host.isEmpty())
                continue;
            bases.append(record.port() == 443 || record.port() == 0
                             ? QStringLiteral("https://") + host
                             : QStringLiteral("https://%1:%2").arg(host).arg(record.port()));
        }
    }
    lookup.abort();
    if (bases.isEmpty()) {
        QByteArray data;
        if (fetchSmall(setup, kServerListAddress, tempFolder + QStringLiteral("servers.download"), &data).complete())
            for (const QString &name : serverNamesFromJson(data))
                bases.append(QStringLiteral("https://") + name);
    }
    bases.removeDuplicates();
    shuffle(bases);
    return bases;
}

} // namespace skywell
