#pragma once

#include "control/controlservice.h"

#include <QString>

namespace skywell
{

// An answer as the command line prints it by default: the message, and
// the data of list, status and recordings as a table.
QString controlReplyText(const QString &command, const ControlReply &reply);

} // namespace skywell
