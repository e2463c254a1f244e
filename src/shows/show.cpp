#include "shows/show.h"

#include "core/textcut.h"

#include <atomic>
#include <cstring>

namespace skywell
{

namespace
{
// Creation numbers; the record holds 16 bits, so the counter wraps as the
// stored value would.
std::atomic<std::uint16_t> g_nextSerial{1};
} // namespace

std::int16_t peekNextSerial()
{
    return static_cast<std::int16_t>(g_nextSerial.load());
}

Show::Show()
{
    std::memset(static_cast<void *>(this), 0, sizeof(Show));
    reserved0 = 1;
    std::memcpy(name, "New Show", 8);
    std::memcpy(url, "http://", 7);
    flags = kNewShowFlags;
    serial = static_cast<std::int16_t>(g_nextSerial.fetch_add(1));
    std::memset(splitAtMinute, 255, sizeof splitAtMinute);
}

bool Show::isUnscheduled() const
{
    return (flags & SHOW_UNSCHEDULED) || ((flags & SHOW_REPEATING) && !(flags & SHOW_DAYS));
}

bool Show::isRepeating() const
{
    return !(flags & SHOW_UNSCHEDULED) && (flags & SHOW_REPEATING) && (flags & SHOW_DAYS);
}

QByteArray fieldBytes(const char *field, std::size_t size)
{
    const void *nul = std::memchr(field, 0, size);
    const std::size_t length = nul ? static_cast<std::size_t>(static_cast<const char *>(nul) - field) : size;
    return QByteArray(field, static_cast<qsizetype>(length));
}

void setField(char *field, std::size_t size, const QByteArray &utf8)
{
    // Stop at an embedded NUL as a C string would.
    const QByteArray text =
        cutUtf8(fieldBytes(utf8.constData(), static_cast<std::size_t>(utf8.size())), static_cast<qsizetype>(size) - 1);
    std::memset(field, 0, size);
    std::memcpy(field, text.constData(), static_cast<std::size_t>(text.size()));
}

QString recordSourceName(const Show &show)
{
    const QByteArray full = fieldBytes(show.recordSourceFull);
    const QByteArray shortName = fieldBytes(show.recordSource);
    // A program that knows only the old field may have changed it and left
    // the whole name behind: the whole name counts only while it agrees.
    if (!full.isEmpty() && !shortName.isEmpty() && full.startsWith(shortName))
        return QString::fromUtf8(full);
    return QString::fromUtf8(shortName);
}

bool setRecordSourceName(Show &show, const QString &name)
{
    const QByteArray bytes = fieldBytes(name.toUtf8().constData(), static_cast<std::size_t>(name.toUtf8().size()));
    if (bytes.size() > kMaxRecordSourceBytes)
        return false;
    setField(show.recordSource, bytes);
    if (bytes.size() < static_cast<qsizetype>(sizeof show.recordSource))
        setField(show.recordSourceFull, QByteArray());
    else
        setField(show.recordSourceFull, bytes);
    return true;
}

std::uint32_t dayBitOfWeekday(int weekday)
{
    // Sunday is the last bit, Monday the first.
    return weekday == 0 ? SHOW_SUN : (1u << ((weekday - 1) & 7)) & SHOW_DAYS;
}

} // namespace skywell
