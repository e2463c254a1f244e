#pragma once

#include <QLineEdit>

namespace skywell
{

// A search box: Enter starts the search (returnPressed) and goes no
// further, so it never presses the dialog's default button.
class SearchField final : public QLineEdit
{
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace skywell
