#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QSlider;

namespace skywell::tuner
{

class StreamPlayer;

// The small "Skywell Tuner" window: what plays, Stop/Play and the volume.
// Its title carries the stream title when the station sends one.
class TunerWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit TunerWindow(StreamPlayer &player, QWidget *parent = nullptr);

    // Left and right edges of the main window and its bottom edge, where
    // this window goes; ignored when they make no window.
    void place(int left, int top, int right);

private:
    void showTitle(const QString &title);
    void toggle();

    StreamPlayer &m_player;
    QLabel *m_title;
    QLabel *m_status;
    QPushButton *m_stop;
    QSlider *m_volume;
    QLabel *m_volumeText;
};

} // namespace skywell::tuner
