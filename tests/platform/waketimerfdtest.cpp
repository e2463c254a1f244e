#include "platform/waketimerfd.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "support/tempenv.h"

#include <gtest/gtest.h>

#include <linux/capability.h>
#include <poll.h>
#include <sys/syscall.h>
#include <thread>
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
    std::unique_ptr<WakeTimer> timer = WakeTimerFd::create(log, QStringLiteral("/opt/bin/skywell"));
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

// An ordinary user's program lacks the wake permission: the log says so in
// plain words, with the command that grants it, besides the failure line.
TEST(WakeTimerFd, WithoutThePermissionSaysPlainlyHowToAllowIt)
{
    TempFolder folder;
    SystemClock clock;
    ActivityLog log(folder.path(), clock);
    bool created = true;
    // Capabilities belong to a thread: this one gives up CAP_WAKE_ALARM.
    std::thread([&] {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        ASSERT_EQ(::syscall(SYS_capget, &header, data), 0);
        data[CAP_WAKE_ALARM / 32].effective &= ~(1u << (CAP_WAKE_ALARM % 32));
        ASSERT_EQ(::syscall(SYS_capset, &header, data), 0);
        created = WakeTimerFd::create(log, QStringLiteral("/opt/bin/skywell")) != nullptr;
    }).join();
    EXPECT_FALSE(created);
    const QByteArray text = readAll(log.filePath());
    EXPECT_TRUE(text.contains("CreateWaitableTimer failed"));
    EXPECT_EQ(text.count("Skywell cannot wake this computer from sleep"), 1) << text.toStdString();
    EXPECT_TRUE(text.contains("setcap cap_wake_alarm+ep /opt/bin/skywell")) << text.toStdString();
}

} // namespace
} // namespace skywell::test
