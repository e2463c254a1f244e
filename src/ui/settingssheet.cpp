#include "ui/settingssheet.h"

#include "core/prompter.h"
#include "core/settingssheetrules.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWizard>

namespace skywell
{

namespace
{

const unsigned kPageBits[] = {kFoldersPage, kTuningPage, kConnectionsPage, kSoundMixerPage, kOtherPage};
const char *const kPageAnchors[] = {"settings_folders", "settings_tuning", "settings_connections",
                                    "settings_soundmixer", "settings_other"};

void setAnchor(const SettingsSheetContext &context, const QString &anchor)
{
    if (context.setHelpAnchor)
        context.setHelpAnchor(anchor);
}

// A wizard step around one settings page: it may be left forward only
// when the page's boxes are right.
class WizardStep final : public QWizardPage
{
public:
    WizardStep(SettingsPage *page, const QString &title, Prompter &prompter) : m_page(page), m_prompter(prompter)
    {
        setTitle(title);
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(page);
    }
    bool validatePage() override
    {
        if (const auto problem = m_page->problem()) {
            m_prompter.error(*problem, kCaption);
            return false;
        }
        return true;
    }

private:
    SettingsPage *m_page;
    Prompter &m_prompter;
};

bool runFirstTimeWizard(QWidget *parent, Settings &settings, SettingsSheetContext &context)
{
    QWizard wizard(parent);
    wizard.setObjectName(QStringLiteral("firstTimeWizard"));
    wizard.setWindowTitle(kSettingsSheetTitle);
    wizard.setWizardStyle(QWizard::ClassicStyle);
    wizard.setOption(QWizard::NoCancelButton, false);
    wizard.setButtonText(QWizard::NextButton, QStringLiteral("Next"));
    wizard.setButtonText(QWizard::BackButton, QStringLiteral("Back"));
    wizard.setButtonText(QWizard::FinishButton, QStringLiteral("Finish"));
    if (context.openHelp) {
        wizard.setOption(QWizard::HaveHelpButton);
        QObject::connect(&wizard, &QWizard::helpRequested, &wizard, [&context] { context.openHelp(); });
    }
    auto *folders = new FoldersPage;
    auto *connections = new ConnectionsPage;
    folders->fill(settings);
    connections->fill(settings);
    const SheetExtras extras = loadSheetExtras(context.settingsStore);
    connections->fillExtras(extras);
    wizard.addPage(new WizardStep(folders, QStringLiteral("Folders"), context.prompter));
    wizard.addPage(new WizardStep(connections, QStringLiteral("Connections"), context.prompter));
    setAnchor(context, QStringLiteral("settings_folders"));
    QObject::connect(&wizard, &QWizard::currentIdChanged, &wizard, [&context](int id) {
        setAnchor(context, QString::fromLatin1(id == 0 ? kPageAnchors[0] : kPageAnchors[2]));
    });
    // Finish accepts as OK does; an autostart entry that cannot be written
    // keeps the wizard open.
    for (;;) {
        if (wizard.exec() != QDialog::Accepted)
            return false;
        Settings pages = settings;
        folders->read(pages);
        connections->read(pages);
        const Settings accepted = settingsFromPages(settings, pages, kFoldersPage | kConnectionsPage);
        SheetExtras extraPages = extras;
        connections->readExtras(extraPages);
        const SheetExtras acceptedExtras = extrasFromPages(extras, extraPages, kConnectionsPage);
        if (saveAcceptedSettings(settings, accepted, context.settingsStore, context.autostart, context.prompter) &&
            saveSheetExtras(extras, acceptedExtras, context.settingsStore))
            return true;
        wizard.restart();
        wizard.next();
    }
}

} // namespace

SettingsSheet::SettingsSheet(const Settings &settings, SettingsSheetContext &context, QWidget *parent)
    : TabbedDialog(context.openHelp, parent), m_original(settings), m_extras(loadSheetExtras(context.settingsStore)),
      m_context(context)
{
    setWindowTitle(kSettingsSheetTitle);
    m_pages = {new FoldersPage, new TuningPage, new ConnectionsPage, new SoundMixerPage(context.services),
               new OtherPage(context.services)};
    const QString titles[] = {QStringLiteral("Folders"), QStringLiteral("Tuning"), QStringLiteral("Connections"),
                              QStringLiteral("Sound Mixer"), QStringLiteral("Other")};
    for (int i = 0; i < m_pages.size(); ++i) {
        m_pages[i]->fill(settings);
        m_pages[i]->fillExtras(m_extras);
        addPage(m_pages[i], titles[i]);
    }
    setAnchor(context, QStringLiteral("configuring"));
    startOnFirstPage();
}

bool SettingsSheet::checkShownPage(int index)
{
    if (const auto problem = m_pages[index]->problem()) {
        m_context.prompter.error(*problem, kCaption);
        return false;
    }
    return true;
}

void SettingsSheet::firstShown(int index)
{
    setAnchor(m_context, QString::fromLatin1(kPageAnchors[index]));
    m_pages[index]->firstShown();
}

void SettingsSheet::returnedTo(int index)
{
    // The wrong box takes the focus.
    m_pages[index]->problem();
}

unsigned SettingsSheet::shownPages() const
{
    unsigned bits = 0;
    for (int i = 0; i < m_pages.size(); ++i) {
        if (shown(i))
            bits |= kPageBits[i];
    }
    return bits;
}

void SettingsSheet::accept()
{
    for (int i = 0; i < m_pages.size(); ++i) {
        if (!pageIsRight(i)) {
            returnTo(i);
            return;
        }
    }
    Settings pages = m_original;
    SheetExtras extraPages = m_extras;
    for (int i = 0; i < m_pages.size(); ++i) {
        if (shown(i)) {
            m_pages[i]->read(pages);
            m_pages[i]->readExtras(extraPages);
        }
    }
    Settings settings = m_original;
    const Settings accepted = settingsFromPages(m_original, pages, shownPages());
    const SheetExtras acceptedExtras = extrasFromPages(m_extras, extraPages, shownPages());
    if (!saveAcceptedSettings(settings, accepted, m_context.settingsStore, m_context.autostart, m_context.prompter))
        return;
    m_original = settings;
    if (!saveSheetExtras(m_extras, acceptedExtras, m_context.settingsStore))
        return;
    m_extras = acceptedExtras;
    QDialog::accept();
}

bool runSettingsSheet(QWidget *parent, Settings &settings, bool firstTime, SettingsSheetContext &context)
{
    if (firstTime)
        return runFirstTimeWizard(parent, settings, context);
    SettingsSheet sheet(settings, context, parent);
    if (sheet.exec() != QDialog::Accepted)
        return false;
    settings = sheet.savedSettings();
    return true;
}

} // namespace skywell
