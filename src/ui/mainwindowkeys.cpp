// The main window without a mouse: the order Tab walks, the keys of the
// Show list and the window's shortcuts.
#include "ui/imagebutton.h"
#include "ui/mainwindow.h"
#include "ui/showlistview.h"

#include <QShortcut>

#include <vector>

namespace skywell
{

void MainWindow::setUpKeyboard()
{
    // Tab walks the window as it reads: the title bar, the buttons beside
    // the list, the list, the row below.
    std::vector<QWidget *> order;
    for (const Button id : {About, Help, Minimize, Exit, AddShow, EditShow, DeleteShow, RecordNow, TuneToShow,
                            ViewRecordings, MoveShowUp, MoveShowDown})
        order.push_back(button(id));
    order.push_back(m_list);
    for (const Button id : {QuickRecord, Settings, ViewRecordLog, UrlFinder})
        order.push_back(button(id));
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    m_list->setFocus(Qt::OtherFocusReason);

    connect(m_list, &ShowListView::deleteRequested, this, &MainWindow::deleteShow);
    connect(m_list, &ShowListView::editRequested, this, &MainWindow::editShow);

    const std::pair<QKeySequence, void (MainWindow::*)()> shortcuts[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), &MainWindow::addShow},
        {QKeySequence(Qt::CTRL | Qt::Key_R), &MainWindow::recordNow},
        {QKeySequence(Qt::CTRL | Qt::Key_Q), &MainWindow::confirmExit},
        {QKeySequence(Qt::Key_F1), &MainWindow::showHelp},
    };
    for (const auto &[keys, slot] : shortcuts) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, slot);
    }
}

} // namespace skywell
