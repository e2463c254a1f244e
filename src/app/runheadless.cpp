#include "app/runheadless.h"

#include "core/activitylog.h"
#include "core/appcore.h"
#include "core/clock.h"
#include "core/commandline.h"
#include "core/registry.h"
#include "core/scriptedprompter.h"
#include "core/singleinstance.h"
#include "platform/unixsignals.h"
#include "platform/waketimerfd.h"

#include <QCoreApplication>

namespace skywell
{

int runHeadless(const QString &programFolder, const CommandLine &commandLine, Registry &registry,
                SingleInstance &instance)
{
    SystemClock clock;
    ActivityLog log(programFolder, clock);
    // Without a desktop every message goes to the log and every question
    // gets its safe answer, No.
    ScriptedPrompter prompter(&log);
    registry.setPrompter(&prompter);

    AppCore core(programFolder, clock, log, registry, prompter);
    UnixSignalWatcher signals;
    QObject::connect(&instance, &SingleInstance::messageReceived, &core, &AppCore::handleMessage);
    QObject::connect(&core, &AppCore::quitRequested, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    QObject::connect(&signals, &UnixSignalWatcher::terminationRequested, qApp, &QCoreApplication::quit);

    core.setWakeTimerFactory([&log] { return WakeTimerFd::create(log); });
    core.openRun();
    core.start();
    if (!commandLine.importPath.isEmpty())
        core.importShow(commandLine.importPath);
    const int code = QCoreApplication::exec();
    core.shutdown();
    registry.setPrompter(nullptr);
    return code;
}

} // namespace skywell
