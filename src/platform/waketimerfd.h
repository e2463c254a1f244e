#pragma once

#include "shows/waketimer.h"

#include <QString>

#include <memory>

namespace skywell
{

class ActivityLog;

// The wake-up timer on Linux: a timerfd on CLOCK_REALTIME_ALARM, which
// resumes a suspended machine when it expires (needs CAP_WAKE_ALARM).
class WakeTimerFd final : public WakeTimer
{
public:
    // The timer, or null when the system does not allow one: then the log
    // gets "CreateWaitableTimer failed" and a plain line saying that the
    // computer will not be woken for a Show and, when a permission is
    // missing, how to give it to the program at executable. Recording while
    // awake still works.
    static std::unique_ptr<WakeTimer> create(ActivityLog &log, const QString &executable);

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
