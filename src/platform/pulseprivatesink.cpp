#include "platform/pulseprivatesink.h"

#include "core/processtree.h"

#include <QRegularExpression>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <limits>
#include <set>
#include <thread>
#include <unistd.h>

namespace skywell
{

namespace
{
const QString kNullSink = QStringLiteral("module-null-sink");
const QString kLoopback = QStringLiteral("module-loopback");
// Short enough to keep what is heard close to what is recorded, long
// enough for a busy machine not to stutter.
constexpr int kLoopbackLatencyMs = 60;

// Numbers the sinks of this process: each recording has one of its own.
std::atomic<unsigned> g_sinkSerial{0};

// A private sink named in a module argument: the sink a null sink creates
// (key "sink_name"), or the sink whose monitor a loopback plays ("source").
struct NamedSink {
    QString name;   // "skywell_muted_<pid>" or "skywell_muted_<pid>_<n>"
    qint64 pid = 0; // 0: the argument names no private sink
};

NamedSink privateSinkIn(const QString &argument, const QString &key)
{
    const QRegularExpression pattern(QStringLiteral("(?:^|\\s)") + key + QStringLiteral("=[\"']?(") +
                                     QLatin1String(PulsePrivateSink::kNamePrefix) +
                                     QStringLiteral("(\\d+)(?:_\\d+)?)(?:\\.monitor)?(?:[\"'\\s]|$)"));
    const QRegularExpressionMatch match = pattern.match(argument);
    if (!match.hasMatch())
        return {};
    return {match.captured(1), match.captured(2).toLongLong()};
}

bool processExists(qint64 pid)
{
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    // EPERM: it exists, under another user.
    return ::kill(pid_t(pid), 0) == 0 || errno != ESRCH;
}

const PulseSink *sinkNamed(const QList<PulseSink> &sinks, const QString &name)
{
    for (const PulseSink &sink : sinks)
        if (sink.name == name)
            return &sink;
    return nullptr;
}

const PulseSink *sinkAt(const QList<PulseSink> &sinks, std::uint32_t index)
{
    for (const PulseSink &sink : sinks)
        if (sink.index == index)
            return &sink;
    return nullptr;
}

QString processList(const QList<qint64> &pids)
{
    QStringList texts;
    for (const qint64 pid : pids)
        texts.append(QString::number(pid));
    return (pids.size() == 1 ? QStringLiteral("process ") : QStringLiteral("processes ")) +
           texts.join(QStringLiteral(", "));
}

// Moves every stream out of the sink called from: each to the sink it came
// from when that still exists, otherwise to the default sink.
void giveBackStreams(PulseConnection &connection, const QString &from, const QMap<std::uint32_t, QString> &cameFrom)
{
    const auto sinks = connection.sinks();
    const auto inputs = sinks ? connection.sinkInputs() : std::nullopt;
    const auto info = inputs ? connection.serverInfo() : std::nullopt;
    const PulseSink *sink = info ? sinkNamed(*sinks, from) : nullptr;
    if (!sink)
        return;
    for (const PulseSinkInput &input : *inputs) {
        if (input.sink != sink->index)
            continue;
        QString to = cameFrom.value(input.index);
        if (to.isEmpty() || to == from || !sinkNamed(*sinks, to))
            to = info->defaultSink;
        if (!to.isEmpty() && to != from)
            connection.moveSinkInput(input.index, to);
    }
}
// Asks the server again and again, for at most the given time, until a
// sink of the name is there (present) or gone. True when it came to that;
// the sink found is left in found.
bool waitForSink(PulseConnection &connection, const QString &name, bool present, std::chrono::milliseconds timeout,
                 PulseSink *found = nullptr)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto sinks = connection.sinks();
        if (!sinks)
            return false;
        const PulseSink *sink = sinkNamed(*sinks, name);
        if (sink && found)
            *found = *sink;
        if ((sink != nullptr) == present)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}
} // namespace

PulsePrivateSink::PulsePrivateSink(std::chrono::milliseconds timeout)
    : m_timeout(timeout),
      m_name(QLatin1String(kNamePrefix) + QString::number(::getpid()) + u'_' + QString::number(++g_sinkSerial))
{
}

