#include "ui/desktoptray.h"

#include "core/clock.h"
#include "shows/showlistcommands.h"
#include "ui/skin.h"

#include <QMenu>
#include <QSystemTrayIcon>

#include <limits>

namespace skywell
{

namespace
{
// A name kept apart from the text around it: a right-to-left name does not
// reorder the words before and after it.
QString isolated(const QString &name)
{
    return QChar(0x2068) + name + QChar(0x2069);
}
} // namespace

QString trayToolTip(const ShowList &shows, const QString &recordingName, const Clock &clock)
{
    QString tip = QStringLiteral("Skywell");
    if (!recordingName.isEmpty())
        tip += QStringLiteral("\nRecording: ") + isolated(recordingName);
    const Show *next = nullptr;
    std::int64_t nextStart = std::numeric_limits<std::int64_t>::max();
    const std::int64_t now = clock.now();
    for (const Show &show : shows) {
        if (showsAsUnscheduled(show) || show.endTime <= now || fieldText(show.name) == recordingName)
            continue;
        if (show.startTime < nextStart) {
            nextStart = show.startTime;
            next = &show;
        }
    }
    if (next)
        tip += QStringLiteral("\nNext: ") + isolated(fieldText(next->name)) + QStringLiteral(", ") +
               nextRecordingColumn(*next, clock);
    else
        tip += QStringLiteral("\nNo Show scheduled");
    return tip;
}

QString recordingEndedNotice(const QString &name, int savedTracks, const QString &outcome)
{
    QString text;
    if (savedTracks > 0)
        text = QStringLiteral("Saved %1 %2 of %3")
                   .arg(savedTracks)
                   .arg(savedTracks == 1 ? QStringLiteral("track") : QStringLiteral("tracks"), isolated(name));
    else
        text = QStringLiteral("Nothing of %1 was saved").arg(isolated(name));
    const QString reason = outcome.trimmed();
    if (!reason.isEmpty())
        text += QStringLiteral(": ") + reason;
    return text;
}

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
    setMenuState(QString(), false);
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

void DesktopTray::setMenuState(const QString &selectedShow, bool recording)
{
    m_recordNow->setText(selectedShow.isEmpty() || recording
                             ? QStringLiteral("Record Now")
                             : QStringLiteral("Record Now: ") +
                                   QString(selectedShow).replace(QLatin1Char('&'), QStringLiteral("&&")));
    m_recordNow->setEnabled(!selectedShow.isEmpty() && !recording);
    m_stop->setEnabled(recording);
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
