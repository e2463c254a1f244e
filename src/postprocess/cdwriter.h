#pragma once

#include "postprocess/processrunner.h"
#include "postprocess/toolprograms.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace skywell
{

class ActivityLog;
class ProcessRunner;
class Prompter;
class SettingsStore;

// Starts the CD writer helper (skywell-cdwrite) and reads back what it left
// in "ErrorMsg" under the CdWrite settings group.
class CdWriter final
{
public:
    CdWriter(QString programFolder, SettingsStore &settingsStore, ActivityLog &log, Prompter &prompter,
             ProcessRunner &runner, StatusLine status = {}, ToolPrograms programs = {}, ToolLimits limits = {});

    // The longest file list the helper takes.
    static constexpr qsizetype kMaxArgumentLength = 4999;
    static inline const QString kErrorMsgName = QStringLiteral("ErrorMsg");
    static inline const QString kSuccess = QStringLiteral("Success");

    // Without arguments the helper opens its set-up. True when the helper
    // ended and, when resultOut is given, reported "Success".
    bool runCDWriter(const std::optional<QString> &arguments, QString *resultOut);

    // Burns the "?"-separated file list; a data CD gets "?/data" at the end.
    bool burnCDFromTracks(const QString &fileList, bool dataCD, QString *resultOut);

    // Burns as burnCDFromTracks does, beside the event loop: done gets
    // whether the CD was burned and the text that says why not. A failure
    // is left to the caller to report.
    void burnCD(const QString &fileList, bool dataCD, std::function<void(bool, const QString &)> done);

    // Opens the helper's set-up and shows its result unless it is "Success".
    bool setupCDBurner();

    // The helper beside the running program.
    static QString defaultHelperPath();

private:
    // The helper's run, or none when the arguments are refused (refusal
    // says why).
    std::optional<ToolRun> prepareRun(const std::optional<QString> &arguments, QString &refusal);
    // What a run of the helper came to; notStarted is logged here.
    bool runResult(const std::optional<QString> &arguments, RunOutcome outcome, QString *resultOut);
    void setStatus(const QString &text) const;

    QString m_programFolder;
    SettingsStore &m_settingsStore;
    ActivityLog &m_log;
    Prompter &m_prompter;
    ProcessRunner &m_runner;
    StatusLine m_status;
    ToolPrograms m_programs;
    ToolLimits m_limits;
    // The parent of the burns under way: they end with us.
    QObject m_jobs;
};

} // namespace skywell
