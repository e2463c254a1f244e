#include "postprocess/tooljob.h"

#include <QProcessEnvironment>

#include <algorithm>
#include <csignal>
#include <unistd.h>

namespace skywell
{

namespace
{

constexpr std::chrono::milliseconds kKillGrace(2000);

} // namespace

ToolJob::ToolJob(std::chrono::milliseconds pollInterval, QObject *parent)
    : QObject(parent), m_pollInterval(pollInterval)
{
}

ToolJob::~ToolJob()
{
    if (m_process.state() != QProcess::NotRunning) {
        // The owner is going (the program ends): the tool goes with it.
        m_process.disconnect(this);
        signalGroup(SIGKILL);
        m_process.waitForFinished(1000);
    }
    m_tree.endAll();
}

void ToolJob::start(const ToolRun &run, std::chrono::milliseconds pollInterval, QObject *parent, Done done)
{
    auto *job = new ToolJob(pollInterval, parent);
    job->begin(run, std::move(done));
}

void ToolJob::begin(const ToolRun &run, Done done)
{
    m_done = std::move(done);
    prepareToolProcess(m_process, run, m_tree);

    connect(&m_process, &QProcess::started, this, [this] {
        m_tree.setLeader(static_cast<pid_t>(m_process.processId()));
        m_track.start();
    });
    connect(&m_process, &QProcess::readyReadStandardError, this, [this] { keepErrorTail(m_process, m_errorTail); });
    connect(&m_process, &QProcess::finished, this, &ToolJob::processEnded);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            complete(RunOutcome::NotStarted);
    });
    m_track.setInterval(m_pollInterval);
    connect(&m_track, &QTimer::timeout, this, [this] { m_tree.track(); });
    m_limit.setSingleShot(true);
    connect(&m_limit, &QTimer::timeout, this, &ToolJob::limitReached);
    m_kill.setSingleShot(true);
    connect(&m_kill, &QTimer::timeout, this, [this] { signalGroup(SIGKILL); });

    m_limit.start(m_pollInterval * std::max(run.pollLimit, 0));
    m_process.start();
}

void ToolJob::signalGroup(int signal) const
{
    const qint64 pid = m_process.processId();
    if (pid > 0)
        ::kill(-static_cast<pid_t>(pid), signal);
}

void ToolJob::limitReached()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    // Even where the caller goes on without the result, the tool is not
    // left behind writing into files the caller is about to use or delete.
    m_timedOut = true;
    m_tree.track();
    signalGroup(SIGTERM);
    m_kill.start(kKillGrace);
}

void ToolJob::processEnded()
{
    // What the tool left running goes too: a child still writing would
    // change a file the caller goes on with, or run on for days.
    m_tree.endAll();
    keepErrorTail(m_process, m_errorTail);
    complete(m_timedOut ? RunOutcome::TimedOut : RunOutcome::Finished);
}

void ToolJob::complete(RunOutcome outcome)
{
    if (m_completed)
        return;
    m_completed = true;
    m_track.stop();
    m_limit.stop();
    m_kill.stop();
    ToolResult result;
    result.outcome = outcome;
    if (outcome == RunOutcome::Finished && m_process.exitStatus() == QProcess::NormalExit)
        result.exitCode = m_process.exitCode();
    result.errorOutput = QString::fromLocal8Bit(m_errorTail).trimmed();
    // Always from the event loop, never from inside start().
    QMetaObject::invokeMethod(
        this,
        [this, result] {
            Done done = std::move(m_done);
            deleteLater();
            if (done)
                done(result);
        },
        Qt::QueuedConnection);
}

} // namespace skywell
