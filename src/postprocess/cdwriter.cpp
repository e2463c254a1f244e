#include "postprocess/cdwriter.h"

#include "core/activitylog.h"
#include "core/prompter.h"
#include "core/settingsstore.h"
#include "postprocess/processrunner.h"
#include "postprocess/tooljob.h"

#include <QCoreApplication>

namespace skywell
{

CdWriter::CdWriter(QString programFolder, SettingsStore &settingsStore, ActivityLog &log, Prompter &prompter,
                   ProcessRunner &runner, StatusLine status, ToolPrograms programs, ToolLimits limits)
    : m_programFolder(std::move(programFolder)), m_settingsStore(settingsStore), m_log(log), m_prompter(prompter),
      m_runner(runner), m_status(std::move(status)), m_programs(std::move(programs)), m_limits(limits)
{
}

QString CdWriter::defaultHelperPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/skywell-cdwrite");
}

void CdWriter::setStatus(const QString &text) const
{
    if (m_status)
        m_status(text);
}

std::optional<ToolRun> CdWriter::prepareRun(const std::optional<QString> &arguments, QString &refusal)
{
    // A list the helper cannot take whole is refused rather than cut in the
    // middle of a path.
    if (arguments && arguments->size() > kMaxArgumentLength) {
        refusal = QStringLiteral("The list of files for the CD is too long (%1 characters, at most %2). "
                                 "Burn fewer or shorter-named files at a time.")
                      .arg(arguments->size())
                      .arg(kMaxArgumentLength);
        m_log.logLine(QStringLiteral("CDWrite failed"), refusal);
        setStatus(QString());
        return std::nullopt;
    }

    // A helper that ends without writing its result must not leave the
    // result of an earlier run behind.
    m_settingsStore.writeString(kErrorMsgName, QStringLiteral("The CD writer ended without reporting a result."),
                                SettingsGroup::CdWrite);

    const QString helper = m_programs.cdWriter.isEmpty() ? defaultHelperPath() : m_programs.cdWriter;
    return ToolRun{helper, arguments ? QStringList{*arguments} : QStringList{}, m_limits.cdWriterPolls,
                   m_programFolder};
}

bool CdWriter::runResult(const std::optional<QString> &arguments, RunOutcome outcome, QString *resultOut)
{
    setStatus(QString());
    if (outcome == RunOutcome::NotStarted) {
        if (arguments)
            m_log.logLine(QStringLiteral("CDWrite failed"), *arguments);
        return false;
    }
    if (outcome == RunOutcome::TimedOut) {
        if (resultOut)
            *resultOut = QStringLiteral("CDWrite timed out. The CD was not burned successfully.");
        m_log.logLine(QStringLiteral("CDWrite closed after 400 minutes"));
        return false;
    }
    if (!resultOut)
        return true;
    *resultOut = m_settingsStore.readString(kErrorMsgName, SettingsGroup::CdWrite);
    return *resultOut == kSuccess;
}

bool CdWriter::runCDWriter(const std::optional<QString> &arguments, QString *resultOut)
{
    QString refusal;
    const std::optional<ToolRun> run = prepareRun(arguments, refusal);
    if (!run) {
        if (resultOut)
            *resultOut = refusal;
        return false;
    }
    const RunOutcome outcome = m_runner.run(*run).outcome;
    const bool ok = runResult(arguments, outcome, resultOut);
    if (outcome == RunOutcome::NotStarted)
        m_prompter.error(QStringLiteral("CD Burner failed"));
    return ok;
}

void CdWriter::burnCD(const QString &fileList, bool dataCD, std::function<void(bool, const QString &)> done)
{
    m_log.logLine(QStringLiteral("Burning CD from tracks"));
    const QString arguments = dataCD ? fileList + QStringLiteral("?/data") : fileList;
    setStatus(QStringLiteral("Burning CD"));
    QString refusal;
    const std::optional<ToolRun> run = prepareRun(arguments, refusal);
    if (!run) {
        QMetaObject::invokeMethod(
            &m_jobs, [done, refusal] { done(false, refusal); }, Qt::QueuedConnection);
        return;
    }
    ToolJob::start(*run, m_runner.pollInterval(), &m_jobs, [this, arguments, done](const ToolResult &result) {
        QString text;
        const bool ok = runResult(arguments, result.outcome, &text);
        if (result.outcome == RunOutcome::NotStarted)
            text = QStringLiteral("CD Burner failed");
        done(ok, text);
    });
}

bool CdWriter::burnCDFromTracks(const QString &fileList, bool dataCD, QString *resultOut)
{
    m_log.logLine(QStringLiteral("Burning CD from tracks"));
    const QString arguments = dataCD ? fileList + QStringLiteral("?/data") : fileList;
    setStatus(QStringLiteral("Burning CD"));
    return runCDWriter(arguments, resultOut);
}

bool CdWriter::setupCDBurner()
{
    QString text;
    const bool ok = runCDWriter(std::nullopt, &text);
    // A helper that did not start has already been reported.
    if (!ok && !text.isEmpty())
        m_prompter.information(text, kCaption);
    return ok;
}

} // namespace skywell
