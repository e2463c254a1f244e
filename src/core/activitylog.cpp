#include "core/activitylog.h"

#include "core/clock.h"
#include "core/fdwrite.h"
#include "core/textcut.h"
#include "core/timetext.h"

#include <fcntl.h>
#include <unistd.h>

namespace skywell
{

ActivityLog::ActivityLog(const QString &programFolder, const Clock &clock)
    : m_path(programFolder + QStringLiteral("log.txt")), m_clock(clock)
{
}

ActivityLog::ActivityLog(const ActivityLog &shared, const QString &scope)
    : m_path(shared.m_path), m_clock(shared.m_clock), m_scope(QLatin1Char('[') + scope + QStringLiteral("]"))
{
}

QByteArray ActivityLog::formatLine(std::int64_t now, const QString &message, const QString &detail)
{
    if (message.isEmpty() && detail.isEmpty())
        return QByteArrayLiteral("\r\n");
    QByteArray text = formatTimeText(QString::fromLatin1(kLogTimePattern), now).toUtf8();
    if (!message.isEmpty())
        text += ' ' + message.toUtf8();
    if (!detail.isEmpty())
        text += ' ' + detail.toUtf8();
    // The line end is part of the 1024 bytes; never cut inside a character.
    text = cutUtf8(text, kMaxLineBytes - 2);
    text += "\r\n";
    return text;
}

void ActivityLog::logLine(const QString &message, const QString &detail)
{
    const bool scoped = !m_scope.isEmpty() && !(message.isEmpty() && detail.isEmpty());
    const QByteArray line = formatLine(m_clock.now(), scoped ? m_scope + QLatin1Char(' ') + message : message, detail);
    const QByteArray path = m_path.toLocal8Bit();
    std::lock_guard lock(m_mutex);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    // A write error loses the line, silently.
    writeFully(fd, line.constData(), static_cast<std::size_t>(line.size()));
    ::close(fd);
}

} // namespace skywell
