#include "postprocess/processrunner.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QProcess>

#include <algorithm>
#include <csignal>
#include <unistd.h>

namespace skywell
{

namespace
{

constexpr int kSliceMs = 40;

// Ends the tool and everything it started: it runs in a process group of
// its own, so a script's children go with it.
void terminateGroup(QProcess &process)
{
    const qint64 pid = process.processId();
    if (pid > 0)
        ::kill(-static_cast<pid_t>(pid), SIGTERM);
    if (process.waitForFinished(2000))
        return;
    if (pid > 0)
        ::kill(-static_cast<pid_t>(pid), SIGKILL);
    process.waitForFinished(2000);
}

} // namespace

ProcessRunner::ProcessRunner(std::chrono::milliseconds pollInterval)
    : m_pollInterval(pollInterval), m_idle(&ProcessRunner::serveWindowEvents)
{
}

void ProcessRunner::serveWindowEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::X11ExcludeTimers);
}

RunOutcome ProcessRunner::run(const ToolRun &run)
{
    QProcess process;
    process.setProgram(run.program);
    process.setArguments(run.arguments);
    if (!run.workingFolder.isEmpty())
        process.setWorkingDirectory(run.workingFolder);
    // Tools run without a console: no input, output discarded.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    process.start();
    if (!process.waitForStarted(-1))
        return RunOutcome::NotStarted;

    for (int poll = 0; poll < run.pollLimit; ++poll) {
        QDeadlineTimer deadline(m_pollInterval);
        do {
            const int slice = static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 0, kSliceMs));
            if (process.state() == QProcess::NotRunning || process.waitForFinished(slice))
                return RunOutcome::Finished;
            if (m_idle)
                m_idle();
        } while (!deadline.hasExpired());
    }
    if (process.state() == QProcess::NotRunning)
        return RunOutcome::Finished;
    // Even where the caller goes on without the result, the tool is not
    // left behind writing into files the caller is about to use or delete.
    terminateGroup(process);
    return RunOutcome::TimedOut;
}

QString pathArgument(const QString &path)
{
    if (path.startsWith(QLatin1Char('-')))
        return QStringLiteral("./") + path;
    return path;
}

} // namespace skywell
