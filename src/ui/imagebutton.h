#pragma once

#include "ui/skin.h"

#include <QAbstractButton>

namespace skywell
{

// A button drawn from a pair of pictures, the pressed one while it is
// held down. Its text stays its accessible name and what tests click.
// With the keyboard focus it shows a frame; Space, Enter and Return press it.
class ImageButton final : public QAbstractButton
{
    Q_OBJECT
public:
    ImageButton(const QString &text, ButtonFaces faces, QWidget *parent = nullptr);
    void setFaces(ButtonFaces faces);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    ButtonFaces m_faces;
};

} // namespace skywell
