// Skywell: records internet radio shows unattended.

#include "app/controlclient.h"
#include "app/runheadless.h"
#include "app/startup.h"
#include "control/controloptions.h"
#include "core/commandline.h"
#include "core/folders.h"
#include "core/processtree.h"
#include "core/requestgate.h"
#include "core/settingsstore.h"
#include "core/singleinstance.h"
#include "platform/unixsignals.h"

#ifdef SKYWELL_WITH_GUI
#include "app/rundesktop.h"
#include <QApplication>
#endif
#include <QCoreApplication>
#include <QDir>

#include <clocale>
#include <cstdio>
#include <memory>

using namespace skywell;

#ifdef SKYWELL_WITH_GUI
namespace
{
bool desktopAvailable()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}
} // namespace
#endif

int main(int argc, char *argv[])
{
    // Without a home nothing may be written: it would land in "/".
    if (const QString noHome = missingHomeMessage(); !noHome.isEmpty()) {
        std::fprintf(stderr, "skywell: %s\n", qPrintable(noHome));
        return 2;
    }
    // What a converter script leaves behind is adopted by us and ended.
    becomeChildSubreaper();
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    // "skywell list", "skywell add ...": managing the running instance (or,
    // with none, the Show file) starts no window and no instance.
    if (!args.isEmpty() && isControlCommand(args.first())) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setOrganizationName(QStringLiteral("Skywell"));
        QCoreApplication::setApplicationName(QStringLiteral("skywell"));
        std::setlocale(LC_TIME, "C");
        SettingsStore settingsStore(SettingsStore::defaultUserRoot(), SettingsStore::defaultMachineRoot());
        return runControlCommand(args, programFolderFromEnvironment(), settingsStore);
    }
    const CommandLine commandLine = parseCommandLine(args, QDir::currentPath());
    const bool withWindow = !commandLine.headless && !commandLine.uninstall;

    // A window needs a desktop; without one this start can still hand its
    // request to a running instance, but cannot run itself.
    bool canShowWindow = false;
    std::unique_ptr<QCoreApplication> app;
#ifdef SKYWELL_WITH_GUI
    if (withWindow && desktopAvailable()) {
        // Plain widgets draw without OpenGL; loading GLX would map a
        // software renderer of tens of MB for nothing. The user's own choice
        // stands, and the programs we start get the environment we got.
        const bool chooseGl = !qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION");
        if (chooseGl)
            qputenv("QT_XCB_GL_INTEGRATION", "none");
        app = std::make_unique<QApplication>(argc, argv);
        if (chooseGl)
            qunsetenv("QT_XCB_GL_INTEGRATION");
        canShowWindow = true;
    }
#endif
    if (!app)
        app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Skywell"));
    QCoreApplication::setApplicationName(QStringLiteral("skywell"));
    // Times in the log and in file names use English day and month names.
    std::setlocale(LC_TIME, "C");

    const QString programFolder = programFolderFromEnvironment();
    SettingsStore settingsStore(SettingsStore::defaultUserRoot(), SettingsStore::defaultMachineRoot());
    SingleInstance instance(programFolder);
    // From here on a second start's requests (and what the log should hear
    // of them) and SIGTERM/SIGINT wait in the gate until the main loop runs;
    // none is lost during start-up.
    RequestGate requests;
    QObject::connect(&instance, &SingleInstance::messageReceived, &requests, &RequestGate::postMessage);
    QObject::connect(&instance, &SingleInstance::notice, &requests, &RequestGate::postNotice);
    // Watched before the instance is claimed: once a second start can reach
    // this one, a SIGTERM is a clean quit too.
    UnixSignalWatcher signals;
    QObject::connect(&signals, &UnixSignalWatcher::terminationRequested, &requests, &RequestGate::postTermination);
    const StartDecision decision = decideStart(commandLine, settingsStore, instance, programFolder);
    if (decision != StartDecision::Run)
        return decision == StartDecision::HandedOver ? 0 : 1;

    if (withWindow && !canShowWindow) {
        std::fputs("skywell: no desktop found (DISPLAY is not set). Run \"skywell --headless\" to record "
                   "without a window.\n",
                   stderr);
        return 2;
    }
#ifdef SKYWELL_WITH_GUI
    if (withWindow)
        return runDesktop(programFolder, commandLine, settingsStore, requests, instance);
#endif
    return runHeadless(programFolder, commandLine, settingsStore, requests, instance);
}
