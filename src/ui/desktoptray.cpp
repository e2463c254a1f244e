#include "ui/desktoptray.h"

#include "ui/skin.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace skywell
{

DesktopTray::DesktopTray(QObject *parent)
    : QObject(parent), m_icon(new QSystemTrayIcon(this)), m_menu(new QMenu), m_recordNow(nullptr), m_stop(nullptr)
{
    m_icon->setIcon(Skin::trayIcon(false));
    m_icon->setToolTip(QStringLiteral("Skywell"));
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            Q_EMIT restoreRequested();
    });
    connect(m_icon, &QSystemTrayIcon::messageClicked, this, &DesktopTray::restoreRequested);
    m_menu->addAction(QStringLiteral("Show Skywell"), this, &DesktopTray::restoreRequested);
    m_recordNow = m_menu->addAction(QStringLiteral("Record Now"), this, &DesktopTray::recordNowRequested);
    m_stop = m_menu->addAction(QStringLiteral("Stop Recording"), this, &DesktopTray::stopRecordingRequested);
    m_menu->addAction(QStringLiteral("Quick Record"), this, &DesktopTray::quickRecordRequested);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("Exit"), this, &DesktopTray::exitRequested);
    connect(m_menu, &QMenu::aboutToShow, this, &DesktopTray::menuAboutToShow);
    setMenuState(QString(), QString());
    m_icon->setContextMenu(m_menu);
    // Shown even without a notification area, so that it docks when one
    // starts later.
    m_icon->show();
}

DesktopTray::~DesktopTray()
{
    m_icon->hide();
    delete m_menu;
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

void DesktopTray::setToolTip(const QString &text)
{
    if (m_icon->toolTip() != text)
        m_icon->setToolTip(text);
}

QString DesktopTray::toolTip() const
{
    return m_icon->toolTip();
}

namespace
{
// An action's text with a name in it: "&" in the name is no shortcut.
QString withName(const QString &text, const QString &name)
{
    if (name.isEmpty())
        return text;
    return text + QStringLiteral(": ") + QString(name).replace(QLatin1Char('&'), QStringLiteral("&&"));
}
} // namespace

void DesktopTray::setMenuState(const QString &showToRecord, const QString &recordingToStop)
{
    m_recordNow->setText(withName(QStringLiteral("Record Now"), showToRecord));
    m_recordNow->setEnabled(!showToRecord.isEmpty());
    m_stop->setText(withName(QStringLiteral("Stop Recording"), recordingToStop));
    m_stop->setEnabled(!recordingToStop.isEmpty());
}

bool DesktopTray::notify(const QString &text, QString *whyNot)
{
    QString reason;
    if (!available())
        reason = QStringLiteral("the desktop has no notification area");
    else if (!QSystemTrayIcon::supportsMessages())
        reason = QStringLiteral("the desktop shows no notifications");
    if (!reason.isEmpty()) {
        if (whyNot)
            *whyNot = reason;
        return false;
    }
    m_icon->showMessage(QStringLiteral("Skywell"), text, Skin::applicationIcon(), 10000);
    return true;
}

void DesktopTray::hide()
{
    m_icon->hide();
}

} // namespace skywell
