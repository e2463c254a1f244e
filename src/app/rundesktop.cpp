#include "app/rundesktop.h"

#include "app/appcore.h"
#include "app/apprun.h"
#include "app/controlpoint.h"
#include "app/desktopdialogs.h"
#include "app/desktoptuner.h"
#include "app/dialoghooks.h"
#include "app/recordingservice.h"
#include "app/webfrontend.h"
#include "core/clock.h"
#include "core/commandline.h"
#include "core/requestgate.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "shows/showlistcommands.h"
#include "tuning/tuning.h"
#include "ui/mainwindow.h"
#include "ui/qtprompter.h"
#include "ui/splashscreen.h"
#include "ui/userguideopener.h"

#include <QApplication>
#include <QTimer>

#include <memory>

namespace skywell
{

int runDesktop(const QString &programFolder, const CommandLine &commandLine, SettingsStore &settingsStore,
               RequestGate &requests, SingleInstance &instance)
{
    // A quit asked for while starting closes the splash and the start-up
    // boxes, so that the start-up ends and the main loop can quit.
    QtPrompter prompter;
    SplashScreen *splash = nullptr;
    DesktopDialogs *startUpDialogs = nullptr;
    QObject::connect(&requests, &RequestGate::quitWhileStarting, [&prompter, &splash, &startUpDialogs] {
        prompter.stopAsking();
        if (startUpDialogs)
            startUpDialogs->endWithoutAsking();
        if (splash)
            splash->reject();
    });
    // The splash shows while the program starts; it never holds the main
    // window back, and gives way to it (a quiet start leaves it its time).
    std::unique_ptr<SplashScreen> shownSplash;
    if (commandLine.importPath.isEmpty() && !requests.quitHeld()) {
        shownSplash = std::make_unique<SplashScreen>();
        shownSplash->setModal(false);
        shownSplash->show();
        splash = shownSplash.get();
    }
    QApplication::setWindowIcon(Skin::applicationIcon());
    QApplication::setQuitOnLastWindowClosed(false);

    AppRun run(programFolder, settingsStore);
    settingsStore.setPrompter(&prompter);

    // The settings sheet opens on a first start and for a missing folder;
    // imports (the command line's too) open the Show editor.
    DesktopDialogs setUp(run, settingsStore, prompter);
    startUpDialogs = &setUp;
    // The user guide installed with the program, in the desktop's browser;
    // the Show editor and the settings sheet open it at the section of the
    // page shown last.
    UserGuideOpener guide(prompter, QCoreApplication::applicationDirPath());
    QString helpAnchor;
    setUp.setUserGuide([&guide](const QString &anchor) { guide.open(anchor); });
    if (requests.quitHeld())
        setUp.endWithoutAsking();
    run.setShowEditor(setUp.showEditorStep());
    run.start(prompter, commandLine, setUp.configureSettings());
    AppCore &core = run.core();
    SystemClock clock;
    ShowListCommands commands(core.shows(), core.scheduler(), core.showStore(), settingsStore, prompter, clock);
    RecordingService *recordings = run.recordings();
    Tuning *tuning = run.tuning();

    WindowContext context{prompter, settingsStore, commands, programFolder};
    context.log = &run.log();
    context.recordings = recordings ? &recordings->roster() : nullptr;
    DesktopTuner tuner(tuning);
    context.tuner = &tuner;
    // The dialogs the window opens; each left empty has the window's plain
    // fallback (see WindowDialogs).
    WindowDialogs dialogs;
    dialogs.openHelp = [&guide](const QString &anchor) { guide.open(anchor); };
    // Quick Record, the recordings browser, the catalogue and station
    // picks, the URL Finder and About.
    connectDialogs(dialogs, run, settingsStore, prompter);
    dialogs.openSettings = [&setUp] { return setUp.runSettings(); };
    dialogs.editShow = [&setUp](Show &show, bool) { return setUp.editShow(show); };
    dialogs.chooseHowToAddShow = [&setUp]() -> std::optional<int> {
        return static_cast<int>(setUp.chooseHowToAddShow());
    };
    // Imports of a second start go through the same Show editor.
    if (dialogs.editShow)
        core.setShowEditor([edit = dialogs.editShow](Show &show) { return edit(show, true); });
    MainWindow window(context, dialogs, programFolder + QStringLiteral("skin"));
    prompter.setParent(&window);
    setUp.setWindow(
        &window, [&helpAnchor](const QString &anchor) { helpAnchor = anchor; },
        [&guide, &helpAnchor] { guide.open(helpAnchor); });

    if (recordings)
        QObject::connect(recordings, &RecordingService::statusLine, &window, &MainWindow::setStatus);
    if (tuning)
        QObject::connect(tuning, &Tuning::statusChanged, &window, &MainWindow::setStatus);
    tuner.openBeside(window);

    // A second start's requests; an import changes the list behind the view.
    QObject::connect(&requests, &RequestGate::messageReady, &window,
                     [&core, &window](int message, int code, const QString &path) {
                         deliverInstanceMessage(core, message, code, path);
                         window.refreshShowList();
                     });
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
    // SIGTERM and SIGINT end the program as Exit does, also while a box or
    // a dialog is open: those are cancelled first. A repeated signal does
    // the same again (a dialog opened since is cancelled too).
    QObject::connect(&requests, &RequestGate::terminationReady, &window, [&prompter, &setUp, &window] {
        prompter.stopAsking();
        setUp.endWithoutAsking();
        window.closeWithoutAsking();
    });
    QObject::connect(&window, &MainWindow::exitPosition, [&settingsStore](int left, int top) {
        settingsStore.writeInt(QStringLiteral("SavedLeft"), left, SettingsGroup::Program);
        settingsStore.writeInt(QStringLiteral("SavedTop"), top, SettingsGroup::Program);
    });

    window.refreshShowList();
    window.setStatus(QString());
    if (commandLine.quiet) {
        window.minimize();
    } else {
        window.show();
        if (shownSplash)
            shownSplash->accept();
        window.showAddShowHint();
    }
    window.moveToSavedPosition(settingsStore.readInt(QStringLiteral("SavedLeft"), SettingsGroup::Program),
                               settingsStore.readInt(QStringLiteral("SavedTop"), SettingsGroup::Program));
    // A first start goes on to the recording-source test.
    setUp.finishFirstStart();
    // The command line manages this instance too; the list redraws after
    // its changes.
    ControlPoint control(run, settingsStore, instance);
    QObject::connect(&control.instanceControl(), &InstanceControl::showListChanged, &window,
                     &MainWindow::refreshShowList);
    control.setBusy([] { return QApplication::activeModalWidget() != nullptr; });
    // The web page, when asked for, manages it through the same service.
    WebFrontEnd web(control.service(), run, settingsStore, commandLine);
    QTimer::singleShot(0, &requests, [&requests, &control] {
        requests.open();
        control.open();
    });
    const int code = QApplication::exec();
    run.shutdown();
    settingsStore.setPrompter(nullptr);
    return code;
}

} // namespace skywell
