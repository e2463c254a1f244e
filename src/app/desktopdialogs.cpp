#include "app/desktopdialogs.h"

#include "app/apprun.h"
#include "app/recordingservice.h"
#include "core/autostart.h"
#include "core/settingsstore.h"
#include "core/userguide.h"
#include "tuning/catalogueupdate.h"
#include "ui/firstrunwizard.h"
#include "ui/settingssheet.h"
#include "ui/settingssheetservices.h"
#include "ui/showeditor.h"
#include "ui/sourcetestdialog.h"

#include <QApplication>
#include <QDialog>

namespace skywell
{

DesktopDialogs::DesktopDialogs(AppRun &run, SettingsStore &settingsStore, Prompter &prompter)
    : m_run(run), m_settingsStore(settingsStore), m_prompter(prompter)
{
}

void DesktopDialogs::setWindow(QWidget *window, std::function<void(const QString &)> setHelpAnchor,
                               std::function<void()> openHelp)
{
    m_window = window;
    m_setHelpAnchor = std::move(setHelpAnchor);
    m_openHelp = std::move(openHelp);
}

void DesktopDialogs::endWithoutAsking()
{
    m_ending = true;
    // Queued: a dialog whose exec() is still starting its loop would not
    // see a reject made now.
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<QDialog *>(widget); dialog && dialog->isVisible())
            QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
    }
}

bool DesktopDialogs::runSheet(Settings &settings, bool firstTime)
{
    if (m_ending)
        return false;
    // The source test and the CD writer exist only once the program has
    // started; the sheet may open before (first start, missing folder).
    SettingsSheetContext context{
        m_settingsStore,
        m_prompter,
        AutostartEntry(m_settingsStore.userRoot(), SettingsStore::defaultMachineRoot(),
                       QCoreApplication::applicationFilePath()),
        desktopSheetServices(
            m_prompter, m_run.captureDeviceNames(), [this] { return m_run.sourceTest(); },
            [this] { return m_run.recordings() ? &m_run.recordings()->cdWriter() : nullptr; },
            m_settingsStore.readString(kCatalogueAddressSetting, SettingsGroup::Options).trimmed()),
        m_setHelpAnchor,
        m_openHelp};
    if (m_openGuideAt)
        context.services.openFileNamesHelp = [open = m_openGuideAt] { open(GuideSection::fileNames); };
    return runSettingsSheet(m_window, settings, firstTime, context);
}

AppCore::ConfigureSettings DesktopDialogs::configureSettings()
{
    return [this](Settings &settings, bool firstTime) {
        if (!firstTime)
            return runSheet(settings, false);
        if (m_ending)
            return false;
        // One wizard asks the first start's questions.
        FirstRunContext context{m_settingsStore, m_prompter,
                                AutostartEntry(m_settingsStore.userRoot(), SettingsStore::defaultMachineRoot(),
                                               QCoreApplication::applicationFilePath())};
        if (m_openGuideAt)
            context.openHelp = [open = m_openGuideAt] { open(GuideSection::firstStart); };
        const std::optional<FirstRunChoices> choices = runFirstRunWizard(m_window, settings, context);
        m_firstStart = choices && choices->runSourceTest;
        return choices.has_value();
    };
}

void DesktopDialogs::finishFirstStart()
{
    if (!m_firstStart || !m_run.sourceTest() || m_ending)
        return;
    m_firstStart = false;
    SourceTestDialog dialog(*m_run.sourceTest(), m_window);
    dialog.exec();
}

bool DesktopDialogs::runSettings()
{
    return runSheet(m_run.core().settings(), false);
}

bool DesktopDialogs::editShow(Show &show)
{
    AppCore &core = m_run.core();
    SystemClock clock;
    ShowEditorContext context{m_settingsStore, m_prompter, clock, core.settings(), core.programFolder()};
    context.musicLibraryInstalled = [this] {
        return m_run.recordings() && m_run.recordings()->musicLibrary().isMusicLibraryInstalled();
    };
    context.recordingSources = [this](const QString &wanted) {
        return m_run.mixer() ? m_run.mixer()->fillSourceCombo(wanted, true) : SourceCombo{};
    };
    context.testSources = [this, &core] {
        if (m_run.sourceTest())
            runSourceTestWaiting(*m_run.sourceTest(), core.settings().soundCard, true);
    };
    context.setupCdBurner = [this] {
        if (m_run.recordings())
            m_run.recordings()->cdWriter().setupCDBurner();
    };
    context.setHelpAnchor = m_setHelpAnchor;
    context.openHelp = m_openHelp;
    return skywell::editShow(m_window, show, context);
}

ShowEditorStep DesktopDialogs::showEditorStep()
{
    return [this](Show &show) { return editShow(show); };
}

AddShowChoice DesktopDialogs::chooseHowToAddShow()
{
    return skywell::chooseHowToAddShow(m_window);
}

} // namespace skywell
