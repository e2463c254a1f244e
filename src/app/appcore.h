#pragma once

#include "core/settings.h"
#include "core/ticker.h"
#include "shows/scheduler.h"
#include "shows/show.h"
#include "shows/showimport.h"
#include "shows/showstore.h"
#include "shows/waketimer.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace skywell
{

class ActivityLog;
class Clock;
class Prompter;
class SettingsStore;

// The running program without its window: the start-up steps after the
// main window exists (Show list, settings, first start, folder checks,
// scheduling, the version line), the one-second tick, the requests of a
// second start, the Show import, and the orderly shut-down. The desktop
// and the headless front end both drive it.
class AppCore final : public QObject
{
    Q_OBJECT
public:
    // Lets the user edit the settings (first start, or a folder that no
    // longer exists). Returns true when the user accepted them. Empty in
    // headless mode: the settings are then taken as they are.
    using ConfigureSettings = std::function<bool(Settings &settings, bool firstTime)>;

    AppCore(QString programFolder, const Clock &clock, ActivityLog &log, SettingsStore &settingsStore,
            Prompter &prompter, QObject *parent = nullptr);

    // Creates the wake-up timer at start-up; it returns null (and logs why)
    // when the system allows none. Without a factory there is no timer.
    using WakeTimerFactory = std::function<std::unique_ptr<WakeTimer>()>;

    void setConfigureSettings(ConfigureSettings configure) { m_configure = std::move(configure); }
    void setWakeTimerFactory(WakeTimerFactory factory) { m_wakeTimerFactory = std::move(factory); }
    // The editor step of an import; without one, the Show is taken as if
    // the editor's OK were pressed unchanged.
    void setShowEditor(ShowEditorStep editor) { m_showEditor = std::move(editor); }

    // Opens a run in the log: the empty line, then the system report.
    void openRun();

    // The main window's start-up, from loading the settings to the line
    // "Load Program.  Current Version".
    void start();

    // Stops the one-second tick and releases the wake-up timer; safe to
    // call twice.
    void shutdown();

    // The requests of a second start.
    // Quits at once, without asking.
    void quitAtOnce();
    // Brings the window to the front.
    void restoreWindow();
    // Brings the window to the front and imports the Show file the request
    // names.
    void restoreAndImport(const QString &importPath = QString());

    // Imports a Show file: parse, editor step, add to the list on OK.
    bool importShow(const QString &path);

    const Settings &settings() const { return m_settings; }
    Settings &settings() { return m_settings; }
    Ticker &ticker() { return m_ticker; }
    ShowList &shows() { return m_shows; }
    Scheduler &scheduler() { return m_scheduler; }
    ShowStore &showStore() { return m_showStore; }
    QString programFolder() const { return m_programFolder; }
    bool started() const { return m_started; }

Q_SIGNALS:
    void quitRequested();
    void restoreRequested();

private:
    void loadAndConfigureSettings();
    void ensureFolder(const QString &folder, const QString &missingText);
    void createDefaultFolders();
    void startScheduling();

    QString m_programFolder;
    const Clock &m_clock;
    ActivityLog &m_log;
    SettingsStore &m_settingsStore;
    Prompter &m_prompter;
    ConfigureSettings m_configure;
    WakeTimerFactory m_wakeTimerFactory;
    ShowEditorStep m_showEditor;
    Settings m_settings;
    ShowList m_shows;
    Scheduler m_scheduler;
    ShowStore m_showStore;
    std::unique_ptr<WakeTimer> m_wakeTimer;
    Ticker m_ticker;
    bool m_started = false;
};

// Hands a second start's request, as the instance sends it (message number,
// code and, for an import, the file it names), to the core; any other pair
// does nothing.
void deliverInstanceMessage(AppCore &core, int message, int code, const QString &importPath = QString());

inline const QString kMp3FolderMissingText =
    QStringLiteral("The folder for MP3 files no longer exists.  Please choose a new folder in Settings.");
inline const QString kTempFolderMissingText =
    QStringLiteral("The folder for Temporary files no longer exists.  Please choose a new folder in Settings.");

} // namespace skywell
