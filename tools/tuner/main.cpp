// skywell-tuner: plays the address Skywell left in "TunerURL" to the
// default audio output, so that Skywell can record it.
//
//   skywell-tuner                 play "TunerURL" (window from "TunerLeft",
//                                 "TunerTop", "TunerRight")
//   skywell-tuner --minimized     the same, the window not shown
//   skywell-tuner URL             play URL instead
//   --station=NAME                the station's name, shown while the
//                                 stream gives no title
//
// Without a display it plays with no window and writes its status to the
// error output. It ends on a window-close request, SIGTERM or SIGINT.
#include "streamplayer.h"
#include "tunerstatus.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/folders.h"
#include "core/settingsstore.h"
#include "platform/unixsignals.h"
#include "tuning/tuningaddress.h"
#include "tuning/tuningvalues.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <clocale>
#include <cstdio>
#include <memory>

#ifdef SKYWELL_TUNER_WINDOW
#include "tunerwindow.h"

#include <QApplication>
#endif

using namespace skywell;
using namespace skywell::tuner;

namespace
{

bool haveDesktop()
{
#ifdef SKYWELL_TUNER_WINDOW
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return false;
#endif
}

void report(const QString &text)
{
    std::fprintf(stderr, "skywell-tuner: %s\n", qPrintable(text));
    std::fflush(stderr);
}

} // namespace

int main(int argc, char *argv[])
{
    [[maybe_unused]] const bool desktop = haveDesktop();
    std::unique_ptr<QCoreApplication> app;
#ifdef SKYWELL_TUNER_WINDOW
    if (desktop)
        app = std::make_unique<QApplication>(argc, argv);
#endif
    if (!app)
        app = std::make_unique<QCoreApplication>(argc, argv);
    // The playback library reads numbers in the C locale only.
    std::setlocale(LC_NUMERIC, "C");

    bool minimized = false;
    QString address;
    QString station;
    for (const QString &argument : app->arguments().mid(1)) {
        if (argument == kTunerMinimizedArgument)
            minimized = true;
        else if (argument.startsWith(kTunerStationArgument))
            station = argument.mid(kTunerStationArgument.size());
        else
            address = argument;
    }
    SettingsStore settingsStore(SettingsStore::defaultUserRoot(), SettingsStore::defaultMachineRoot());
    if (address.isEmpty())
        address = settingsStore.readString(TunerValueNames::url, SettingsGroup::Program).trimmed();

    // Failures go to Skywell's log too: a silent recording then says why.
    SystemClock clock;
    const QString programFolder = programFolderFromEnvironment();
    std::unique_ptr<ActivityLog> log;
    if (QDir(programFolder).exists())
        log = std::make_unique<ActivityLog>(programFolder, clock);

    if (address.isEmpty()) {
        report(QStringLiteral("no address to play (TunerURL is empty)"));
        if (log)
            log->logLine(QStringLiteral("Tuner: no address to play"));
        return 1;
    }

    // "www.radio.example/live" is a web address, not a file here.
    if (!QFileInfo::exists(address))
        address = playableAddress(address);

    StreamPlayer player;
    player.setStationName(station);
    if (const QString problem = player.initialize(); !problem.isEmpty()) {
        report(QStringLiteral("cannot play: %1").arg(problem));
        if (log)
            log->logLine(QStringLiteral("Tuner: cannot play"), problem);
        return 1;
    }
    QObject::connect(&player, &StreamPlayer::statusChanged, report);
    QObject::connect(&player, &StreamPlayer::streamTitleChanged,
                     [](const QString &title) { report(QStringLiteral("title: %1").arg(title)); });
    QObject::connect(&player, &StreamPlayer::failed, [&log, &player](const QString &reason) {
        if (log)
            log->logLine(QStringLiteral("Tuner: cannot play"), player.address() + QStringLiteral(": ") + reason);
    });

    UnixSignalWatcher termination;
    QObject::connect(&termination, &UnixSignalWatcher::terminationRequested, app.get(), &QCoreApplication::quit);

#ifdef SKYWELL_TUNER_WINDOW
    std::unique_ptr<TunerWindow> window;
    if (desktop) {
        window = std::make_unique<TunerWindow>(player);
        window->place(settingsStore.readInt(TunerValueNames::left, SettingsGroup::Program),
                      settingsStore.readInt(TunerValueNames::top, SettingsGroup::Program),
                      settingsStore.readInt(TunerValueNames::right, SettingsGroup::Program));
        // Started minimised (Skywell is in the tray, or headless), the
        // window stays unmapped: a window manager may map a window shown
        // minimised in front of the user's work first.
        if (!minimized)
            window->show();
    }
#else
    Q_UNUSED(minimized);
#endif
    player.play(address);
    return app->exec();
}
