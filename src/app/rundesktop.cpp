#include "app/rundesktop.h"

#include "app/apprun.h"
#include "core/appcore.h"
#include "core/commandline.h"
#include "core/folders.h"
#include "core/hint.h"
#include "core/registry.h"
#include "core/singleinstance.h"
#include "platform/unixsignals.h"
#include "ui/mainwindow.h"
#include "ui/qtprompter.h"
#include "ui/splashscreen.h"

#include <QApplication>

namespace skywell
{

int runDesktop(const QString &programFolder, const CommandLine &commandLine, Registry &registry,
               SingleInstance &instance)
{
    if (commandLine.importPath.isEmpty())
        SplashScreen::showModal();

    AppRun run(programFolder, registry);
    QtPrompter prompter;
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
    UnixSignalWatcher signals;
    QObject::connect(&instance, &SingleInstance::messageReceived, &core, &AppCore::handleMessage);
    QObject::connect(&core, &AppCore::restoreRequested, &window, &MainWindow::restore);
    QObject::connect(&core, &AppCore::quitRequested, &window, &MainWindow::closeWithoutAsking);
    QObject::connect(&window, &MainWindow::quitConfirmed, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    QObject::connect(&signals, &UnixSignalWatcher::terminationRequested, &window, &MainWindow::closeWithoutAsking);
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
    const int code = QApplication::exec();
    run.shutdown();
    registry.setPrompter(nullptr);
    return code;
}

} // namespace skywell
