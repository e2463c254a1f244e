#pragma once

#include "platform/pulseconnection.h"
#include "recording/recordingports.h"

#include <QMap>

#include <chrono>
#include <cstdint>

namespace skywell
{

// A private sink on the sound server: a null sink called
// "skywell_muted_<pid>_<n>" (described as "Skywell (recording <n>)"),
// loaded as a module and unloaded on close or at destruction. Several may
// be open at once in one process, one per recording; each has a name of
// its own. A sink whose name carries the id of a process that no longer
// exists was left by a run that crashed; open() removes it (and a loopback
// that played it). Being heard is a module-loopback from the monitor to
// the default sink. Each call makes a connection of its own and waits at
// most the given time for each answer of the server.
class PulsePrivateSink final : public PrivateSink
{
public:
    static constexpr const char *kNamePrefix = "skywell_muted_";

    explicit PulsePrivateSink(std::chrono::milliseconds timeout = PulseConnection::kDefaultTimeout);
    ~PulsePrivateSink() override;
    PulsePrivateSink(const PulsePrivateSink &) = delete;
    PulsePrivateSink &operator=(const PulsePrivateSink &) = delete;

    bool open() override;
    QString sinkName() const override { return m_name; }
    QString monitorName() const override { return m_monitor; }
    StreamMove moveStreamsOf(const QList<qint64> &processIds) override;
    void close() override;
    bool setHeard(bool heard) override;
    QString errorText() const override { return m_error; }

private:
    // True when our module still serves a sink of our name.
    bool stillThere(PulseConnection &connection);
    // Unloads null sinks of our name that are not ours, and those of
    // processes that no longer exist.
    void removeStale(PulseConnection &connection);
    bool fail(const QString &what, const PulseConnection &connection);
    bool loadLoopback(PulseConnection &connection);
    void unloadLoopback(PulseConnection &connection);

    const std::chrono::milliseconds m_timeout;
    const QString m_name;
    QString m_monitor;
    std::uint32_t m_module = UINT32_MAX;   // none when UINT32_MAX
    std::uint32_t m_loopback = UINT32_MAX; // none when UINT32_MAX
    bool m_heard = false;
    QString m_error;
    // Streams moved in -> the sink each came from.
    QMap<std::uint32_t, QString> m_cameFrom;
};

} // namespace skywell
