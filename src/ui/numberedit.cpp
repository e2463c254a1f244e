#include "ui/numberedit.h"

#include <QRegularExpressionValidator>

namespace skywell
{

NumberEdit::NumberEdit(QWidget *parent) : QLineEdit(parent)
{
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,12}")), this));
    setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12);
}

} // namespace skywell
