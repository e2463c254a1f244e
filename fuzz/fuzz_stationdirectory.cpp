// Feeds arbitrary bytes as an answer of the station directory: the
// station mapping must bound its texts, keep only web addresses, and read
// back its own cache unchanged; the server list must yield plain host
// names.
#include "tuning/catalogueline.h"
#include "tuning/stationdirectoryjson.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace skywell;
    const QByteArray json(reinterpret_cast<const char *>(data), qsizetype(size));

    const DirectoryAnswer answer = stationsFromJson(json);
    if (!answer.ok && (answer.error.isEmpty() || !answer.stations.isEmpty()))
        std::abort();
    for (const DirectoryStation &station : answer.stations) {
        if (station.name.isEmpty() || station.name.toUtf8().size() > kCatalogueNameBytes ||
            station.address.toUtf8().size() > kCatalogueAddressBytes || station.name.contains(QLatin1Char('|')) ||
            station.name.contains(QLatin1Char('\n')) ||
            !(station.address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
              station.address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)))
            std::abort();
    }
    if (answer.ok && stationsFromJson(stationsToJson(answer.stations)).stations != answer.stations)
        std::abort();

    for (const QString &name : serverNamesFromJson(json))
        if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char(':')))
            std::abort();
    return 0;
}
