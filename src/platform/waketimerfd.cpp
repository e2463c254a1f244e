#include "platform/waketimerfd.h"

#include "core/activitylog.h"

#include <cerrno>
#include <cstring>
#include <sys/timerfd.h>
#include <unistd.h>

namespace skywell
{
namespace
{

QString cannotWakeText(int error, const QString &executable)
{
    // Alarm timers need CAP_WAKE_ALARM, which an ordinary user lacks unless
    // the program file carries it.
    if (error == EPERM) {
        return QStringLiteral("Skywell cannot wake this computer from sleep for a Show: it lacks the permission to "
                              "set a wake-up alarm. Shows are recorded only while the computer is awake. To allow "
                              "it, run as root: setcap cap_wake_alarm+ep %1")
            .arg(executable);
    }
    return QStringLiteral("Skywell cannot wake this computer from sleep for a Show: the system offers no wake-up "
                          "alarm (%1). Shows are recorded only while the computer is awake.")
        .arg(QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace

std::unique_ptr<WakeTimer> WakeTimerFd::create(ActivityLog &log, const QString &executable)
{
    const int fd = ::timerfd_create(CLOCK_REALTIME_ALARM, TFD_CLOEXEC | TFD_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        log.logLine(QStringLiteral("CreateWaitableTimer failed"), QString::fromLocal8Bit(std::strerror(error)));
        log.logLine(cannotWakeText(error, executable));
        return nullptr;
    }
    return std::unique_ptr<WakeTimer>(new WakeTimerFd(fd));
}

WakeTimerFd::~WakeTimerFd()
{
    ::close(m_fd);
}

bool WakeTimerFd::arm(std::int64_t delaySeconds)
{
    itimerspec when{};
    if (delaySeconds > 0) {
        // time_t is 64 bits here; keep far-off delays within a day count the
        // kernel accepts.
        constexpr std::int64_t kMaxDelay = std::int64_t{1} << 40;
        when.it_value.tv_sec = static_cast<time_t>(delaySeconds < kMaxDelay ? delaySeconds : kMaxDelay);
    } else {
        // A moment already due: the timer goes off at once. (All zero would
        // disarm it instead.)
        when.it_value.tv_nsec = 1;
    }
    return ::timerfd_settime(m_fd, 0, &when, nullptr) == 0;
}

double WakeTimerFd::remainingSeconds() const
{
    itimerspec when{};
    if (::timerfd_gettime(m_fd, &when) != 0)
        return -1;
    return static_cast<double>(when.it_value.tv_sec) + static_cast<double>(when.it_value.tv_nsec) / 1e9;
}

} // namespace skywell
