#pragma once

#include <QObject>
#include <QRect>

class QSystemTrayIcon;

namespace skywell
{

// The notification-area icon: tip "Skywell", the idle or the recording
// picture, and a left click that asks for the window. Where the desktop
// has no notification area, available() is false and the window
// minimises the ordinary way.
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

Q_SIGNALS:
    void restoreRequested();

private:
    QSystemTrayIcon *m_icon;
    bool m_recording = false;
};

} // namespace skywell
