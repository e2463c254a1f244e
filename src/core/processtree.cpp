#include "core/processtree.h"

#include <QDateTime>
#include <QProcess>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace skywell
{

namespace
{

struct ProcessInfo {
    pid_t ppid = 0;
    pid_t pgrp = 0;
    char state = '?';
    std::uint64_t start = 0;
};

using Snapshot = std::map<pid_t, ProcessInfo>;

QByteArray readProcFile(pid_t pid, const char *name, qsizetype limit)
{
    const QByteArray path = "/proc/" + QByteArray::number(pid) + '/' + name;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray data;
    char buffer[4096];
    while (data.size() < limit) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        data.append(buffer, n);
    }
    ::close(fd);
    return data;
}

// /proc/PID/stat: "pid (name) state ppid pgrp ... starttime ..."; the name
// may hold blanks and parentheses, so the fields are counted from its end.
bool readInfo(pid_t pid, ProcessInfo &info)
{
    const QByteArray stat = readProcFile(pid, "stat", 4096);
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return false;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    // Fields 3 (state), 4 (ppid), 5 (pgrp) and 22 (starttime) of proc(5).
    if (fields.size() < 20 || fields[0].isEmpty())
        return false;
    info.state = fields[0][0];
    info.ppid = static_cast<pid_t>(fields[1].toInt());
    info.pgrp = static_cast<pid_t>(fields[2].toInt());
    info.start = fields[19].toULongLong();
    return true;
}

Snapshot readProcesses()
{
    Snapshot processes;
    DIR *dir = ::opendir("/proc");
    if (!dir)
        return processes;
    const pid_t self = ::getpid();
    while (const dirent *entry = ::readdir(dir)) {
        char *end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 1 || *end != '\0' || pid == self)
            continue;
        ProcessInfo info;
        if (readInfo(static_cast<pid_t>(pid), info))
            processes.emplace(static_cast<pid_t>(pid), info);
    }
    ::closedir(dir);
    return processes;
}

bool carriesMark(pid_t pid, const QByteArray &entry)
{
    const QByteArray environment = '\0' + readProcFile(pid, "environ", 1 << 20);
    return environment.contains('\0' + entry + '\0') || environment.endsWith('\0' + entry);
}

bool alive(const ProcessInfo &info)
{
    return info.state != 'Z' && info.state != 'X';
}

std::atomic<unsigned> runCounter{0};

// The run's processes among the snapshot: the ones seen before, the group
// and the marked ones, then every process below one of them.
std::map<pid_t, ProcessInfo> membersOf(const Snapshot &processes, pid_t leader, std::uint64_t leaderStart,
                                       const std::set<std::pair<pid_t, std::uint64_t>> &known,
                                       const QByteArray &markEntry)
{
    std::map<pid_t, bool> member;
    for (const auto &[pid, info] : processes) {
        const bool sinceStart = info.start >= leaderStart;
        member[pid] = known.count({pid, info.start}) > 0 || (leader > 0 && info.pgrp == leader && sinceStart) ||
                      (sinceStart && carriesMark(pid, markEntry));
    }
    std::map<pid_t, ProcessInfo> result;
    for (const auto &[pid, info] : processes) {
        bool belongs = member[pid];
        pid_t up = info.ppid;
        for (int depth = 0; !belongs && depth < 64; ++depth) {
            const auto parent = processes.find(up);
            if (parent == processes.end())
                break;
            belongs = member[up];
            up = parent->second.ppid;
        }
        if (belongs)
            result.emplace(pid, info);
    }
    return result;
}

} // namespace

bool becomeChildSubreaper()
{
    return ::prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) == 0;
}

std::set<pid_t> withDescendants(const std::set<pid_t> &roots)
{
    std::set<pid_t> result = roots;
    const Snapshot processes = readProcesses();
    for (const auto &[pid, info] : processes) {
        if (!skywell::alive(info))
            continue;
        pid_t up = info.ppid;
        for (int depth = 0; depth < 64 && up > 1; ++depth) {
            if (roots.count(up)) {
                result.insert(pid);
                break;
            }
            const auto parent = processes.find(up);
            if (parent == processes.end())
                break;
            up = parent->second.ppid;
        }
    }
    return result;
}

ToolProcessTree::ToolProcessTree()
    : m_mark(QByteArray::number(::getpid()) + '.' + QByteArray::number(++runCounter) + '.' +
             QByteArray::number(QDateTime::currentMSecsSinceEpoch()))
{
}

void ToolProcessTree::prepare(QProcess &process, QProcessEnvironment environment) const
{
    environment.insert(QString::fromLatin1(kMarkVariable), QString::fromLatin1(m_mark));
    process.setProcessEnvironment(environment);
    // Its own group: ending the group ends what it started with it.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
}

void ToolProcessTree::setLeader(pid_t pid)
{
    m_leader = pid;
    ProcessInfo info;
    if (readInfo(pid, info)) {
        m_leaderStart = info.start;
        m_known.emplace(pid, info.start);
    }
}

void ToolProcessTree::track()
{
    if (m_leader <= 0)
        return;
    const QByteArray entry = QByteArray(kMarkVariable) + '=' + m_mark;
    for (const auto &[pid, info] : membersOf(readProcesses(), m_leader, m_leaderStart, m_known, entry))
        m_known.emplace(pid, info.start);
}

std::set<pid_t> ToolProcessTree::alive()
{
    std::set<pid_t> pids;
    if (m_leader <= 0)
        return pids;
    const QByteArray entry = QByteArray(kMarkVariable) + '=' + m_mark;
    const Snapshot processes = readProcesses();
    std::set<pid_t> adoptedZombies;
    for (const auto &[pid, info] : membersOf(processes, m_leader, m_leaderStart, m_known, entry)) {
        m_known.emplace(pid, info.start);
        if (skywell::alive(info))
            pids.insert(pid);
        else if (info.ppid == ::getpid() && pid != m_leader)
            adoptedZombies.insert(pid);
    }
    reapAdopted(adoptedZombies);
    return pids;
}

void ToolProcessTree::reapAdopted(const std::set<pid_t> &pids) const
{
    // Only processes of this run that we inherited: the tool itself is
    // reaped by whoever started it.
    for (const pid_t pid : pids) {
        while (::waitpid(pid, nullptr, WNOHANG) < 0 && errno == EINTR) {
        }
    }
}

void ToolProcessTree::endAll(std::chrono::milliseconds grace)
{
    using namespace std::chrono;
    constexpr auto step = milliseconds(20);
    for (const int signal : {SIGTERM, SIGKILL}) {
        const auto deadline = steady_clock::now() + (signal == SIGTERM ? grace : milliseconds(5000));
        while (true) {
            const std::set<pid_t> left = alive();
            if (left.empty())
                return;
            if (steady_clock::now() >= deadline)
                break;
            // Again on every round: a process may have started another.
            for (const pid_t pid : left)
                ::kill(pid, signal);
            std::this_thread::sleep_for(step);
        }
    }
}

} // namespace skywell
