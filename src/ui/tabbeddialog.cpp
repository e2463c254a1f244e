#include "ui/tabbeddialog.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace skywell
{

TabbedDialog::TabbedDialog(const std::function<void()> &openHelp, QWidget *parent)
    : QDialog(parent), m_tabs(new QTabWidget(this))
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TabbedDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TabbedDialog::reject);
    if (openHelp) {
        buttons->addButton(QDialogButtonBox::Help);
        connect(buttons, &QDialogButtonBox::helpRequested, this, [openHelp] { openHelp(); });
    }
}

void TabbedDialog::addPage(QWidget *page, const QString &title)
{
    m_tabs->addTab(page, title);
    m_shown.append(false);
}

void TabbedDialog::startOnFirstPage()
{
    pageChanged(0);
    connect(m_tabs, &QTabWidget::currentChanged, this, &TabbedDialog::pageChanged);
}

bool TabbedDialog::pageIsRight(int index)
{
    return !shown(index) || checkShownPage(index);
}

void TabbedDialog::returnTo(int index)
{
    m_returning = true;
    m_tabs->setCurrentIndex(index);
    m_returning = false;
    m_current = index;
    returnedTo(index);
}

void TabbedDialog::pageChanged(int index)
{
    if (m_returning || index < 0)
        return;
    if (index != m_current && !pageIsRight(m_current)) {
        // Back to the page with the wrong box.
        returnTo(m_current);
        return;
    }
    m_current = index;
    entered(index);
    if (!m_shown[index]) {
        m_shown[index] = true;
        firstShown(index);
    }
}

} // namespace skywell
