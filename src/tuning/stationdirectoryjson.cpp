#include "tuning/stationdirectoryjson.h"

#include "tuning/catalogueline.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace skywell
{

namespace
{

// Texts longer than this (tags, codec) are cut; they are only shown.
constexpr qsizetype kDetailBytes = 511;

QString boundedText(const QJsonValue &value, qsizetype maxBytes)
{
    // Line ends and "|" never belong in a name or an address.
    QString text = value.toString().simplified();
    text.replace(QLatin1Char('|'), QLatin1Char('/'));
    return catalogueText(text.toUtf8(), maxBytes);
}

bool isWebAddress(const QString &address)
{
    return address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

} // namespace

DirectoryAnswer stationsFromJson(const QByteArray &json)
{
    DirectoryAnswer answer;
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        answer.error = QStringLiteral("The station directory's answer cannot be read (%1 at byte %2).")
                           .arg(parseError.errorString())
                           .arg(parseError.offset);
        return answer;
    }
    if (!document.isArray()) {
        answer.error = QStringLiteral("The station directory's answer is not a list of stations.");
        return answer;
    }
    const QJsonArray items = document.array();
    for (const QJsonValue &item : items) {
        const QJsonObject object = item.toObject();
        DirectoryStation station;
        station.name = boundedText(object.value(QLatin1String("name")), kCatalogueNameBytes);
        QString address = boundedText(object.value(QLatin1String("url_resolved")), kCatalogueAddressBytes);
        if (!isWebAddress(address))
            address = boundedText(object.value(QLatin1String("url")), kCatalogueAddressBytes);
        station.address = address;
        if (station.name.isEmpty() || !isWebAddress(station.address))
            continue;
        station.codec = boundedText(object.value(QLatin1String("codec")), kDetailBytes);
        const double bitrate = object.value(QLatin1String("bitrate")).toDouble();
        station.bitrate = bitrate > 0 && bitrate < 100000 ? int(bitrate) : 0;
        station.homepage = boundedText(object.value(QLatin1String("homepage")), kCatalogueAddressBytes);
        station.tags = boundedText(object.value(QLatin1String("tags")), kDetailBytes);
        answer.stations.append(station);
    }
    answer.ok = true;
    return answer;
}

QByteArray stationsToJson(const QList<DirectoryStation> &stations)
{
    QJsonArray items;
    for (const DirectoryStation &station : stations) {
        QJsonObject object;
        object.insert(QLatin1String("name"), station.name);
        object.insert(QLatin1String("url_resolved"), station.address);
        object.insert(QLatin1String("codec"), station.codec);
        object.insert(QLatin1String("bitrate"), station.bitrate);
        object.insert(QLatin1String("homepage"), station.homepage);
        object.insert(QLatin1String("tags"), station.tags);
        items.append(object);
    }
    return QJsonDocument(items).toJson(QJsonDocument::Indented);
}

QList<QString> serverNamesFromJson(const QByteArray &json)
{
    QList<QString> names;
    const QJsonArray items = QJsonDocument::fromJson(json).array();
    for (const QJsonValue &item : items) {
        const QString name = item.toObject().value(QLatin1String("name")).toString().trimmed();
        // A host name, nothing that could change the address's meaning.
        static const QString allowed = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789.-");
        const bool plain = !name.isEmpty() && name.size() < 256 &&
                           std::all_of(name.begin(), name.end(), [](QChar c) { return allowed.contains(c.toLower()); });
        if (plain && !names.contains(name.toLower()))
            names.append(name.toLower());
    }
    return names;
}

} // namespace skywell
