#pragma once

#include "core/autostart.h"
#include "core/firstrunsetup.h"
#include "core/settings.h"

#include <QWizard>

#include <functional>
#include <optional>

class QCheckBox;
class QLineEdit;

namespace skywell
{

class Prompter;
class SettingsStore;

// What the first-start wizard needs around it.
struct FirstRunContext {
    SettingsStore &settingsStore;
    Prompter &prompter;
    AutostartEntry autostart;
    // The wizard's Help button: the guide's first-start section; none when
    // empty.
    std::function<void()> openHelp = {};
};

// "Skywell Setup": the recordings and temporary folders on one page, then
// whether to start at login (off) and to test the recording sources (on).
// Finish checks the folders (creating missing ones), saves the settings
// ("First Time" = 0) and the login entry; a problem keeps it open.
class FirstRunWizard final : public QWizard
{
    Q_OBJECT
public:
    FirstRunWizard(Settings &settings, FirstRunContext &context, QWidget *parent = nullptr);

    FirstRunChoices choices() const;
    QLineEdit *recordingsBox() const { return m_recordings; }
    QLineEdit *tempBox() const { return m_temp; }
    QCheckBox *startAtLoginBox() const { return m_startAtLogin; }
    QCheckBox *sourceTestBox() const { return m_sourceTest; }

    bool validateCurrentPage() override;

private:
    Settings &m_settings;
    FirstRunContext &m_context;
    QLineEdit *m_recordings;
    QLineEdit *m_temp;
    QCheckBox *m_startAtLogin;
    QCheckBox *m_sourceTest;
    int m_foldersPage = 0;
};

// Runs the wizard; the choices taken, or nothing when it was cancelled
// (settings then unchanged and nothing saved).
std::optional<FirstRunChoices> runFirstRunWizard(QWidget *parent, Settings &settings, FirstRunContext &context);

inline const QString kFirstRunTitle = QStringLiteral("Skywell Setup");

} // namespace skywell
