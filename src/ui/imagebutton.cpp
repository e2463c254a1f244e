#include "ui/imagebutton.h"

#include <QPainter>

namespace skywell
{

ImageButton::ImageButton(const QString &text, ButtonFaces faces, QWidget *parent)
    : QAbstractButton(parent), m_faces(std::move(faces))
{
    setText(text);
    setAccessibleName(text);
    setCursor(Qt::PointingHandCursor);
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
}

} // namespace skywell
