#include "tuning/startedplayers.h"

#include "core/processtree.h"

#include <csignal>
#include <unistd.h>

namespace skywell
{

struct StartedPlayers::Entry {
    std::uint64_t serial = 0;
    std::unique_ptr<QProcess> process;
    ToolProcessTree tree;
    Kind kind = Kind::Player;
    std::uint64_t recordingId = 0;

    bool of(std::uint64_t recording) const { return recording == kAnyRecording || recording == recordingId; }
};

StartedPlayers::StartedPlayers(QObject *parent) : QObject(parent)
{
}

// Whatever still runs at the end goes with us (QProcess ends it): a tuner
// nobody can reach any more would play on for ever.
StartedPlayers::~StartedPlayers()
{
    for (auto &entry : m_entries)
        entry->process->disconnect(this);
}

void StartedPlayers::setEnvironmentValue(const QString &name, const QString &value)
{
    if (value.isEmpty())
        m_extra.remove(name);
    else
        m_extra.insert(name, value);
}

QString StartedPlayers::start(const QString &program, const QStringList &arguments, Kind kind)
{
    auto entry = std::make_unique<Entry>();
    entry->serial = ++m_serial;
    entry->kind = kind;
    entry->recordingId = m_recording;
    entry->process = std::make_unique<QProcess>();
    QProcess &process = *entry->process;

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : m_extra.keys())
        environment.insert(name, m_extra.value(name));
    entry->tree.prepare(process, environment);
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start();
    if (!process.waitForStarted(10000)) {
        const QString reason = process.errorString();
        return reason.isEmpty() ? QStringLiteral("it could not be started") : reason;
    }
    entry->tree.setLeader(static_cast<pid_t>(process.processId()));
    if (kind == Kind::BrowserOpener) {
        connect(&process, &QProcess::finished, this,
                [this, tree = &entry->tree](int exitCode, QProcess::ExitStatus status) {
                    Q_EMIT browserOpenerFinished(status == QProcess::NormalExit ? exitCode : -1,
                                                 !tree->alive().empty());
                });
    } else {
        // A player that ends by itself (its window closed) takes what it
        // left running along at once, while its process ids still mean it.
        connect(
            &process, &QProcess::finished, this, [this, serial = entry->serial] { endFinishedPlayer(serial); },
            Qt::QueuedConnection);
    }
    m_entries.push_back(std::move(entry));
    return QString();
}

void StartedPlayers::endPlayers(std::chrono::milliseconds grace)
{
    end(kAnyRecording, grace);
}

void StartedPlayers::endPlayersOf(std::uint64_t recordingId, std::chrono::milliseconds grace)
{
    end(recordingId, grace);
}

void StartedPlayers::end(std::uint64_t recordingId, std::chrono::milliseconds grace)
{
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        Entry &entry = **it;
        if (!entry.of(recordingId)) {
            ++it;
            continue;
        }
        if (entry.kind != Kind::Player) {
            // Reaps what an ended opener left behind; never ends anything.
            if (entry.process->state() == QProcess::NotRunning && entry.tree.alive().empty()) {
                it = m_entries.erase(it);
                continue;
            }
            ++it;
            continue;
        }
        QProcess &process = *entry.process;
        if (process.state() != QProcess::NotRunning) {
            entry.tree.track();
            ::kill(-static_cast<pid_t>(process.processId()), SIGTERM);
            process.waitForFinished(static_cast<int>(grace.count()));
        }
        entry.tree.endAll(grace);
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(2000);
        }
        it = m_entries.erase(it);
    }
}

void StartedPlayers::endFinishedPlayer(std::uint64_t serial)
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if ((*it)->serial == serial && (*it)->process->state() == QProcess::NotRunning) {
            (*it)->tree.endAll();
            m_entries.erase(it);
            return;
        }
    }
}

QList<qint64> StartedPlayers::runningPlayerIds(std::uint64_t recordingId) const
{
    QList<qint64> ids;
    for (const auto &entry : m_entries) {
        if (entry->of(recordingId) && entry->kind == Kind::Player && entry->process->state() != QProcess::NotRunning)
            ids << entry->process->processId();
    }
    return ids;
}

QList<qint64> StartedPlayers::soundProcessIds(std::uint64_t recordingId) const
{
    QList<qint64> ids = runningPlayerIds(recordingId);
    for (const auto &entry : m_entries) {
        if (!entry->of(recordingId) || entry->kind != Kind::BrowserOpener)
            continue;
        for (const pid_t pid : entry->tree.alive())
            ids << pid;
    }
    return ids;
}

int StartedPlayers::runningPlayers(std::uint64_t recordingId) const
{
    int running = 0;
    for (const auto &entry : m_entries) {
        if (entry->of(recordingId) && entry->kind == Kind::Player && entry->process->state() != QProcess::NotRunning)
            ++running;
    }
    return running;
}

std::set<qint64> StartedPlayers::processesOfOtherRecordings(std::uint64_t recordingId) const
{
    std::set<qint64> pids;
    for (const auto &entry : m_entries) {
        if (entry->recordingId == 0 || entry->recordingId == recordingId)
            continue;
        for (const pid_t pid : entry->tree.alive())
            pids.insert(pid);
    }
    return pids;
}

} // namespace skywell
