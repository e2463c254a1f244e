#include "app/runheadless.h"

#include "app/apprun.h"
#include "core/registry.h"
#include "core/scriptedprompter.h"
#include "core/singleinstance.h"
#include "platform/unixsignals.h"

#include <QCoreApplication>

namespace skywell
{

int runHeadless(const QString &programFolder, const CommandLine &commandLine, Registry &registry,
                SingleInstance &instance)
{
    AppRun run(programFolder, registry);
    // Without a desktop every message goes to the log and every question
    // gets its safe answer, No.
    ScriptedPrompter prompter(&run.log());
    registry.setPrompter(&prompter);

    run.start(prompter, commandLine, {});
    UnixSignalWatcher signals;
    QObject::connect(&instance, &SingleInstance::messageReceived, &run.core(), &AppCore::handleMessage);
    QObject::connect(&run.core(), &AppCore::quitRequested, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    QObject::connect(&signals, &UnixSignalWatcher::terminationRequested, qApp, &QCoreApplication::quit);

    const int code = QCoreApplication::exec();
    run.shutdown();
    registry.setPrompter(nullptr);
    return code;
}

} // namespace skywell
