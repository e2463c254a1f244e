#pragma once

#include <QObject>
#include <QRect>
#include <QString>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace skywell
{

// The notification-area icon: its tip, the idle or the recording picture,
// a left click that asks for the window, a menu of the main commands and
// desktop notifications. Where the desktop has no notification area,
// available() is false and the window minimises the ordinary way.
class DesktopTray final : public QObject
{
    Q_OBJECT
public:
    explicit DesktopTray(QObject *parent = nullptr);
    ~DesktopTray() override;

    bool available() const;
    void setRecording(bool recording);
    bool recording() const { return m_recording; }
    void hide();
    // Where the icon sits on the screen; empty when it is not docked.
    QRect geometry() const;
    void setToolTip(const QString &text);
    QString toolTip() const;
    // What the menu offers now: Record Now for the Show named, Stop
    // Recording for the recording named (none: not offered).
    void setMenuState(const QString &showToRecord, const QString &recordingToStop);
    QMenu *menu() const { return m_menu; }
    // A desktop notification (a freedesktop notification where a server
    // runs, else the tray's own balloon). False, with the reason, when the
    // desktop can show none.
    bool notify(const QString &text, QString *whyNot = nullptr);

Q_SIGNALS:
    void restoreRequested();
    void recordNowRequested();
    void stopRecordingRequested();
    void quickRecordRequested();
    void exitRequested();
    // The menu is about to open: its state should be brought up to date.
    void menuAboutToShow();

private:
    QSystemTrayIcon *m_icon;
    QMenu *m_menu;
    QAction *m_recordNow;
    QAction *m_stop;
    bool m_recording = false;
};

} // namespace skywell
