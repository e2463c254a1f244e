#include "cdjob.h"

#include <QFileInfo>

namespace skywell::cdwrite
{

CdJob parseCdJob(const QString &argument)
{
    CdJob job;
    for (const QString &item : argument.split(QLatin1Char('?'), Qt::SkipEmptyParts))
        job.files << item;
    if (!job.files.isEmpty() && job.files.last() == QLatin1String("/data")) {
        job.files.removeLast();
        job.dataCd = true;
    }
    return job;
}

QString checkFiles(const CdJob &job)
{
    if (job.files.isEmpty())
        return QStringLiteral("No files were given to write to the CD.");
    for (const QString &file : job.files) {
        if (!QFileInfo(file).isFile())
            return QStringLiteral("File not found: %1").arg(file);
    }
    return {};
}

} // namespace skywell::cdwrite