PulsePrivateSink::~PulsePrivateSink()
{
    close();
}

bool PulsePrivateSink::fail(const QString &what, const PulseConnection &connection)
{
    m_error = what + QStringLiteral(": ") + connection.errorText();
    return false;
}

bool PulsePrivateSink::stillThere(PulseConnection &connection)
{
    const auto modules = connection.modules();
    if (!modules)
        return false;
    for (const PulseModule &module : *modules)
        if (module.index == m_module)
            return module.name == kNullSink &&
                   privateSinkIn(module.argument, QStringLiteral("sink_name")).name == m_name;
    return false;
}

void PulsePrivateSink::removeStale(PulseConnection &connection)
{
    const auto modules = connection.modules();
    if (!modules)
        return;
    // A sink of this process is stale only when it has our own name (left
    // when the server could not be reached at close) or the name of one
    // sink per process; the other sinks of this process belong to
    // recordings still running.
    const QString bareName = QLatin1String(kNamePrefix) + QString::number(::getpid());
    auto stale = [&](const NamedSink &sink) {
        if (sink.pid <= 0)
            return false;
        if (sink.pid == ::getpid())
            return sink.name == m_name || sink.name == bareName;
        return !processExists(sink.pid);
    };
    // Loopbacks first: they play the monitors of the sinks removed next.
    for (const PulseModule &module : *modules)
        if (module.name == kLoopback && module.index != m_loopback &&
            stale(privateSinkIn(module.argument, QStringLiteral("source"))))
            connection.unloadModule(module.index);
    for (const PulseModule &module : *modules) {
        if (module.name != kNullSink || module.index == m_module)
            continue;
        const NamedSink sink = privateSinkIn(module.argument, QStringLiteral("sink_name"));
        if (stale(sink)) {
            giveBackStreams(connection, sink.name, {});
            connection.unloadModule(module.index);
        }
    }
}

bool PulsePrivateSink::open()
{
    PulseConnection connection(m_timeout);
    if (!connection.connect())
        return fail(QStringLiteral("cannot reach the sound server"), connection);
    if (m_module != UINT32_MAX && stillThere(connection))
        return true;
    m_module = UINT32_MAX;
    m_loopback = UINT32_MAX;
    m_cameFrom.clear();
    removeStale(connection);
    // The server may unload a module a moment after it has answered, and a
    // sink of a name still taken would be renamed.
    if (!waitForSink(connection, m_name, false, m_timeout)) {
        m_error = QStringLiteral("the sink %1 of an earlier run does not go away").arg(m_name);
        return false;
    }

    const QString argument = QStringLiteral("sink_name=%1 sink_properties='device.description=\"%2\"'")
                                 .arg(m_name, QStringLiteral("Skywell (recording %1)").arg(m_name.section(u'_', -1)));
    const std::optional<std::uint32_t> module = connection.loadModule(kNullSink, argument);
    if (!module)
        return fail(QStringLiteral("the sound server did not load %1").arg(kNullSink), connection);
    m_module = *module;
    // PipeWire may list the new sink a moment after the module reports
    // itself loaded.
    PulseSink sink;
    if (!waitForSink(connection, m_name, true, m_timeout, &sink)) {
        m_error = QStringLiteral("the sound server loaded %1 but shows no sink %2").arg(kNullSink, m_name);
        connection.unloadModule(m_module);
        m_module = UINT32_MAX;
        return false;
    }
    m_monitor = sink.monitorSource.isEmpty() ? m_name + QStringLiteral(".monitor") : sink.monitorSource;
    m_error.clear();
    // A sink the server lost (it restarted) is heard again as it was; a
    // loopback refused leaves the speakers silent and the recording whole.
    if (m_heard)
        loadLoopback(connection);
    return true;
}

