#include "tuning/catalogueupdate.h"

#include "core/prompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
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

bool catalogueUpdateDue(const SettingsStore &settingsStore, std::int64_t now)
{
    const std::int64_t last = settingsStore.readString(kCatalogueUpdateDayValue, SettingsGroup::Program).toLongLong();
    return catalogueDayNumber(now) - last > 7;
}

void storeCatalogueUpdateDay(SettingsStore &settingsStore, std::int64_t now)
{
    settingsStore.writeString(kCatalogueUpdateDayValue, QString::number(catalogueDayNumber(now)),
                              SettingsGroup::Program);
}

bool isCatalogueList(const QString &path)
{
    CatalogueReader reader(path);
    QByteArray line;
    int entries = 0;
    while (reader.next(&line)) {
        if (line.trimmed().isEmpty())
            continue;
        if (line.contains('\0'))
            return false;
        const QList<QByteArray> fields = line.split('|');
        // Empty fields between separators count as none.
        QList<QByteArray> present;
        for (const QByteArray &field : fields)
            if (!field.isEmpty())
                present.append(field);
        if (present.size() < 2 || !present[1].contains("://"))
            return false;
        ++entries;
    }
    return entries > 0;
}

CatalogueUpdate::CatalogueUpdate(DownloadSetup setup, Prompter &prompter, SettingsStore &settingsStore,
                                 QString programFolder, QObject *parent)
    : QObject(parent), m_setup(std::move(setup)), m_prompter(prompter), m_settingsStore(settingsStore),
      m_programFolder(std::move(programFolder))
{
}

CatalogueUpdate::~CatalogueUpdate() = default;

bool CatalogueUpdate::hasAddress() const
{
    return !m_settingsStore.readString(kCatalogueAddressSetting, SettingsGroup::Options).trimmed().isEmpty();
}

void CatalogueUpdate::setAddress(const QString &address)
{
    m_settingsStore.writeString(kCatalogueAddressSetting, address.trimmed(), SettingsGroup::Options);
}

bool CatalogueUpdate::offerIfDue(std::int64_t now)
{
    // Without a server there is nothing to offer; the offer comes once
    // one is set.
    if (!hasAddress() || isRunning())
        return false;
    bool started = false;
    if (catalogueUpdateDue(m_settingsStore, now) && m_prompter.question(kCatalogueUpdateQuestion))
        started = start(now);
    storeCatalogueUpdateDay(m_settingsStore, now);
    return started;
}

bool CatalogueUpdate::start(std::int64_t now)
{
    if (isRunning())
        return false;
    m_base = m_settingsStore.readString(kCatalogueAddressSetting, SettingsGroup::Options).trimmed();
    while (m_base.endsWith(QLatin1Char('/')))
        m_base.chop(1);
    if (m_base.isEmpty()) {
        m_prompter.information(kNoCatalogueAddressText);
        return false;
    }
    m_now = now;
    if (!fetch(kStationListPath, CatalogueMode::Station)) {
        m_prompter.error(kCatalogueUpdateError, kCaption);
        // Reported from the main loop, as a transfer's end would be.
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT finished(false); }, Qt::QueuedConnection);
    }
    return true;
}

bool CatalogueUpdate::fetch(const QString &path, CatalogueMode mode)
{
    DownloadRequest request;
    request.address = m_base + path;
    // Beside the list it may replace, under a hidden name: the folder for
    // temporary files is the recordings folder unless the user chose
    // another.
    request.path = m_programFolder + QLatin1Char('.') + catalogueFileName(mode) + QStringLiteral(".download");
    request.maxBytes = kMaxListBytes;
    m_download = std::make_unique<Download>(m_setup);
    connect(m_download.get(), &Download::finished, this, [this, mode] {
        QMetaObject::invokeMethod(
            this, [this, mode] { listArrived(mode); }, Qt::QueuedConnection);
    });
    if (m_download->start(request))
        return true;
    m_download.reset();
    return false;
}

void CatalogueUpdate::listArrived(CatalogueMode mode)
{
    if (!m_download)
        return;
    const DownloadResult result = m_download->result();
    m_download.reset();
    const QString downloaded = result.path;
    const bool usable = result.complete() && result.bytes > 0 && isCatalogueList(downloaded);
    const QString file = catalogueFileName(mode);
    if (mode == CatalogueMode::Station) {
        if (!usable) {
            QFile::remove(downloaded);
            m_prompter.error(kCatalogueUpdateError, kCaption);
            end(false);
            return;
        }
        const bool replaced = replace(downloaded, file);
        QFile::remove(downloaded);
        if (!replaced) {
            end(false);
            return;
        }
        if (!fetch(kShowListPath, CatalogueMode::Show))
            end(true);
        return;
    }
    if (usable && replace(downloaded, file))
        m_prompter.information(kCatalogueUpdatedText);
    QFile::remove(downloaded);
    end(true);
}

void CatalogueUpdate::end(bool updated)
{
    if (updated)
        storeCatalogueUpdateDay(m_settingsStore, m_now);
    Q_EMIT finished(updated);
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

} // namespace skywell
