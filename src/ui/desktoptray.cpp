#include "ui/desktoptray.h"

#include "ui/skin.h"

#include <QSystemTrayIcon>

namespace skywell
{

DesktopTray::DesktopTray(QObject *parent) : QObject(parent), m_icon(new QSystemTrayIcon(this))
{
    m_icon->setIcon(Skin::trayIcon(false));
    m_icon->setToolTip(QStringLiteral("Skywell"));
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            Q_EMIT restoreRequested();
    });
    // Shown even without a notification area, so that it docks when one
    // starts later.
    m_icon->show();
}

DesktopTray::~DesktopTray()
{
    m_icon->hide();
}

bool DesktopTray::available() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void DesktopTray::setRecording(bool recording)
{
    if (recording == m_recording)
        return;
    m_recording = recording;
    m_icon->setIcon(Skin::trayIcon(recording));
}

QRect DesktopTray::geometry() const
{
    return m_icon->geometry();
}

void DesktopTray::hide()
{
    m_icon->hide();
}

} // namespace skywell
