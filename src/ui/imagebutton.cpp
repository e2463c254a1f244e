#include "ui/imagebutton.h"

#include <QKeyEvent>
#include <QPainter>

namespace skywell
{

ImageButton::ImageButton(const QString &text, ButtonFaces faces, QWidget *parent)
    : QAbstractButton(parent), m_faces(std::move(faces))
{
    setText(text);
    setAccessibleName(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void ImageButton::setFaces(ButtonFaces faces)
{
    m_faces = std::move(faces);
    update();
}

QSize ImageButton::sizeHint() const
{
    return m_faces.normal.deviceIndependentSize().toSize();
}

void ImageButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(rect(), isDown() ? m_faces.pressed : m_faces.normal);
    if (!hasFocus())
        return;
    // The keyboard focus: a frame in the desktop's highlight colour with a
    // white edge inside, seen on light and dark faces alike.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
    painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter.drawRoundedRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5), 3, 3);
}

void ImageButton::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

} // namespace skywell
