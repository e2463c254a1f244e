#pragma once

#include "core/autostart.h"
#include "core/settings.h"
#include "ui/settingspages.h"
#include "ui/tabbeddialog.h"

#include <QList>

#include <functional>

namespace skywell
{

class Prompter;
class SettingsStore;

// What the sheet needs around it.
struct SettingsSheetContext {
    SettingsStore &settingsStore;
    Prompter &prompter;
    AutostartEntry autostart;
    SettingsSheetServices services;
    // The main window's help anchor ("configuring", "settings_folders" ...).
    std::function<void(const QString &anchor)> setHelpAnchor;
    // The "Help" button: the user guide at the current anchor; no button
    // when empty.
    std::function<void()> openHelp = {};
};

// "Skywell Settings": the five pages as tabs, OK and Cancel. Works on a
// copy; accepted() holds what OK handed back.
class SettingsSheet final : public TabbedDialog
{
    Q_OBJECT
public:
    SettingsSheet(const Settings &settings, SettingsSheetContext &context, QWidget *parent = nullptr);

    // The settings as saved by OK (before that, as given).
    const Settings &savedSettings() const { return m_original; }
    void accept() override;

private:
    bool checkShownPage(int index) override;
    void firstShown(int index) override;
    void returnedTo(int index) override;
    // The pages shown so far, as page bits.
    unsigned shownPages() const;

    Settings m_original;
    SheetExtras m_extras;
    SettingsSheetContext &m_context;
    QList<SettingsPage *> m_pages;
};

// The sheet (firstTime: the two-page wizard, Folders then Connections).
// On OK or Finish the settings are saved and the autostart entry follows
// "Start Skywell when I log in"; true then. Cancel changes nothing.
bool runSettingsSheet(QWidget *parent, Settings &settings, bool firstTime, SettingsSheetContext &context);

inline const QString kSettingsSheetTitle = QStringLiteral("Skywell Settings");

} // namespace skywell
