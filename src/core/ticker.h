#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

namespace skywell
{

// The one-second supervision tick of the main loop. Every tick runs the
// per-tick handlers; every tenth tick also runs the tenth-tick handlers
// (time-zone check, due-show search).
class Ticker final : public QObject
{
    Q_OBJECT
public:
    explicit Ticker(QObject *parent = nullptr);

    void onEveryTick(std::function<void()> handler);
    void onTenthTick(std::function<void()> handler);

    void start();
    void stop();
    bool isRunning() const { return m_timer.isActive(); }
    qint64 tickCount() const { return m_ticks; }

    // Runs one tick by hand (what the timer does each second).
    void tick();

private:
    QTimer m_timer;
    qint64 m_ticks = 0;
    std::vector<std::function<void()>> m_everyTick;
    std::vector<std::function<void()>> m_tenthTick;
};

} // namespace skywell
