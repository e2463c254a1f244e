#pragma once

#include "core/processtree.h"
#include "postprocess/processrunner.h"

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QTimer>

#include <chrono>
#include <functional>

namespace skywell
{

// One run of an external tool, driven by the event loop: the process's
// signals say when it ends, a timer when its limit (poll limit times poll
// interval) is reached. The result arrives through the callback, from the
// event loop, once the tool and everything it started have ended. The job
// deletes itself after the callback; deleting it earlier (with its parent)
// ends the tool and calls nothing.
class ToolJob final : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(const ToolResult &)>;

    explicit ToolJob(std::chrono::milliseconds pollInterval, QObject *parent = nullptr);
    ~ToolJob() override;

    // Starts a job under parent; done gets the result.
    static void start(const ToolRun &run, std::chrono::milliseconds pollInterval, QObject *parent, Done done);

private:
    void begin(const ToolRun &run, Done done);
    void limitReached();
    void processEnded();
    void complete(RunOutcome outcome);
    void signalGroup(int signal) const;

    std::chrono::milliseconds m_pollInterval;
    ToolProcessTree m_tree;
    QProcess m_process;
    // Remembers the tool's descendants once per poll interval, while their
    // parent chains are still whole.
    QTimer m_track;
    QTimer m_limit;
    // SIGKILL for a tool that did not go on SIGTERM at its limit.
    QTimer m_kill;
    QByteArray m_errorTail;
    Done m_done;
    bool m_timedOut = false;
    bool m_completed = false;
};

} // namespace skywell
