#pragma once

#include "recording/recordingports.h"

#include <QMap>

namespace skywell
{

// A private sink for tests: which processes have playback streams, and
// whether open fails, are plain fields; the calls are counted.
class MemoryPrivateSink final : public PrivateSink
{
public:
    QString name = QStringLiteral("skywell_muted_test");
    QMap<qint64, int> streamsOf; // process id -> its playback streams
    bool failOpen = false;
    bool isOpen = false;
    bool heard = false;
    int opens = 0;
    int closes = 0;
    QList<qint64> movedProcesses;

    bool open() override
    {
        ++opens;
        isOpen = !failOpen;
        return isOpen;
    }
    QString sinkName() const override { return name; }
    QString monitorName() const override { return name + QStringLiteral(".monitor"); }
    StreamMove moveStreamsOf(const QList<qint64> &processIds) override
    {
        StreamMove result;
        for (const qint64 pid : processIds) {
            result.found += streamsOf.value(pid);
            if (isOpen && streamsOf.value(pid) > 0 && !movedProcesses.contains(pid))
                movedProcesses.append(pid);
        }
        result.moved = isOpen ? result.found : 0;
        if (!isOpen)
            result.problem = QStringLiteral("the private sink is not open");
        else if (result.found == 0)
            result.problem = QStringLiteral("no playback stream of these processes on the sound server");
        return result;
    }
    void close() override
    {
        if (isOpen)
            ++closes;
        isOpen = false;
        heard = false;
        movedProcesses.clear();
    }
    bool setHeard(bool on) override
    {
        heard = isOpen && on;
        return isOpen;
    }
    QString errorText() const override { return failOpen ? QStringLiteral("refused") : QString(); }
};

} // namespace skywell
