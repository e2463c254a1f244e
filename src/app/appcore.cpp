#include "app/appcore.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/folders.h"
#include "core/prompter.h"
#include "core/settingsstore.h"
#include "core/singleinstance.h"
#include "core/systemreport.h"
#include "core/version.h"
#include "shows/addshow.h"
#include "shows/editoraccept.h"

namespace skywell
{

AppCore::AppCore(QString programFolder, const Clock &clock, ActivityLog &log, SettingsStore &settingsStore,
                 Prompter &prompter, QObject *parent)
    : QObject(parent), m_programFolder(std::move(programFolder)), m_clock(clock), m_log(log),
      m_settingsStore(settingsStore), m_prompter(prompter),
      m_scheduler(clock, m_settings, settingsStore, log, prompter), m_showStore(m_programFolder, log, prompter)
{
}

void AppCore::openRun()
{
    m_log.logLine();
    writeSystemReport(m_log);
}

void AppCore::start()
{
    // The Show list comes before the settings; a missing file is an empty
    // list.
    m_showStore.load(m_shows);
    loadAndConfigureSettings();
    ensureFolder(m_settings.mp3Folder, kMp3FolderMissingText);
    ensureFolder(m_settings.tempFolder, kTempFolderMissingText);
    startScheduling();
    m_log.logLine(QStringLiteral("Load Program.  Current Version"), QString::fromLatin1(kVersionText));
    m_started = true;
}

void AppCore::loadAndConfigureSettings()
{
    if (loadSettings(m_settings, m_settingsStore, m_programFolder))
        return;
    // First start. "First Time" is stored only once the settings are
    // accepted, so a cancelled configuration comes back next time.
    // The first-start wizard greets the user itself: no box before it.
    if (m_configure) {
        if (m_configure(m_settings, true)) {
            saveSettings(m_settings, m_settingsStore);
            return;
        }
        // Cancelled: this run works with the defaults (their folders are
        // made without asking again) and the next start asks again.
        createDefaultFolders();
        return;
    }
    // Without a desktop nobody can answer the first-time dialogs: take the
    // defaults and create their folders.
    createDefaultFolders();
    if (saveSettings(m_settings, m_settingsStore))
        m_log.logLine(QStringLiteral("First start without a desktop: default settings saved."));
    else
        m_log.logLine(QStringLiteral("First start without a desktop: default settings in use, not saved."));
}

void AppCore::createDefaultFolders()
{
    for (const QString &folder : {m_settings.mp3Folder, m_settings.tempFolder}) {
        // One that cannot be made is reported by the folder check after.
        if (!folderExists(folder) && createFolder(folder))
            m_log.logLine(QStringLiteral("Created folder"), folder);
    }
}

void AppCore::ensureFolder(const QString &folder, const QString &missingText)
{
    if (folderExists(folder))
        return;
    if (m_configure) {
        m_prompter.information(missingText);
        if (m_configure(m_settings, false))
            saveSettings(m_settings, m_settingsStore);
        return;
    }
    m_log.logLine(missingText);
    if (createFolder(folder))
        m_log.logLine(QStringLiteral("Created folder"), folder);
    else
        m_log.logLine(QStringLiteral("Cannot create folder"), folder);
}

void AppCore::startScheduling()
{
    if (m_wakeTimerFactory)
        m_wakeTimer = m_wakeTimerFactory();
    m_scheduler.setWakeTimer(m_wakeTimer.get());
    m_scheduler.applyTimeZoneChange(m_shows);
    m_ticker.onTenthTick([this] { m_scheduler.applyTimeZoneChange(m_shows); });
    m_ticker.start();
    m_scheduler.reschedule(m_shows);
    // A Show file that could not be read is not replaced by an empty list;
    // the first change is saved beside it.
    if (!m_showStore.fileUnreadable())
        m_showStore.save(m_shows);
}

void AppCore::shutdown()
{
    m_ticker.stop();
    m_scheduler.setWakeTimer(nullptr);
    m_wakeTimer.reset();
}

bool AppCore::importShow(const QString &path)
{
    ShowEditorStep edit = m_showEditor;
    if (!edit) {
        edit = [this](Show &show) { return acceptShowUnchanged(show, m_clock.now(), m_settingsStore, m_prompter); };
    }
    return importShowFile(path, m_clock, m_prompter, edit, [this](const Show &show) {
        // A Show that could not be saved is kept in the list and saved with
        // the next change.
        if (addShow(m_shows, show, m_scheduler, m_showStore, m_settingsStore, m_prompter))
            m_log.logLine(QStringLiteral("Imported show"), fieldText(show.name));
        else
            m_log.logLine(QStringLiteral("Show added but not saved"), fieldText(show.name));
    });
}

void AppCore::quitAtOnce()
{
    Q_EMIT quitRequested();
}

void AppCore::restoreWindow()
{
    Q_EMIT restoreRequested();
}

void AppCore::restoreAndImport(const QString &importPath)
{
    Q_EMIT restoreRequested();
    // The request names its file; "ImportFile" is shared by every second
    // start and serves only a request that names none.
    const QString path = importPath.isEmpty()
                             ? m_settingsStore.readString(QStringLiteral("ImportFile"), SettingsGroup::Program)
                             : importPath;
    if (!path.isEmpty())
        importShow(path);
}

void deliverInstanceMessage(AppCore &core, int message, int code, const QString &importPath)
{
    const std::optional<InstanceRequest> request = requestFor(message, code);
    if (!request)
        return;
    switch (*request) {
    case InstanceRequest::Quit:
        core.quitAtOnce();
        break;
    case InstanceRequest::Import:
        core.restoreAndImport(importPath);
        break;
    case InstanceRequest::Restore:
        core.restoreWindow();
        break;
    }
}

} // namespace skywell
