#include "core/timetext.h"

#include <cstring>
#include <ctime>

namespace skywell
{

namespace
{
// Conversions that produce a number and so can lose their leading zero.
bool isNumericConversion(char c)
{
    return std::strchr("dHIjmMSUwWyYCgGeuVkl", c) != nullptr;
}
} // namespace

QByteArray toLibcTimePattern(const QString &pattern)
{
    const QByteArray in = pattern.toUtf8();
    QByteArray out;
    out.reserve(in.size() + 8);
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c != '%' || i + 1 >= in.size()) {
            out += c;
            continue;
        }
        const char next = in[i + 1];
        if (next == '%') {
            out += "%%";
            ++i;
        } else if (next == '#' && i + 2 < in.size()) {
            // glibc's own "#" flag swaps case; "-" is its "no padding" flag.
            const char conv = in[i + 2];
            out += '%';
            if (isNumericConversion(conv))
                out += '-';
            out += conv;
            i += 2;
        } else {
            out += '%';
        }
    }
    return out;
}

QString formatTimeText(const QString &pattern, std::int64_t secondsSince1970)
{
    const QByteArray libcPattern = toLibcTimePattern(pattern);
    if (libcPattern.isEmpty())
        return {};
    const std::time_t t = static_cast<std::time_t>(secondsSince1970);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr)
        return {};
    char buffer[1024];
    const std::size_t n = std::strftime(buffer, sizeof buffer, libcPattern.constData(), &local);
    return QString::fromUtf8(buffer, static_cast<qsizetype>(n));
}

} // namespace skywell
