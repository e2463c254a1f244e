#pragma once

#include <QByteArray>
#include <QProcessEnvironment>

#include <chrono>
#include <cstdint>
#include <set>
#include <utility>

#include <sys/types.h>

class QProcess;

namespace skywell
{

// Makes this process the one that inherits the orphans among its
// descendants (PR_SET_CHILD_SUBREAPER), so that what a tool left running
// stays within reach and its ended processes are reaped here. Once at
// start-up; false when the system refused.
bool becomeChildSubreaper();

// The given processes and every living process whose parent chain leads
// back to one of them (found by walking /proc).
std::set<pid_t> withDescendants(const std::set<pid_t> &roots);

// Everything one tool run started: the tool's process group, every process
// whose parent chain leads back to a process of the run, and every process
// that carries the run's mark in its environment (which reaches children
// that left the group with setsid and were adopted after their parent
// ended). Found by walking /proc.
class ToolProcessTree final
{
public:
    // The variable that marks a run's processes; its value is mark().
    static constexpr const char *kMarkVariable = "SKYWELL_TOOL_RUN";

    ToolProcessTree();

    // The value to put into the tool's environment.
    const QByteArray &mark() const { return m_mark; }

    // Sets the process up to start as the leader of a process group of its
    // own, with the environment given plus the run's mark; once it has
    // started, setLeader(its pid).
    void prepare(QProcess &process, QProcessEnvironment environment) const;

    // The tool has started as the leader of its own process group.
    void setLeader(pid_t pid);

    // Remembers the processes of the run as they are now, while their
    // parent chains are still whole.
    void track();

    // Ends what is left of the run: SIGTERM, then SIGKILL to whatever has
    // not gone after grace; reaps the ones that were adopted by us. Call it
    // after the tool itself has ended (or been ended).
    void endAll(std::chrono::milliseconds grace = std::chrono::milliseconds(2000));

    // Pids of the run's processes that are still alive (not zombies).
    std::set<pid_t> alive();

private:
    // A process once seen: pid and start time (in clock ticks since boot),
    // so that a reused pid is not taken for it.
    using Identity = std::pair<pid_t, std::uint64_t>;

    void reapAdopted(const std::set<pid_t> &pids) const;

    QByteArray m_mark;
    pid_t m_leader = 0;
    std::uint64_t m_leaderStart = 0;
    std::set<Identity> m_known;
};

} // namespace skywell
