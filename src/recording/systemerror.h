#pragma once

#include <QString>

namespace skywell
{

// "Error: <message>\r\nin function <where>\r\nSystem error: <code>(<text>)"
// with the system's text for the error number ("?" when it has none), cut
// to 510 characters.
QString formatSystemError(int code, const QString &message, const QString &where);

} // namespace skywell
