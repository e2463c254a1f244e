#include "platform/waketimerfd.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "support/tempenv.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

namespace skywell::test
{
namespace
{

// The alarm clock needs CAP_WAKE_ALARM (root has it); without it the
// timer is not created and the failure is logged.
TEST(WakeTimerFd, ArmsOneShotOrLogsWhyItCannot)
{
    TempFolder folder;
    SystemClock clock;
    ActivityLog log(folder.path(), clock);
    std::unique_ptr<WakeTimer> timer = WakeTimerFd::create(log);
    if (!timer) {
        EXPECT_NE(geteuid(), 0u) << "root may create CLOCK_REALTIME_ALARM timers";
        EXPECT_TRUE(readAll(log.filePath()).contains("CreateWaitableTimer failed"));
        return;
    }
    auto *fdTimer = static_cast<WakeTimerFd *>(timer.get());
    ASSERT_TRUE(timer->arm(3600));
    EXPECT_NEAR(fdTimer->remainingSeconds(), 3600, 5);
    // Re-arming replaces the earlier setting.
    ASSERT_TRUE(timer->arm(120));
    EXPECT_NEAR(fdTimer->remainingSeconds(), 120, 5);
    // Nothing to wait for: it goes off at once.
    ASSERT_TRUE(timer->arm(0));
    pollfd p{fdTimer->fd(), POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 2000), 1);
    ASSERT_TRUE(timer->arm(-50));
    // Absurd delays are accepted, not refused.
    EXPECT_TRUE(timer->arm(std::int64_t{1} << 62));
}

} // namespace
} // namespace skywell::test
