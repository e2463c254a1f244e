#include "ui/mainwindow.h"

#include "core/prompter.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace skywell
{

MainWindow::MainWindow(Prompter &prompter, QWidget *parent) : QWidget(parent), m_prompter(prompter)
{
    setWindowTitle(QStringLiteral("Skywell"));
    auto *layout = new QVBoxLayout(this);
    auto *status = new QLabel(QStringLiteral("Status: Ready"), this);
    auto *quit = new QPushButton(QStringLiteral("Quit"), this);
    quit->setToolTip(QStringLiteral("Exit Skywell"));
    layout->addWidget(status);
    layout->addStretch();
    layout->addWidget(quit);
    resize(594, 475);
    connect(quit, &QPushButton::clicked, this, [this] {
        if (confirmQuit()) {
            Q_EMIT exitPosition(x(), y());
            closeWithoutAsking();
        }
    });
}

void MainWindow::moveToSavedPosition(int left, int top)
{
    if (left == 0 && top == 0)
        move(x(), 30);
    else
        move(left, top);
}

void MainWindow::restore()
{
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::closeWithoutAsking()
{
    m_closing = true;
    close();
}

bool MainWindow::confirmQuit()
{
    return m_prompter.question(kQuitQuestion);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_closing || confirmQuit()) {
        m_closing = true;
        event->accept();
        Q_EMIT quitConfirmed();
        return;
    }
    event->ignore();
}

} // namespace skywell
