#include "ui/searchfield.h"

#include <QKeyEvent>

namespace skywell
{

void SearchField::keyPressEvent(QKeyEvent *event)
{
    QLineEdit::keyPressEvent(event);
    // The line edit lets Enter through to the dialog after reporting it.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        event->accept();
}

} // namespace skywell
