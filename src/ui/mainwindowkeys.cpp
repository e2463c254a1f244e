// The main window without a mouse: the order Tab walks, the keys of the
// Show list and the window's shortcuts.
#include "ui/imagebutton.h"
#include "ui/mainwindow.h"
#include "ui/showlistview.h"

#include <QShortcut>

namespace skywell
{

void MainWindow::setUpKeyboard()
{
    // Tab walks the window as it reads: the title bar, the buttons beside
    // the list, the list, the row below.
    const int order[] = {About,      Help,        Minimize,   Exit,           AddShow,    EditShow,
                         DeleteShow, RecordNow,   TuneToShow, ViewRecordings, MoveShowUp, MoveShowDown,
                         -1,         QuickRecord, Settings,   ViewRecordLog,  UrlFinder};
    QWidget *previous = nullptr;
    for (const int id : order) {
        QWidget *next = id < 0 ? static_cast<QWidget *>(m_list) : button(id);
        if (previous)
            setTabOrder(previous, next);
        previous = next;
    }
    m_list->setFocus(Qt::OtherFocusReason);

    connect(m_list, &ShowListView::deleteRequested, this, [this] { command(DeleteShow); });
    connect(m_list, &ShowListView::editRequested, this, [this] { command(EditShow); });

    const std::pair<QKeySequence, int> shortcuts[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), AddShow},
        {QKeySequence(Qt::CTRL | Qt::Key_R), RecordNow},
        {QKeySequence(Qt::CTRL | Qt::Key_Q), Exit},
        {QKeySequence(Qt::Key_F1), Help},
    };
    for (const auto &[keys, id] : shortcuts) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, id = id] { command(id); });
    }
}

} // namespace skywell
