#pragma once

#include <QString>
#include <cstdint>

namespace skywell
{

// Formats a local time with a strftime pattern. The "#" flag after "%"
// (as in "%#d" or "%#I") removes the leading zero of a number; "%%" is a
// literal percent sign. The pattern and the result are UTF-8.
QString formatTimeText(const QString &pattern, std::int64_t secondsSince1970);

// Translates a pattern with "#" flags into one the C library understands.
QByteArray toLibcTimePattern(const QString &pattern);

// The pattern of the activity log's time stamps.
inline constexpr const char *kLogTimePattern = "%a %b %#d %#I:%M:%S %p";

} // namespace skywell
