#include "recording/systemerror.h"

#include <algorithm>
#include <cstring>

namespace skywell
{

QString formatSystemError(int code, const QString &message, const QString &where)
{
    constexpr int kMaxChars = 510;
    QString text = code != 0 ? QString::fromLocal8Bit(std::strerror(code)).simplified() : QString();
    if (text.isEmpty())
        text = QStringLiteral("?");
    // The path is never cut: past the length only the system's text goes.
    const QString head = QStringLiteral("Error: %1\r\nin function %2\r\nSystem error: %3(")
                             .arg(message, where, QString::number(static_cast<unsigned>(code)));
    const qsizetype room = kMaxChars - head.size() - 1;
    if (text.size() > room) {
        text.truncate(std::max<qsizetype>(room, 1));
        if (text.size() > 1 && text.back().isHighSurrogate())
            text.chop(1);
    }
    return head + text + QLatin1Char(')');
}

} // namespace skywell
