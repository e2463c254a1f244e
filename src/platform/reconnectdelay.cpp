#include "platform/reconnectdelay.h"

#include <algorithm>

namespace skywell
{

std::chrono::seconds ReconnectDelay::next()
{
    const std::chrono::seconds wait = m_next;
    m_next = std::min(m_next * 2, kLongest);
    return wait;
}

void ReconnectDelay::played(std::chrono::milliseconds played)
{
    if (played >= kSteadyPlay)
        reset();
}

} // namespace skywell
