#include "platform/pulseplayback.h"

#include "core/processtree.h"
#include "platform/pulseconnection.h"

#include <QFile>

#include <algorithm>

namespace skywell
{

namespace
{
// A process that runs (an ended one not yet reaped does not).
bool running(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && close + 2 < line.size() && line[close + 2] != 'Z' && line[close + 2] != 'X';
}
} // namespace

bool playerPlaysOrEnded(const QList<qint64> &processIds)
{
    std::set<pid_t> roots;
    for (const qint64 pid : processIds)
        roots.insert(pid_t(pid));
    const std::set<pid_t> family = withDescendants(roots);
    if (std::none_of(family.begin(), family.end(), running))
        return true;
    PulseConnection connection(std::chrono::milliseconds(2000));
    const auto inputs = connection.connect() ? connection.sinkInputs() : std::nullopt;
    if (!inputs)
        return false;
    for (const PulseSinkInput &input : *inputs) {
        if (input.processId > 0 && family.count(pid_t(input.processId)))
            return true;
    }
    return false;
}

} // namespace skywell
