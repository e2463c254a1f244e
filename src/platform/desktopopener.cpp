#include "platform/desktopopener.h"

#include <QProcess>

namespace skywell
{

namespace
{
// xdg-open's exit codes.
QString xdgOpenProblem(int exitCode)
{
    switch (exitCode) {
    case 2:
        return QStringLiteral("the file was not found.");
    case 3:
        return QStringLiteral("no program is set to open this kind of file. Choose one in the desktop's settings "
                              "for default applications.");
    default:
        return QStringLiteral("the program set for this kind of file ended with an error (%1).").arg(exitCode);
    }
}
} // namespace

void openWithDesktop(const QString &path, QObject *context, std::function<void(const QString &problem)> failed)
{
    // Not owned by context: closing a window must not end the player.
    auto *process = new QProcess;
    process->setProgram(QStringLiteral("xdg-open"));
    process->setArguments({path});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::errorOccurred, context, [process, failed](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            failed(QStringLiteral("xdg-open could not be started (%1). Install xdg-utils and choose a default "
                                  "media player.")
                       .arg(process->errorString()));
        }
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            process->deleteLater();
    });
    QObject::connect(process, &QProcess::finished, context, [failed](int exitCode, QProcess::ExitStatus status) {
        if (status == QProcess::NormalExit && exitCode != 0)
            failed(xdgOpenProblem(exitCode));
    });
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->start();
}

} // namespace skywell
