#pragma once

#include "tuning/connectionstate.h"

#include <QString>

namespace skywell
{

// Online means a default route (IPv4 or IPv6) through an interface other
// than loopback that is up. Read from the kernel's routing tables in
// /proc/net; the folder can be changed for tests.
class RouteConnectionState final : public ConnectionState
{
public:
    explicit RouteConnectionState(QString procNetFolder = QStringLiteral("/proc/net"),
                                  QString sysNetFolder = QStringLiteral("/sys/class/net"));
    bool isOnline() const override;

private:
    bool interfaceUp(const QString &name) const;

    QString m_procNet;
    QString m_sysNet;
};

} // namespace skywell
