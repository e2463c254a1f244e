#pragma once

#include "mixer/mixer.h"
#include "shows/show.h"
#include "shows/showeditorvalues.h"
#include "shows/showimport.h"
#include "ui/tabbeddialog.h"

#include <QList>

#include <functional>

namespace skywell
{

class Clock;
class EditorPage;
class Prompter;
class SettingsStore;
struct Settings;

// What the Show editor needs around it.
struct ShowEditorContext {
    SettingsStore &settingsStore;
    Prompter &prompter;
    const Clock &clock;
    const Settings &settings; // recordings folder ("mp3Folder")
    QString programFolder;    // where "custom.sh" is looked for
    // Whether the music library answers (asked when the Output page is
    // first shown); empty: not installed.
    std::function<bool()> musicLibraryInstalled;
    // The "Recording Source:" items for the wanted source, with "Direct
    // Download" (Mixer::fillSourceCombo); empty: only the wanted source.
    std::function<SourceCombo(const QString &wanted)> recordingSources;
    std::function<void()> testSources;   // "Test Recording Sources"
    std::function<void()> setupCdBurner; // "Setup CD Burner"
    std::function<void(const QString &anchor)> setHelpAnchor;
    // The "Help" button: the user guide at the current anchor; no button
    // when empty.
    std::function<void()> openHelp = {};
};

// "Scheduled Show Settings": the five pages of one Show as tabs, OK and
// Cancel. values() holds what OK handed back. The Summary page says what
// OK would save, as the pages stand whenever it is shown.
class ShowEditor final : public TabbedDialog
{
    Q_OBJECT
public:
    ShowEditor(const Show &show, ShowEditorContext &context, QWidget *parent = nullptr);

    const ShowEditorValues &values() const { return m_values; }
    void accept() override;

private:
    bool checkShownPage(int index) override;
    void firstShown(int index) override;
    void entered(int index) override;
    void refreshSummary();

    Show m_show;
    ShowEditorValues m_values;
    ShowEditorContext &m_context;
    QList<EditorPage *> m_pages;
};

// Opens the editor on show; on OK writes the pages back into it (the OK
// steps of acceptShowEditor, with their warnings) and returns true. Cancel
// leaves show as it was.
bool editShow(QWidget *parent, Show &show, ShowEditorContext &context);

// The editor as the import's step (AppCore::setShowEditor).
ShowEditorStep showEditorStep(QWidget *parent, ShowEditorContext &context);

inline const QString kShowEditorTitle = QStringLiteral("Scheduled Show Settings");

} // namespace skywell
