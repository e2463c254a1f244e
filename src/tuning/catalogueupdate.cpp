#include "tuning/catalogueupdate.h"

#include "core/prompter.h"
#include "core/registry.h"
#include "core/settings.h"
#include "shows/localtime.h"
#include "tuning/catalogueline.h"

#include <QFile>
#include <QSaveFile>

namespace skywell
{

namespace
{
// Seconds from 1 January 1601 to 1 January 1970.
constexpr std::int64_t kSeconds1601To1970 = 11644473600;
} // namespace

std::int64_t catalogueDayNumber(std::int64_t now)
{
    const std::tm local = localCalendar(now);
    const std::int64_t localSeconds = now + local.tm_gmtoff + kSeconds1601To1970;
    return localSeconds >= 0 ? localSeconds / 86400 : (localSeconds - 86399) / 86400;
}

bool catalogueUpdateDue(const Registry &registry, std::int64_t now)
{
    const std::int64_t last = registry.regReadString(kCatalogueUpdateDayValue, kSkywellKey).toLongLong();
    return catalogueDayNumber(now) - last > 7;
}

void storeCatalogueUpdateDay(Registry &registry, std::int64_t now)
{
    registry.regWriteString(kCatalogueUpdateDayValue, QString::number(catalogueDayNumber(now)), kSkywellKey);
}

CatalogueUpdate::CatalogueUpdate(DownloadSetup setup, Prompter &prompter, Registry &registry, QString programFolder,
                                 QString tempFolder)
    : m_setup(std::move(setup)), m_prompter(prompter), m_registry(registry), m_programFolder(std::move(programFolder)),
      m_tempFolder(std::move(tempFolder))
{
}

bool CatalogueUpdate::offerIfDue(std::int64_t now)
{
    bool updated = false;
    if (catalogueUpdateDue(m_registry, now) && m_prompter.question(kCatalogueUpdateQuestion))
        updated = run(now);
    storeCatalogueUpdateDay(m_registry, now);
    return updated;
}

bool CatalogueUpdate::fetch(const QString &base, const QString &path, const QString &file, QString *downloaded)
{
    DownloadRequest request;
    request.address = base + path;
    request.path = m_tempFolder + file;
    request.maxBytes = kMaxListBytes;
    *downloaded = request.path;
    const DownloadResult result = downloadToFile(m_setup, request);
    return result.complete() && result.bytes > 0;
}

bool CatalogueUpdate::replace(const QString &downloaded, const QString &file)
{
    const QString target = m_programFolder + file;
    QFile source(downloaded);
    QSaveFile out(target);
    QString problem;
    if (!source.open(QIODevice::ReadOnly)) {
        problem = source.errorString();
    } else if (!out.open(QIODevice::WriteOnly)) {
        problem = out.errorString();
    } else {
        char buffer[65536];
        qint64 n = 0;
        while (problem.isEmpty() && (n = source.read(buffer, sizeof buffer)) > 0)
            if (out.write(buffer, n) != n)
                problem = out.errorString();
        if (problem.isEmpty() && n < 0)
            problem = source.errorString();
        if (!problem.isEmpty())
            out.cancelWriting();
        else if (!out.commit())
            problem = out.errorString();
    }
    if (problem.isEmpty())
        return true;
    m_prompter.error(kCatalogueSaveError.arg(target, problem), kCaption);
    return false;
}

bool CatalogueUpdate::run(std::int64_t now)
{
    QString base = m_registry.regReadString(kCatalogueAddressSetting, kProfileKey).trimmed();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    QString downloaded;
    if (base.isEmpty() || !fetch(base, kStationListPath, catalogueFileName(CatalogueMode::Station), &downloaded)) {
        m_prompter.error(kCatalogueUpdateError, kCaption);
        return false;
    }
    if (!replace(downloaded, catalogueFileName(CatalogueMode::Station)))
        return false;
    if (fetch(base, kShowListPath, catalogueFileName(CatalogueMode::Show), &downloaded) &&
        replace(downloaded, catalogueFileName(CatalogueMode::Show)))
        m_prompter.information(kCatalogueUpdatedText);
    storeCatalogueUpdateDay(m_registry, now);
    return true;
}

} // namespace skywell
