#include "app/rundesktop.h"

#include "core/activitylog.h"
#include "core/appcore.h"
#include "core/clock.h"
#include "core/commandline.h"
#include "core/folders.h"
#include "core/hint.h"
#include "core/registry.h"
#include "core/singleinstance.h"
#include "platform/unixsignals.h"
#include "platform/waketimerfd.h"
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

    SystemClock clock;
    ActivityLog log(programFolder, clock);
    QtPrompter prompter;
    registry.setPrompter(&prompter);
    AppCore core(programFolder, clock, log, registry, prompter);
    // Until the settings sheet exists, configuring accepts the settings as
    // they are and creates their folders.
    core.setConfigureSettings([](Settings &settings, bool) {
        createFolder(settings.mp3Folder);
        createFolder(settings.tempFolder);
        return true;
    });

    MainWindow window(prompter);
    prompter.setParent(&window);
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

    core.setWakeTimerFactory([&log] { return WakeTimerFd::create(log); });
    core.openRun();
    core.start();
    if (!commandLine.importPath.isEmpty())
        core.importShow(commandLine.importPath);
    if (commandLine.quiet) {
        window.showMinimized();
    } else {
        window.show();
        showHintOnce(kAddShowHintName, kAddShowHintText, registry, prompter);
    }
    window.moveToSavedPosition(registry.regReadInt(QStringLiteral("SavedLeft"), kSkywellKey),
                               registry.regReadInt(QStringLiteral("SavedTop"), kSkywellKey));
    const int code = QApplication::exec();
    core.shutdown();
    registry.setPrompter(nullptr);
    return code;
}

} // namespace skywell
