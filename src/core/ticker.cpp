#include "core/ticker.h"

namespace skywell
{

Ticker::Ticker(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(1000);
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Ticker::tick);
}

void Ticker::onEveryTick(std::function<void()> handler)
{
    m_everyTick.push_back(std::move(handler));
}

void Ticker::onTenthTick(std::function<void()> handler)
{
    m_tenthTick.push_back(std::move(handler));
}

void Ticker::start()
{
    m_timer.start();
}

void Ticker::stop()
{
    m_timer.stop();
}

void Ticker::tick()
{
    ++m_ticks;
    for (const auto &handler : m_everyTick)
        handler();
    if (m_ticks % 10 == 0) {
        for (const auto &handler : m_tenthTick)
            handler();
    }
}

} // namespace skywell
