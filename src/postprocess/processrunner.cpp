#include "postprocess/processrunner.h"

#include "core/processtree.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>
#include <csignal>
#include <unistd.h>

namespace skywell
{

namespace
{

constexpr int kSliceMs = 40;
// How much of a tool's error output is kept.
constexpr qsizetype kErrorTailBytes = 4096;
constexpr qsizetype kErrorTextChars = 600;

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

void keepErrorTail(QProcess &process, QByteArray &tail)
{
    tail += process.readAllStandardError();
    if (tail.size() > kErrorTailBytes)
        tail = tail.right(kErrorTailBytes);
}

ProcessRunner::ProcessRunner(std::chrono::milliseconds pollInterval)
    : m_pollInterval(pollInterval), m_idle(&ProcessRunner::serveWindowEvents)
{
}

void ProcessRunner::serveWindowEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::X11ExcludeTimers);
}

void prepareToolProcess(QProcess &process, const ToolRun &run, const ToolProcessTree &tree)
{
    process.setProgram(run.program);
    process.setArguments(run.arguments);
    tree.prepare(process, QProcessEnvironment::systemEnvironment());
    if (!run.workingFolder.isEmpty())
        process.setWorkingDirectory(run.workingFolder);
    // Tools run without a console: no input, output discarded; the error
    // output is kept for the log.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
}

ToolResult ProcessRunner::run(const ToolRun &run)
{
    ToolProcessTree tree;
    QProcess process;
    prepareToolProcess(process, run, tree);
    process.start();
    ToolResult result;
    if (!process.waitForStarted(-1))
        return result;
    tree.setLeader(static_cast<pid_t>(process.processId()));

    QByteArray errorTail;
    bool finished = false;
    for (int poll = 0; poll < run.pollLimit && !finished; ++poll) {
        QDeadlineTimer deadline(m_pollInterval);
        do {
            const int slice = static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 0, kSliceMs));
            if (process.state() == QProcess::NotRunning || process.waitForFinished(slice)) {
                finished = true;
                break;
            }
            keepErrorTail(process, errorTail);
            if (m_idle)
                m_idle();
        } while (!deadline.hasExpired());
        // The chain from the tool to what it started is still whole.
        if (!finished)
            tree.track();
    }
    finished = finished || process.state() == QProcess::NotRunning;
    if (!finished) {
        // Even where the caller goes on without the result, the tool is not
        // left behind writing into files the caller is about to use or
        // delete.
        terminateGroup(process);
    }
    // What the tool left running goes too: a child still writing would
    // change a file the caller goes on with, or run on for days.
    tree.endAll();
    keepErrorTail(process, errorTail);

    result.outcome = finished ? RunOutcome::Finished : RunOutcome::TimedOut;
    if (finished && process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    result.errorOutput = QString::fromLocal8Bit(errorTail).trimmed();
    return result;
}

QString ToolResult::describe() const
{
    QString text = outcome == RunOutcome::NotStarted ? QStringLiteral("could not be started")
                   : outcome == RunOutcome::TimedOut ? QStringLiteral("was stopped at its time limit")
                   : exitCode < 0                    ? QStringLiteral("was ended by a signal")
                                                     : QStringLiteral("exited with code %1").arg(exitCode);
    // The end of the output says what went wrong; the log line has room
    // for a few lines of it.
    if (!errorOutput.isEmpty())
        text += QStringLiteral(": ") + errorOutput.simplified().right(kErrorTextChars);
    return text;
}

QString pathArgument(const QString &path)
{
    if (path.startsWith(QLatin1Char('-')))
        return QStringLiteral("./") + path;
    return path;
}

} // namespace skywell
