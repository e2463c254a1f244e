#include "control/controlwire.h"

#include <QJsonDocument>

namespace skywell
{

QByteArray controlRequestJson(const ControlRequest &request)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("command"), request.command},
                                     {QStringLiteral("arguments"), request.arguments}})
        .toJson(QJsonDocument::Compact);
}

bool controlRequestFromJson(const QByteArray &json, ControlRequest &request)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    const QJsonObject object = document.object();
    if (!document.isObject() || !object.value(QLatin1String("command")).isString())
        return false;
    request.command = object.value(QLatin1String("command")).toString();
    request.arguments = object.value(QLatin1String("arguments")).toObject();
    return true;
}

QByteArray controlReplyJson(const ControlReply &reply)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("status"), int(reply.status)},
                                     {QStringLiteral("message"), reply.message},
                                     {QStringLiteral("data"), reply.data}})
        .toJson(QJsonDocument::Compact);
}

bool controlReplyFromJson(const QByteArray &json, ControlReply &reply)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    const QJsonObject object = document.object();
    const int status = object.value(QLatin1String("status")).toInt(-1);
    if (!document.isObject() || status < 0 || status > int(ControlStatus::Refused))
        return false;
    reply.status = ControlStatus(status);
    reply.message = object.value(QLatin1String("message")).toString();
    reply.data = object.value(QLatin1String("data")).toObject();
    return true;
}

QByteArray answerControlJson(ControlService &service, const QByteArray &json)
{
    ControlRequest request;
    if (!controlRequestFromJson(json, request))
        return controlReplyJson({ControlStatus::Refused, QStringLiteral("The request is not valid JSON."), {}});
    return controlReplyJson(service.handle(request));
}

} // namespace skywell
