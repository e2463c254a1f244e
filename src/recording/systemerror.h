#pragma once

#include <QString>

namespace skywell
{

// "Error: <message>\r\nin function <where>\r\nSystem error: <code>(<text>)"
// with the system's text for the error number ("?" when it has none). Held
// to 510 characters by shortening the system's text; the message and the
// path stay whole.
QString formatSystemError(int code, const QString &message, const QString &where);

} // namespace skywell
