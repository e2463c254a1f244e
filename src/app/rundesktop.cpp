#include "app/rundesktop.h"

#include "app/appcore.h"
#include "app/apprun.h"
#include "core/commandline.h"
#include "core/folders.h"
#include "core/hint.h"
#include "core/registry.h"
#include "core/requestgate.h"
#include "ui/mainwindow.h"
#include "ui/qtprompter.h"
#include "ui/splashscreen.h"

#include <QApplication>
#include <QTimer>

namespace skywell
{

int runDesktop(const QString &programFolder, const CommandLine &commandLine, Registry &registry, RequestGate &requests)
{
    // A quit asked for while starting closes the splash and the start-up
    // boxes, so that the start-up ends and the main loop can quit.
    QtPrompter prompter;
    SplashScreen *splash = nullptr;
    QObject::connect(&requests, &RequestGate::quitWhileStarting, [&prompter, &splash] {
        prompter.stopAsking();
        if (splash)
            splash->reject();
    });
    if (commandLine.importPath.isEmpty() && !requests.quitHeld()) {
        SplashScreen shown;
        splash = &shown;
        shown.exec();
        splash = nullptr;
    }

    AppRun run(programFolder, registry);
    registry.setPrompter(&prompter);
    MainWindow window(prompter);
    prompter.setParent(&window);

    // Until the settings sheet exists, configuring accepts the settings as
    // they are and creates their folders.
    run.start(prompter, commandLine, [](Settings &settings, bool) {
        createFolder(settings.mp3Folder);
        createFolder(settings.tempFolder);
        return true;
    });
    AppCore &core = run.core();
    QObject::connect(&requests, &RequestGate::messageReady, &core, &AppCore::handleMessage);
    QObject::connect(&requests, &RequestGate::noticeReady,
                     [&run](const QString &message, const QString &detail) { run.log().logLine(message, detail); });
    QObject::connect(&core, &AppCore::restoreRequested, &window, &MainWindow::restore);
    QObject::connect(&core, &AppCore::quitRequested, &window, &MainWindow::closeWithoutAsking);
    // Exit ends a recording in progress as Stop Recording does first.
    QObject::connect(
        &window, &MainWindow::quitConfirmed, qApp,
        [&run] {
            run.quitAfterRecording(
                [] { QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); });
        },
        Qt::QueuedConnection);
    QObject::connect(&requests, &RequestGate::terminationReady, &window, &MainWindow::closeWithoutAsking);
    QObject::connect(&window, &MainWindow::exitPosition, [&registry](int left, int top) {
        registry.regWriteInt(QStringLiteral("SavedLeft"), left, kSkywellKey);
        registry.regWriteInt(QStringLiteral("SavedTop"), top, kSkywellKey);
    });

    if (commandLine.quiet) {
        window.showMinimized();
    } else {
        window.show();
        showHintOnce(kAddShowHintName, kAddShowHintText, registry, prompter);
    }
    window.moveToSavedPosition(registry.regReadInt(QStringLiteral("SavedLeft"), kSkywellKey),
                               registry.regReadInt(QStringLiteral("SavedTop"), kSkywellKey));
    QTimer::singleShot(0, &requests, &RequestGate::open);
    const int code = QApplication::exec();
    run.shutdown();
    registry.setPrompter(nullptr);
    return code;
}

} // namespace skywell
