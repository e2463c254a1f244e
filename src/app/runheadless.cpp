#include "app/runheadless.h"

#include "app/apprun.h"
#include "app/controlpoint.h"
#include "app/webfrontend.h"
#include "core/requestgate.h"
#include "core/scriptedprompter.h"
#include "core/settingsstore.h"

#include <QCoreApplication>
#include <QTimer>

namespace skywell
{

int runHeadless(const QString &programFolder, const CommandLine &commandLine, SettingsStore &settingsStore,
                RequestGate &requests, SingleInstance &instance)
{
    AppRun run(programFolder, settingsStore);
    // Without a desktop every message goes to the log and every question
    // gets its safe answer, No.
    ScriptedPrompter prompter(&run.log());
    settingsStore.setPrompter(&prompter);

    run.start(prompter, commandLine, {});
    // A server without sound still records: from the streams themselves.
    run.recordFromStreamsWithoutSoundServer();
    QObject::connect(&requests, &RequestGate::messageReady, &run.core(),
                     [&run](int message, int code, const QString &path) {
                         deliverInstanceMessage(run.core(), message, code, path);
                     });
    QObject::connect(&requests, &RequestGate::noticeReady,
                     [&run](const QString &message, const QString &detail) { run.log().logLine(message, detail); });
    // A quit (UNINSTALL, SIGTERM, SIGINT) first ends a recording in
    // progress as Stop Recording does, so that nothing recorded is lost.
    const auto quit = [&run] {
        run.quitAfterRecording([] { QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); });
    };
    QObject::connect(&run.core(), &AppCore::quitRequested, qApp, quit, Qt::QueuedConnection);
    QObject::connect(&requests, &RequestGate::terminationReady, qApp, quit);

    // The command line manages this instance: its Show list, recordings.
    ControlPoint control(run, settingsStore, instance);
    WebFrontEnd web(control.service(), run, settingsStore, commandLine);
    QTimer::singleShot(0, &requests, [&requests, &control] {
        requests.open();
        control.open();
    });
    const int code = QCoreApplication::exec();
    run.shutdown();
    settingsStore.setPrompter(nullptr);
    return code;
}

} // namespace skywell
