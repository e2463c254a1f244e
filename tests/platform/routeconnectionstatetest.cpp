// The online check on routing tables written by the test.
#include "support/tempenv.h"

#include "platform/routeconnectionstate.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace skywell
{
namespace
{

const QByteArray kRouteHeader = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

class RouteTest : public ::testing::Test
{
protected:
    void write(const QString &name, const QByteArray &text)
    {
        QFile file(proc.file(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    void link(const QString &name, const QByteArray &state)
    {
        QDir().mkpath(sys.file(name));
        QFile file(sys.file(name + QStringLiteral("/operstate")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(state + '\n');
    }
    bool online() { return RouteConnectionState(proc.path(), sys.path()).isOnline(); }

    test::TempFolder proc;
    test::TempFolder sys;
};

TEST_F(RouteTest, ADefaultRouteThroughARealInterfaceThatIsUpIsOnline)
{
    EXPECT_FALSE(online()); // no tables at all
    link(QStringLiteral("eth0"), "up");
    link(QStringLiteral("ppp0"), "unknown");
    write(QStringLiteral("route"), kRouteHeader + "eth0\t000200C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n");
    EXPECT_FALSE(online()); // a local network only

    write(QStringLiteral("route"), kRouteHeader + "lo\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n");
    EXPECT_FALSE(online()); // loopback

    write(QStringLiteral("route"), kRouteHeader + "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n");
    EXPECT_TRUE(online());
    link(QStringLiteral("eth0"), "down");
    EXPECT_FALSE(online());

    write(QStringLiteral("route"), kRouteHeader + "ppp0\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n");
    EXPECT_TRUE(online()); // a point-to-point link reports no state
}

TEST_F(RouteTest, AnIpv6DefaultRouteCountsButNotTheLoopbackRejectRoute)
{
    link(QStringLiteral("wlan0"), "up");
    const QByteArray zero(32, '0');
    write(QStringLiteral("ipv6_route"),
          zero + " 00 " + zero + " 00 " + zero + " ffffffff 00000001 00000000 00200200       lo\n");
    EXPECT_FALSE(online());
    write(QStringLiteral("ipv6_route"),
          zero + " 00 " + zero + " 00 fe800000000000000000000000000001 00000400 00000003 00000000 00000003    wlan0\n");
    EXPECT_TRUE(online());
}

} // namespace
} // namespace skywell
