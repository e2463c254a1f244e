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
const char *const kPageAnchors[] = {"", "tuning", "schedule", "output", "recording"};
} // namespace

ShowEditor::ShowEditor(const Show &show, ShowEditorContext &context, QWidget *parent)
    : QDialog(parent), m_show(show),
      m_values(openShowEditor(show, context.clock.now(), context.settingsStore, context.clock)), m_context(context),
      m_tabs(new QTabWidget(this))
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
        m_tabs->addTab(m_pages[i], titles[i]);
        m_shown.append(false);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &ShowEditor::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ShowEditor::reject);
    if (context.openHelp) {
        buttons->addButton(QDialogButtonBox::Help);
        connect(buttons, &QDialogButtonBox::helpRequested, this, [&context] { context.openHelp(); });
    }
    if (context.setHelpAnchor)
        context.setHelpAnchor(QStringLiteral("tuning"));
    pageChanged(0);
    connect(m_tabs, &QTabWidget::currentChanged, this, &ShowEditor::pageChanged);
}

bool ShowEditor::checkPage(int index)
{
    if (!m_shown[index])
        return true;
    if (const auto problem = m_pages[index]->problem()) {
        m_context.prompter.error(problem->text, problem->caption);
        return false;
    }
    return true;
}

void ShowEditor::pageChanged(int index)
{
    if (m_returning || index < 0)
        return;
    if (index != m_current && !checkPage(m_current)) {
        m_returning = true;
        m_tabs->setCurrentIndex(m_current);
        m_returning = false;
        return;
    }
    m_current = index;
    if (index == 0)
        refreshSummary();
    if (!m_shown[index]) {
        m_shown[index] = true;
        if (index > 0 && m_context.setHelpAnchor)
            m_context.setHelpAnchor(QString::fromLatin1(kPageAnchors[index]));
        m_pages[index]->firstShown();
    }
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
    QList<int> order{m_current};
    for (int i = 0; i < m_pages.size(); ++i) {
        if (i != m_current)
            order.append(i);
    }
    for (const int i : order) {
        if (!checkPage(i)) {
            m_returning = true;
            m_tabs->setCurrentIndex(i);
            m_returning = false;
            m_current = i;
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
