#include "ui/showeditor.h"

#include "core/clock.h"
#include "core/prompter.h"
#include "shows/show.h"
#include "ui/editorpages.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace skywell
{

namespace
{
// The help anchor each page sets when first shown (Summary sets none).
const char *const kEditorPageAnchors[] = {"", "tuning", "schedule", "output", "recording"};
} // namespace

ShowEditor::ShowEditor(const Show &show, ShowEditorContext &context, QWidget *parent)
    : TabbedDialog(context.openHelp, parent), m_show(show),
      m_values(openShowEditor(show, context.clock.now(), context.settingsStore, context.clock)), m_context(context)
{
    const ShowEditorValues &values = m_values;
    setWindowTitle(kShowEditorTitle);
    auto *output = new OutputPage(context);
    auto *recording = new RecordingPage(context);
    m_pages = {new SummaryPage(context), new ShowTuningPage, new SchedulePage, output, recording};
    connect(recording, &RecordingPage::streamSourceChosen, output, &OutputPage::setStreamSource);
    const QString titles[] = {QStringLiteral("Summary"), QStringLiteral("Tuning"), QStringLiteral("Schedule"),
                              QStringLiteral("Output"), QStringLiteral("Recording")};
    for (int i = 0; i < m_pages.size(); ++i) {
        m_pages[i]->fill(values);
        addPage(m_pages[i], titles[i]);
    }
    if (context.setHelpAnchor)
        context.setHelpAnchor(QStringLiteral("tuning"));
    startOnFirstPage();
}

bool ShowEditor::checkShownPage(int index)
{
    if (const auto problem = m_pages[index]->problem()) {
        m_context.prompter.error(problem->text, problem->caption);
        return false;
    }
    return true;
}

void ShowEditor::entered(int index)
{
    if (index == 0)
        refreshSummary();
}

void ShowEditor::firstShown(int index)
{
    if (index > 0 && m_context.setHelpAnchor)
        m_context.setHelpAnchor(QString::fromLatin1(kEditorPageAnchors[index]));
    m_pages[index]->firstShown();
}

void ShowEditor::refreshSummary()
{
    ShowEditorValues current = m_values;
    for (EditorPage *page : m_pages)
        page->read(current);
    static_cast<SummaryPage *>(m_pages[0])
        ->setSummary(editorSummary(current, m_show, m_context.clock.now(), m_context.clock));
}

void ShowEditor::accept()
{
    // The active page first, then every page shown: no Show is saved with
    // an empty name or a number edit that holds no integer.
    QList<int> order{currentPage()};
    for (int i = 0; i < m_pages.size(); ++i) {
        if (i != currentPage())
            order.append(i);
    }
    for (const int i : order) {
        if (!pageIsRight(i)) {
            returnTo(i);
            return;
        }
    }
    for (EditorPage *page : m_pages)
        page->read(m_values);
    QDialog::accept();
}

bool editShow(QWidget *parent, Show &show, ShowEditorContext &context)
{
    ShowEditor editor(show, context, parent);
    for (;;) {
        if (editor.exec() != QDialog::Accepted)
            return false;
        if (acceptShowEditor(editor.values(), show, context.clock.now(), context.settingsStore, context.prompter))
            return true;
        // A recording source that cannot be kept: back to the editor.
        editor.tabs()->setCurrentIndex(editor.tabs()->count() - 1);
    }
}

ShowEditorStep showEditorStep(QWidget *parent, ShowEditorContext &context)
{
    return [parent, &context](Show &show) { return editShow(parent, show, context); };
}

} // namespace skywell
