#pragma once

#include "control/controlservice.h"

#include <QByteArray>

namespace skywell
{

// A request as it travels over the instance socket:
// {"command": "...", "arguments": {...}}.
QByteArray controlRequestJson(const ControlRequest &request);
// False when the text is not such a request.
bool controlRequestFromJson(const QByteArray &json, ControlRequest &request);

// An answer as it travels back, one line of compact JSON:
// {"status": 0|1|2, "message": "...", "data": {...}}.
QByteArray controlReplyJson(const ControlReply &reply);
// False when the text is not such an answer.
bool controlReplyFromJson(const QByteArray &json, ControlReply &reply);

// Answers one request's JSON with the service: what the instance socket
// runs for each control request.
QByteArray answerControlJson(ControlService &service, const QByteArray &json);

} // namespace skywell
