#include "recording/systemerror.h"

#include <cstring>

namespace skywell
{

QString formatSystemError(int code, const QString &message, const QString &where)
{
    constexpr int kMaxChars = 510;
    QString text = code != 0 ? QString::fromLocal8Bit(std::strerror(code)).simplified() : QString();
    if (text.isEmpty())
        text = QStringLiteral("?");
    QString result = QStringLiteral("Error: %1\r\nin function %2\r\nSystem error: %3(%4)")
                         .arg(message, where, QString::number(static_cast<unsigned>(code)), text);
    if (result.size() > kMaxChars) {
        result.truncate(kMaxChars);
        if (result.back().isHighSurrogate())
            result.chop(1);
    }
    return result;
}

} // namespace skywell
