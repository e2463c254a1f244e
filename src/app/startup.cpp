#include "app/startup.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/settingsstore.h"
#include "core/singleinstance.h"

#include <cstdio>

namespace skywell
{

namespace
{
StartDecision refuse(const QString &programFolder, const QString &message, const QString &detail)
{
    std::fprintf(stderr, "skywell: %s %s\n", qPrintable(message), qPrintable(detail));
    SystemClock clock;
    ActivityLog(programFolder, clock).logLine(message, detail);
    return StartDecision::Refused;
}

StartDecision handOver(SingleInstance &instance, InstanceRequest request, const QString &importPath,
                       const QString &programFolder)
{
    const QString error = instance.send(request, importPath);
    if (error.isEmpty())
        return StartDecision::HandedOver;
    return refuse(programFolder, QStringLiteral("The running Skywell did not get the request:"), error);
}
} // namespace

StartDecision decideStart(const CommandLine &commandLine, SettingsStore &settingsStore, SingleInstance &instance,
                          const QString &programFolder)
{
    // The request carries the path itself; the value is kept for whoever reads it.
    if (!commandLine.importPath.isEmpty())
        settingsStore.writeString(QStringLiteral("ImportFile"), commandLine.importPath, SettingsGroup::Program);
    if (commandLine.uninstall) {
        switch (instance.lockState()) {
        case ProgramFolderLock::State::Taken:
            return handOver(instance, InstanceRequest::Quit, QString(), programFolder);
        case ProgramFolderLock::State::Error:
            return refuse(programFolder, QStringLiteral("Cannot tell whether Skywell runs:"), instance.error());
        default:
            return StartDecision::HandedOver;
        }
    }
    switch (instance.claim()) {
    case SingleInstance::Claim::Claimed:
        // Recording works without the socket; only second starts cannot
        // reach this instance, so it runs and says so.
        if (!instance.listenProblem().isEmpty())
            std::fprintf(stderr, "skywell: A second start cannot reach this instance: %s\n",
                         qPrintable(instance.listenProblem()));
        return StartDecision::Run;
    case SingleInstance::Claim::Taken:
        return handOver(instance, commandLine.importPath.isEmpty() ? InstanceRequest::Restore : InstanceRequest::Import,
                        commandLine.importPath, programFolder);
    case SingleInstance::Claim::Failed:
        break;
    }
    return refuse(programFolder, QStringLiteral("Skywell cannot start:"), instance.error());
}

} // namespace skywell
