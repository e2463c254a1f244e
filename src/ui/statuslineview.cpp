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
    updateToolTip();
    update();
}

QRect StatusLineView::textRect() const
{
    return rect().adjusted(3, 0, 0, 0);
}

void StatusLineView::updateToolTip()
{
    const QString shown = QStringLiteral("Status: ") + m_text;
    setToolTip(fontMetrics().horizontalAdvance(shown) > textRect().width() ? m_text : QString());
}

void StatusLineView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateToolTip();
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
    const QRect area = textRect();
    const QString text = toolTip().isEmpty() ? drawnText()
                                             : fontMetrics().elidedText(QStringLiteral("Status: ") + m_text,
                                                                        Qt::ElideRight, area.width());
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

} // namespace skywell
