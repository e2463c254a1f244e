#pragma once

#include "app/appcore.h"
#include "shows/showimport.h"
#include "ui/addshowchooser.h"

#include <QString>
#include <functional>

class QWidget;

namespace skywell
{

class AppRun;
class Prompter;
class SettingsStore;
struct Show;

// The desktop's setting-up dialogs joined to the running program: the
// settings sheet (first start, missing folders, the "Settings" button),
// the Show editor (imports, Add Show, Edit) and the Add Show chooser.
class DesktopDialogs final
{
public:
    DesktopDialogs(AppRun &run, SettingsStore &settingsStore, Prompter &prompter);

    // The window the dialogs belong to, how they set its help anchor and
    // how its help opens (the dialogs' "Help" button; none when empty).
    void setWindow(QWidget *window, std::function<void(const QString &anchor)> setHelpAnchor = {},
                   std::function<void()> openHelp = {});
    // The user guide at a given section (the file-name format's "What's
    // This?").
    void setUserGuide(std::function<void(const QString &anchor)> openAt) { m_openGuideAt = std::move(openAt); }

    // For AppRun::start: first start and missing folders open the sheet.
    AppCore::ConfigureSettings configureSettings();
    // For AppRun::setShowEditor (before start): imports open the editor.
    ShowEditorStep showEditorStep();

    // After AppRun::start: on a first start, the "Recording Source Test"
    // dialog (the test needs the mixer, which exists only once started).
    void finishFirstStart();

    // The "Settings" button: the full sheet on the running settings.
    bool runSettings();

    // The program is to end (SIGTERM, a quit request): the settings sheet
    // and the first start's source test no longer open, and every dialog
    // open now is cancelled (its nested loop would hold the quit).
    void endWithoutAsking();
    // The editor on show (Add Show's new Show, or a copy to edit).
    bool editShow(Show &show);
    AddShowChoice chooseHowToAddShow();

private:
    bool runSheet(Settings &settings, bool firstTime);

    AppRun &m_run;
    SettingsStore &m_settingsStore;
    Prompter &m_prompter;
    QWidget *m_window = nullptr;
    std::function<void(const QString &)> m_setHelpAnchor;
    std::function<void()> m_openHelp;
    std::function<void(const QString &)> m_openGuideAt;
    bool m_firstStart = false;
    bool m_ending = false;
};

} // namespace skywell
