#include "progresswindow.h"

#include "burner.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace skywell::cdwrite
{

ProgressWindow::ProgressWindow(const QString &title, Burner &burner)
{
    setWindowTitle(QStringLiteral("Skywell CD Writer"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(title, this));
    auto *bar = new QProgressBar(this);
    bar->setRange(0, 0); // the tools report no reliable total: a busy bar
    layout->addWidget(bar);
    m_line = new QLabel(this);
    m_line->setMinimumWidth(360);
    m_line->setWordWrap(true);
    layout->addWidget(m_line);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    layout->addWidget(cancel, 0, Qt::AlignRight);
    connect(cancel, &QPushButton::clicked, this, [&burner, cancel] {
        cancel->setEnabled(false);
        burner.cancel();
    });
}

void ProgressWindow::showLine(const QString &line)
{
    m_line->setText(line);
}

} // namespace skywell::cdwrite
