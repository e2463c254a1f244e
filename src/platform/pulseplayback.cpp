#include "platform/pulseplayback.h"

#include "platform/processtree.h"
#include "platform/pulseconnection.h"

namespace skywell
{

bool playsOnSoundServer(const QList<qint64> &processIds)
{
    if (processIds.isEmpty())
        return false;
    PulseConnection connection(std::chrono::milliseconds(2000));
    const auto inputs = connection.connect() ? connection.sinkInputs() : std::nullopt;
    if (!inputs)
        return false;
    std::set<pid_t> roots;
    for (const qint64 pid : processIds)
        roots.insert(pid_t(pid));
    const std::set<pid_t> family = withDescendants(roots);
    for (const PulseSinkInput &input : *inputs) {
        if (input.processId > 0 && family.count(pid_t(input.processId)))
            return true;
    }
    return false;
}

} // namespace skywell
