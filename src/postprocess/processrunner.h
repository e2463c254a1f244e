#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

class QProcess;

namespace skywell
{

class ToolProcessTree;

// One run of an external tool: the program and its arguments go to the
// child process as a list, never through a shell command line.
struct ToolRun {
    QString program;
    QStringList arguments;
    // Number of polls (one per poll interval) before the run is given up.
    int pollLimit = 600;
    // Working folder of the child; empty keeps ours.
    QString workingFolder;
};

// Adds what the tool wrote to its error output since the last call to
// tail, keeping only the last 4 KB.
void keepErrorTail(QProcess &process, QByteArray &tail);

enum class RunOutcome {
    NotStarted, // the program could not be started
    Finished,   // it ended by itself
    TimedOut,   // it still ran at the poll limit and was ended
};

// How a run ended. Whatever the tool left running (background children,
// processes that left its group) has been ended by then.
struct ToolResult {
    RunOutcome outcome = RunOutcome::NotStarted;
    // Exit code when it finished by itself; -1 when a signal ended it.
    int exitCode = -1;
    // The end of what it wrote to its error output.
    QString errorOutput;

    bool succeeded() const { return outcome == RunOutcome::Finished && exitCode == 0; }
    // "exited with code 2: <error output>" and the like, for the log.
    QString describe() const;
};

// Starts a tool and waits for it, polling once per interval up to the run's
// limit. The caller gets the result only when the tool has ended or the limit
// is reached; meanwhile the idle handler is called every few milliseconds so
// that an open window keeps painting.
class ProcessRunner final
{
public:
    explicit ProcessRunner(std::chrono::milliseconds pollInterval = std::chrono::milliseconds(1000));

    // The default handler serves pending events except user input and
    // timers: the window repaints, but no click and no tick re-enters the
    // code that is waiting for the tool.
    void setIdleHandler(std::function<void()> idle) { m_idle = std::move(idle); }
    static void serveWindowEvents();

    std::chrono::milliseconds pollInterval() const { return m_pollInterval; }

    ToolResult run(const ToolRun &run);

private:
    std::chrono::milliseconds m_pollInterval;
    std::function<void()> m_idle;
};

// Sets a tool's process up to run: program, arguments, working folder, the
// mark that finds what it leaves running, its own process group, no input
// and no output but its error output.
void prepareToolProcess(QProcess &process, const ToolRun &run, const ToolProcessTree &tree);

// A path as a tool argument: a relative path that starts with "-" gets "./"
// in front so that no tool takes it for an option.
QString pathArgument(const QString &path);

} // namespace skywell
