#include "core/systemreport.h"

#include "core/activitylog.h"

#include <QFile>
#include <QStringList>

#include <sys/utsname.h>

namespace skywell
{

QString osReleaseName(const QString &osReleaseText)
{
    const QStringList lines = osReleaseText.split(QLatin1Char('\n'));
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (!line.startsWith(QLatin1String("PRETTY_NAME=")))
            continue;
        QString value = line.mid(12);
        if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
            value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return {};
}

QString systemDescription()
{
    QString description;
    for (const char *path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly)) {
            const QString name = osReleaseName(QString::fromUtf8(file.readAll()));
            if (!name.isEmpty()) {
                description = name + QLatin1Char(' ');
                break;
            }
        }
    }
    struct utsname uts {
    };
    if (::uname(&uts) == 0)
        description +=
            QString::fromUtf8(uts.sysname) + QLatin1Char(' ') + QString::fromUtf8(uts.release) + QLatin1Char(' ');
    return description;
}

void writeSystemReport(ActivityLog &log)
{
    log.logLine(QStringLiteral("OS ="), systemDescription());
}

} // namespace skywell
