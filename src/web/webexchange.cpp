#include "web/webexchange.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace skywell
{

QString WebRequest::queryValue(const QString &name) const
{
    for (const auto &[key, value] : query)
        if (key == name)
            return value;
    return {};
}

QByteArray WebRequest::header(const QByteArray &lowerName) const
{
    for (const auto &[key, value] : headers)
        if (key == lowerName)
            return value;
    return {};
}

QByteArray WebRequest::cookie(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key != "cookie")
            continue;
        for (const QByteArray &part : value.split(';')) {
            const QByteArray item = part.trimmed();
            if (item.startsWith(name + '='))
                return item.mid(name.size() + 1);
        }
    }
    return {};
}

WebResponse WebResponse::json(int status, const QByteArray &json)
{
    WebResponse response;
    response.status = status;
    response.contentType = "application/json";
    response.body = json;
    return response;
}

WebResponse WebResponse::error(int status, const QString &message)
{
    return json(status, QJsonDocument(QJsonObject{{QStringLiteral("status"), 2}, {QStringLiteral("message"), message}})
                            .toJson(QJsonDocument::Compact));
}

} // namespace skywell
