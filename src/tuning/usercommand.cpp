#include "tuning/usercommand.h"

#include "tuning/tuningaddress.h"

#include <QProcess>

namespace skywell
{

QString runUserCommand(const QString &commandLine, std::chrono::milliseconds limit)
{
    const ProgramCommand command = splitCommandLine(commandLine);
    if (!command.error.isEmpty())
        return command.error;
    QProcess process;
    process.setProgram(command.program);
    process.setArguments(command.arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(5000))
        return process.errorString();
    if (!process.waitForFinished(static_cast<int>(limit.count()))) {
        process.kill();
        process.waitForFinished(2000);
        return QStringLiteral("still running after %1 seconds; ended").arg(limit.count() / 1000);
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return QStringLiteral("ended by a signal");
    if (process.exitCode() != 0)
        return QStringLiteral("exited with code %1").arg(process.exitCode());
    return QString();
}

} // namespace skywell
