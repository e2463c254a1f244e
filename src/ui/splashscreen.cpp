#include "ui/splashscreen.h"

#include "core/version.h"

#include <QLinearGradient>
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
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0.0, QColor(0, 67, 163));
    sky.setColorAt(1.0, QColor(120, 180, 235));
    painter.fillRect(rect(), sky);
    painter.setPen(Qt::white);
    QFont title = font();
    title.setPointSize(30);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(rect().adjusted(0, -20, 0, -20), Qt::AlignCenter, QStringLiteral("Skywell"));
    QFont small = font();
    small.setPointSize(10);
    painter.setFont(small);
    painter.drawText(rect().adjusted(0, 70, 0, 0), Qt::AlignCenter,
                     QStringLiteral("Internet radio recorder  %1").arg(QString::fromLatin1(kVersionText)));
}

void SplashScreen::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        accept();
}

} // namespace skywell
