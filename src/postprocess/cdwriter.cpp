#include "postprocess/cdwriter.h"

#include "core/activitylog.h"
#include "core/prompter.h"
#include "core/registry.h"
#include "postprocess/processrunner.h"

#include <QCoreApplication>

namespace skywell
{

CdWriter::CdWriter(QString programFolder, Registry &registry, ActivityLog &log, Prompter &prompter,
                   ProcessRunner &runner, StatusLine status, ToolPrograms programs, ToolLimits limits)
    : m_programFolder(std::move(programFolder)), m_registry(registry), m_log(log), m_prompter(prompter),
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

bool CdWriter::runCDWriter(const std::optional<QString> &arguments, QString *resultOut)
{
    // A list the helper cannot take whole is refused rather than cut in the
    // middle of a path.
    if (arguments && arguments->size() > kMaxArgumentLength) {
        const QString text = QStringLiteral("The list of files for the CD is too long (%1 characters, at most %2). "
                                            "Burn fewer or shorter-named files at a time.")
                                 .arg(arguments->size())
                                 .arg(kMaxArgumentLength);
        m_log.logLine(QStringLiteral("CDWrite failed"), text);
        if (resultOut)
            *resultOut = text;
        setStatus(QString());
        return false;
    }

    // A helper that ends without writing its result must not leave the
    // result of an earlier run behind.
    m_registry.regWriteString(kErrorMsgName, QStringLiteral("The CD writer ended without reporting a result."),
                              kCdWriteKey);

    const QString helper = m_programs.cdWriter.isEmpty() ? defaultHelperPath() : m_programs.cdWriter;
    ToolRun run{helper, arguments ? QStringList{*arguments} : QStringList{}, m_limits.cdWriterPolls, m_programFolder};
    const RunOutcome outcome = m_runner.run(run).outcome;
    if (outcome == RunOutcome::NotStarted) {
        if (arguments)
            m_log.logLine(QStringLiteral("CDWrite failed"), *arguments);
        m_prompter.error(QStringLiteral("CD Burner failed"));
        setStatus(QString());
        return false;
    }
    if (outcome == RunOutcome::TimedOut) {
        if (resultOut)
            *resultOut = QStringLiteral("CDWrite timed out. The CD was not burned successfully.");
        m_log.logLine(QStringLiteral("CDWrite closed after 400 minutes"));
        setStatus(QString());
        return false;
    }
    setStatus(QString());
    if (!resultOut)
        return true;
    *resultOut = m_registry.regReadString(kErrorMsgName, kCdWriteKey);
    return *resultOut == kSuccess;
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
