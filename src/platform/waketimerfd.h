#pragma once

#include "shows/waketimer.h"

#include <memory>

namespace skywell
{

class ActivityLog;

// The wake-up timer on Linux: a timerfd on CLOCK_REALTIME_ALARM, which
// resumes a suspended machine when it expires (needs CAP_WAKE_ALARM).
class WakeTimerFd final : public WakeTimer
{
public:
    // The timer, or null (after logging "CreateWaitableTimer failed") when
    // the system does not allow one; recording while awake still works.
    static std::unique_ptr<WakeTimer> create(ActivityLog &log);

    ~WakeTimerFd() override;
    WakeTimerFd(const WakeTimerFd &) = delete;
    WakeTimerFd &operator=(const WakeTimerFd &) = delete;

    bool arm(std::int64_t delaySeconds) override;

    // Seconds until expiry as the kernel sees it (0 when disarmed or
    // expired), -1 on error.
    double remainingSeconds() const;
    int fd() const { return m_fd; }

private:
    explicit WakeTimerFd(int fd) : m_fd(fd) {}
    int m_fd;
};

} // namespace skywell