StreamMove PulsePrivateSink::moveStreamsOf(const QList<qint64> &processIds)
{
    StreamMove result;
    if (processIds.isEmpty()) {
        result.problem = QStringLiteral("no player process to look for");
        return result;
    }
    if (m_module == UINT32_MAX) {
        result.problem = QStringLiteral("the private sink is not open");
        return result;
    }
    PulseConnection connection(m_timeout);
    const bool connected = connection.connect();
    const auto sinks = connected ? connection.sinks() : std::nullopt;
    const auto inputs = sinks ? connection.sinkInputs() : std::nullopt;
    if (!inputs) {
        result.problem =
            QStringLiteral("cannot read the playback streams of the sound server: ") + connection.errorText();
        return result;
    }
    const PulseSink *own = sinkNamed(*sinks, m_name);
    if (!own) {
        result.problem = QStringLiteral("the sound server has no sink %1 any more").arg(m_name);
        return result;
    }

    // Browsers and many players play from a child process.
    std::set<pid_t> roots;
    for (const qint64 pid : processIds)
        roots.insert(pid_t(pid));
    const std::set<pid_t> family = withDescendants(roots);
    QString refusal;
    for (const PulseSinkInput &input : *inputs) {
        if (input.processId <= 0 || !family.count(pid_t(input.processId)))
            continue;
        ++result.found;
        if (input.sink == own->index) {
            ++result.moved;
            continue;
        }
        const PulseSink *from = sinkAt(*sinks, input.sink);
        if (connection.moveSinkInput(input.index, m_name)) {
            ++result.moved;
            m_cameFrom.insert(input.index, from ? from->name : QString());
        } else {
            refusal = connection.errorText();
        }
    }
    if (result.found == 0)
        result.problem = QStringLiteral("no playback stream of %1 (or of a child process) on the sound server")
                             .arg(processList(processIds));
    else if (result.moved < result.found)
        result.problem = QStringLiteral("the sound server moved %1 of %2 playback streams of %3: %4")
                             .arg(result.moved)
                             .arg(result.found)
                             .arg(processList(processIds), refusal);
    return result;
}

void PulsePrivateSink::close()
{
    m_heard = false;
    if (m_module == UINT32_MAX)
        return;
    PulseConnection connection(m_timeout);
    if (connection.connect()) {
        unloadLoopback(connection);
        giveBackStreams(connection, m_name, m_cameFrom);
        // Gone when close returns (PulseAudio unloads a moment after it
        // answers).
        if (connection.unloadModule(m_module))
            waitForSink(connection, m_name, false, m_timeout);
    }
    m_module = UINT32_MAX;
    m_loopback = UINT32_MAX;
    m_cameFrom.clear();
}

bool PulsePrivateSink::setHeard(bool heard)
{
    if (m_module == UINT32_MAX) {
        m_error = QStringLiteral("the private sink is not open");
        return false;
    }
    PulseConnection connection(m_timeout);
    if (!connection.connect())
        return fail(QStringLiteral("cannot reach the sound server"), connection);
    m_heard = heard;
    if (!heard) {
        unloadLoopback(connection);
        return true;
    }
    return loadLoopback(connection);
}

bool PulsePrivateSink::loadLoopback(PulseConnection &connection)
{
    if (m_loopback != UINT32_MAX) {
        const auto modules = connection.modules();
        if (!modules)
            return fail(QStringLiteral("cannot read the modules of the sound server"), connection);
        for (const PulseModule &module : *modules)
            if (module.index == m_loopback && module.name == kLoopback)
                return true;
        m_loopback = UINT32_MAX;
    }
    // No sink named: the loopback plays on the default output, and follows
    // it when the user picks another one.
    const QString argument =
        QStringLiteral("source=%1 latency_msec=%2 source_dont_move=true").arg(m_monitor).arg(kLoopbackLatencyMs);
    const std::optional<std::uint32_t> module = connection.loadModule(kLoopback, argument);
    if (!module)
        return fail(QStringLiteral("the sound server did not load %1").arg(kLoopback), connection);
    m_loopback = *module;
    return true;
}

void PulsePrivateSink::unloadLoopback(PulseConnection &connection)
{
    if (m_loopback == UINT32_MAX)
        return;
    connection.unloadModule(m_loopback);
    m_loopback = UINT32_MAX;
}

} // namespace skywell
