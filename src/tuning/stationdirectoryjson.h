#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace skywell
{

// One station of the community radio directory, its texts bounded like a
// catalogue line's (name 127 bytes, addresses 511, on character
// boundaries).
struct DirectoryStation {
    QString name;
    QString address; // the stream, playlists and redirects already followed when the directory knows them
    QString codec;
    int bitrate = 0; // kbit/s
    QString homepage;
    QString tags; // comma-separated

    bool operator==(const DirectoryStation &) const = default;
};

struct DirectoryAnswer {
    bool ok = false;
    QString error; // why the answer cannot be used
    QList<DirectoryStation> stations;
};

// Maps the directory's JSON answer, an array of station objects with the
// API's field names ("name", "url_resolved" or "url", "codec", "bitrate",
// "homepage", "tags"), to stations. Entries without a name or an http(s)
// address are left out; anything but a JSON array is an error.
DirectoryAnswer stationsFromJson(const QByteArray &json);

// The stations as a JSON array that stationsFromJson reads back (the
// offline cache).
QByteArray stationsToJson(const QList<DirectoryStation> &stations);

// The server names in the answer of "/json/servers".
QList<QString> serverNamesFromJson(const QByteArray &json);

} // namespace skywell
