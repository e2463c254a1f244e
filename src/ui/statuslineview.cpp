#include "ui/statuslineview.h"

#include <QPainter>

namespace skywell
{

StatusLineView::StatusLineView(QWidget *parent) : QWidget(parent)
{
}

void StatusLineView::setStatus(const QString &text)
{
    m_text = text.isEmpty() ? QStringLiteral("Ready") : text;
    update();
}

QString StatusLineView::drawnText() const
{
    return QStringLiteral("%1: %2").arg(QStringLiteral("Status"), m_text) + QString(18, QLatin1Char(' '));
}

void StatusLineView::paintEvent(QPaintEvent *)
{
    // No fill of its own: the skin's panel behind shows through, so the
    // box is one colour up to its frame.
    QPainter painter(this);
    painter.setPen(QColor(20, 30, 50));
    painter.drawText(rect().adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, drawnText());
}

} // namespace skywell
