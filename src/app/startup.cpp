#include "app/startup.h"

#include "core/registry.h"
#include "core/singleinstance.h"

namespace skywell
{

StartDecision decideStart(const CommandLine &commandLine, Registry &registry, SingleInstance &instance)
{
    if (!commandLine.importPath.isEmpty())
        registry.regWriteString(QStringLiteral("ImportFile"), commandLine.importPath, kSkywellKey);
    if (commandLine.uninstall) {
        if (instance.anotherInstanceRuns())
            instance.send(InstanceRequest::Quit);
        return StartDecision::HandedOver;
    }
    if (!instance.claim()) {
        instance.send(commandLine.importPath.isEmpty() ? InstanceRequest::Restore : InstanceRequest::Import);
        return StartDecision::HandedOver;
    }
    return StartDecision::Run;
}

} // namespace skywell
