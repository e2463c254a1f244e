#pragma once

#include <QByteArray>

namespace skywell
{

// The longest prefix of a UTF-8 text that fits in maxBytes without
// splitting a character.
QByteArray cutUtf8(const QByteArray &utf8, qsizetype maxBytes);

} // namespace skywell
