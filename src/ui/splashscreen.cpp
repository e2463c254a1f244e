#include "ui/splashscreen.h"

#include "ui/skin.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace skywell
{

SplashScreen::SplashScreen(QWidget *parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setFixedSize(kWidth, kHeight);
    setModal(true);
    QTimer::singleShot(kShowMs, this, &QDialog::accept);
}

void SplashScreen::showModal()
{
    SplashScreen splash;
    splash.exec();
}

void SplashScreen::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, Skin::splash(devicePixelRatioF()));
}

void SplashScreen::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        accept();
}

} // namespace skywell
