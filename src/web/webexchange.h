#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>

namespace skywell
{

// One HTTP request as the server's routes see it. The path is already
// percent-decoded; it is only ever compared with names Skywell lists
// itself, never joined to a folder.
struct WebRequest {
    QByteArray method;
    QString path;
    QList<QPair<QString, QString>> query;
    QList<QPair<QByteArray, QByteArray>> headers; // names in lower case
    QByteArray body;
    QHostAddress peer;
    QString basicUser;     // from an Authorization: Basic header
    QString basicPassword; // (the user name is ignored)
    bool hasBasic = false;

    QString queryValue(const QString &name) const;
    QByteArray header(const QByteArray &lowerName) const;
    QByteArray cookie(const QByteArray &name) const;
};

// The answer: a body in memory, or a stretch of an open file the server
// sends and then closes.
struct WebResponse {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
    int fileDescriptor = -1; // owned by the response once set
    qint64 fileOffset = 0;
    qint64 fileLength = 0;

    void addHeader(const QByteArray &name, const QByteArray &value) { headers.append({name, value}); }

    static WebResponse json(int status, const QByteArray &json);
    static WebResponse error(int status, const QString &message);
};

} // namespace skywell
