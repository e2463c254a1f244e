#include "platform/routeconnectionstate.h"

#include <QFile>
#include <QList>

namespace skywell
{

namespace
{

constexpr unsigned kRouteUp = 0x1; // RTF_UP

QList<QByteArray> readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(1 << 20).split('\n');
}

} // namespace

RouteConnectionState::RouteConnectionState(QString procNetFolder, QString sysNetFolder)
    : m_procNet(std::move(procNetFolder)), m_sysNet(std::move(sysNetFolder))
{
}

bool RouteConnectionState::interfaceUp(const QString &name) const
{
    if (name.isEmpty() || name == QLatin1String("lo") || name.contains(QLatin1Char('/')))
        return false;
    // "up", "unknown" (tunnels and PPP links report no state) count;
    // "down", "lowerlayerdown", "dormant" do not.
    QFile state(m_sysNet + u'/' + name + QStringLiteral("/operstate"));
    if (!state.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = state.readAll().trimmed();
    return text == "up" || text == "unknown";
}

bool RouteConnectionState::isOnline() const
{
    // IPv4: "Iface Destination Gateway Flags ..." in hexadecimal; the
    // default route has destination and mask 0.
    const QList<QByteArray> v4 = readLines(m_procNet + QStringLiteral("/route"));
    for (qsizetype i = 1; i < v4.size(); ++i) {
        const QList<QByteArray> fields = v4[i].simplified().split(' ');
        if (fields.size() < 8)
            continue;
        bool ok = false;
        const unsigned flags = fields[3].toUInt(&ok, 16);
        if (ok && fields[1] == "00000000" && fields[7] == "00000000" && (flags & kRouteUp) &&
            interfaceUp(QString::fromLatin1(fields[0])))
            return true;
    }
    // IPv6: "dest prefixlen src srclen nexthop metric refcnt use flags iface";
    // the default route is ::/0 through a real interface.
    const QList<QByteArray> v6 = readLines(m_procNet + QStringLiteral("/ipv6_route"));
    for (const QByteArray &line : v6) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 10)
            continue;
        bool ok = false;
        const unsigned flags = fields[8].toUInt(&ok, 16);
        if (ok && fields[0] == QByteArray(32, '0') && fields[1] == "00" && (flags & kRouteUp) &&
            interfaceUp(QString::fromLatin1(fields[9])))
            return true;
    }
    return false;
}

} // namespace skywell
