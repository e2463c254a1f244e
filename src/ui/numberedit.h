#pragma once

#include <QLineEdit>

namespace skywell
{

// A text box that takes digits only, as the number edits of the dialogs
// do; the text is still checked when the page is left (it may be empty).
class NumberEdit final : public QLineEdit
{
    Q_OBJECT
public:
    explicit NumberEdit(QWidget *parent = nullptr);
    void setNumber(qint64 value) { setText(QString::number(value)); }
};

} // namespace skywell
