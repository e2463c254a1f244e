#include "core/textcut.h"

namespace skywell
{

QByteArray cutUtf8(const QByteArray &utf8, qsizetype maxBytes)
{
    if (maxBytes <= 0)
        return {};
    if (utf8.size() <= maxBytes)
        return utf8;
    qsizetype end = maxBytes;
    // Step back over continuation bytes (10xxxxxx) to the start of the
    // character that would be split, and cut before it.
    while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
        --end;
    return utf8.left(end);
}

} // namespace skywell
