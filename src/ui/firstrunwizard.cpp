#include "ui/firstrunwizard.h"

#include "core/prompter.h"
#include "core/settingssheetrules.h"
#include "ui/folderpicker.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace skywell
{

namespace
{

QLineEdit *folderRow(QWizardPage *page, QGridLayout *grid, int row, const QString &label, const QString &folder)
{
    auto *box = new QLineEdit(folder, page);
    auto *caption = new QLabel(label, page);
    caption->setBuddy(box);
    auto *browse = new QPushButton(QStringLiteral("Browse..."), page);
    QObject::connect(browse, &QPushButton::clicked, page, [page, box] { browseForFolder(page, box); });
    grid->addWidget(caption, row * 2, 0, 1, 2);
    grid->addWidget(box, row * 2 + 1, 0);
    grid->addWidget(browse, row * 2 + 1, 1);
    return box;
}

} // namespace

FirstRunWizard::FirstRunWizard(Settings &settings, FirstRunContext &context, QWidget *parent)
    : QWizard(parent), m_settings(settings), m_context(context)
{
    setObjectName(QStringLiteral("firstRunWizard"));
    setWindowTitle(kFirstRunTitle);
    setWizardStyle(QWizard::ClassicStyle);
    if (context.openHelp) {
        setOption(QWizard::HaveHelpButton);
        connect(this, &QWizard::helpRequested, this, [&context] { context.openHelp(); });
    }
    const FirstRunChoices offered = firstRunChoices(settings);

    auto *folders = new QWizardPage(this);
    folders->setTitle(QStringLiteral("Where your recordings go"));
    folders->setSubTitle(QStringLiteral("Welcome to Skywell. Two folders, then you are ready."));
    auto *grid = new QGridLayout(folders);
    m_recordings =
        folderRow(folders, grid, 0, QStringLiteral("Save recordings to this &folder:"), offered.recordingsFolder);
    m_temp = folderRow(folders, grid, 1, QStringLiteral("&Temporary files while recording (a few GB free):"),
                       offered.tempFolder);
    auto *note = new QLabel(QStringLiteral("Missing folders are created when you go on."), folders);
    note->setWordWrap(true);
    grid->addWidget(note, 4, 0, 1, 2);
    m_foldersPage = addPage(folders);

    auto *starting = new QWizardPage(this);
    starting->setTitle(QStringLiteral("Starting and testing"));
    starting->setSubTitle(QStringLiteral("Both can be changed later in Settings."));
    auto *column = new QVBoxLayout(starting);
    m_startAtLogin = new QCheckBox(QStringLiteral("Start Skywell when I &log in"), starting);
    m_startAtLogin->setChecked(offered.startAtLogin);
    auto *loginNote =
        new QLabel(QStringLiteral("Shows are recorded only while Skywell runs. Started at login it waits in the "
                                  "notification area."),
                   starting);
    loginNote->setWordWrap(true);
    m_sourceTest = new QCheckBox(QStringLiteral("&Test the recording sources now (plays a short sound)"), starting);
    m_sourceTest->setChecked(offered.runSourceTest);
    column->addWidget(m_startAtLogin);
    column->addWidget(loginNote);
    column->addSpacing(12);
    column->addWidget(m_sourceTest);
    column->addStretch(1);
    addPage(starting);
}

FirstRunChoices FirstRunWizard::choices() const
{
    FirstRunChoices choices;
    choices.recordingsFolder = m_recordings->text();
    choices.tempFolder = m_temp->text();
    choices.startAtLogin = m_startAtLogin->isChecked();
    choices.runSourceTest = m_sourceTest->isChecked();
    return choices;
}

bool FirstRunWizard::validateCurrentPage()
{
    const FirstRunChoices taken = choices();
    if (currentId() == m_foldersPage || nextId() == -1) {
        if (const std::optional<QString> problem = firstRunProblem(taken)) {
            m_context.prompter.error(*problem);
            if (currentId() != m_foldersPage)
                restart();
            return false;
        }
    }
    if (nextId() != -1)
        return true;
    // Finish: the settings and the login entry, or stay open.
    return saveAcceptedSettings(m_settings, settingsFromFirstRun(m_settings, taken), m_context.settingsStore,
                                m_context.autostart, m_context.prompter);
}

std::optional<FirstRunChoices> runFirstRunWizard(QWidget *parent, Settings &settings, FirstRunContext &context)
{
    FirstRunWizard wizard(settings, context, parent);
    if (wizard.exec() != QDialog::Accepted)
        return std::nullopt;
    return wizard.choices();
}

} // namespace skywell
