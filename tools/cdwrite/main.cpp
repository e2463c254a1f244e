// skywell-cdwrite: burns the files Skywell names onto a CD, or writes an
// image file instead, and leaves "Success" or the problem in "ErrorMsg".
//
//   skywell-cdwrite "/a/1.wav?/a/2.wav"          audio CD from WAV files
//   skywell-cdwrite "/a/1.mp3?/a/2.mp3?/data"    data CD
//   skywell-cdwrite                              set-up (needs a desktop)
//   skywell-cdwrite --device DRIVE --write-image yes|no --image-folder DIR
#include "burner.h"
#include "cdjob.h"
#include "cdwritesettings.h"

#include "core/settingsstore.h"

#include <QCoreApplication>
#include <cstdio>
#include <memory>

#ifdef SKYWELL_CDWRITE_WINDOWS
#include "progresswindow.h"
#include "setupdialog.h"

#include <QApplication>
#endif

using namespace skywell;
using namespace skywell::cdwrite;

namespace
{

bool haveDesktop()
{
#ifdef SKYWELL_CDWRITE_WINDOWS
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return false;
#endif
}

int finish(SettingsStore &settingsStore, const QString &result)
{
    writeResult(settingsStore, result);
    if (result != Burner::kSuccess)
        std::fprintf(stderr, "skywell-cdwrite: %s\n", qPrintable(result));
    return result == Burner::kSuccess ? 0 : 1;
}

// Set-up without a desktop: "--device DRIVE", "--write-image yes|no",
// "--image-folder DIR" in any order.
int commandLineSetup(const QStringList &arguments, SettingsStore &settingsStore)
{
    CdWriteSettings settings = loadCdWriteSettings(settingsStore);
    for (qsizetype i = 0; i < arguments.size(); i += 2) {
        const QString &option = arguments[i];
        if (i + 1 >= arguments.size())
            return finish(settingsStore, QStringLiteral("The set-up option %1 needs a value.").arg(option));
        const QString &value = arguments[i + 1];
        if (option == QLatin1String("--device")) {
            settings.device = value;
        } else if (option == QLatin1String("--image-folder")) {
            settings.imageFolder = value;
        } else if (option == QLatin1String("--write-image") &&
                   (value == QLatin1String("yes") || value == QLatin1String("no"))) {
            settings.writeImage = value == QLatin1String("yes");
        } else {
            return finish(settingsStore, QStringLiteral("Unknown set-up option: %1 %2").arg(option, value));
        }
    }
    saveCdWriteSettings(settings, settingsStore);
    return finish(settingsStore, Burner::kSuccess);
}

int setup(SettingsStore &settingsStore, bool desktop)
{
#ifdef SKYWELL_CDWRITE_WINDOWS
    if (desktop) {
        SetupDialog dialog(loadCdWriteSettings(settingsStore));
        if (dialog.exec() == QDialog::Accepted)
            saveCdWriteSettings(dialog.settings(), settingsStore);
        return finish(settingsStore, Burner::kSuccess);
    }
#else
    Q_UNUSED(desktop)
#endif
    return finish(settingsStore,
                  QStringLiteral("The CD writer set-up needs a desktop. Without one, run: skywell-cdwrite "
                                 "--device DRIVE --write-image yes|no --image-folder FOLDER"));
}

QString burn(const CdJob &job, const CdWriteSettings &settings, bool desktop)
{
#ifdef SKYWELL_CDWRITE_WINDOWS
    if (desktop) {
        std::unique_ptr<ProgressWindow> window;
        Burner burner(settings, [&window](const QString &line) {
            if (window)
                window->showLine(line);
        });
        const QString title = settings.writeImage ? QStringLiteral("Writing a CD image file")
                              : job.dataCd        ? QStringLiteral("Writing a data CD")
                                                  : QStringLiteral("Writing an audio CD");
        window = std::make_unique<ProgressWindow>(title, burner);
        window->show();
        QCoreApplication::processEvents();
        return burner.burn(job);
    }
#else
    Q_UNUSED(desktop)
#endif
    Burner burner(settings, [](const QString &line) { std::fprintf(stderr, "%s\n", qPrintable(line)); });
    return burner.burn(job);
}

} // namespace

int main(int argc, char **argv)
{
    const bool desktop = haveDesktop();
    std::unique_ptr<QCoreApplication> app;
#ifdef SKYWELL_CDWRITE_WINDOWS
    if (desktop)
        app = std::make_unique<QApplication>(argc, argv);
#endif
    if (!app)
        app = std::make_unique<QCoreApplication>(argc, argv);

    SettingsStore settingsStore(SettingsStore::defaultUserRoot(), SettingsStore::defaultMachineRoot());
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty())
        return setup(settingsStore, desktop);
    if (arguments.first() == QLatin1String("--help")) {
        std::printf("Usage: skywell-cdwrite \"FILE?FILE?...\"          audio CD from WAV files\n"
                    "       skywell-cdwrite \"FILE?FILE?...?/data\"    data CD\n"
                    "       skywell-cdwrite                            set-up window\n"
                    "       skywell-cdwrite --device DRIVE --write-image yes|no --image-folder FOLDER\n"
                    "The result (\"Success\" or the problem) is left in ErrorMsg of the CDWriteConfig settings.\n");
        return 0;
    }
    if (arguments.first().startsWith(QLatin1String("--")))
        return commandLineSetup(arguments, settingsStore);

    // Skywell passes the list as one argument; a list split by a shell at
    // its blanks is joined again.
    const CdJob job = parseCdJob(arguments.join(QLatin1Char(' ')));
    return finish(settingsStore, burn(job, loadCdWriteSettings(settingsStore), desktop));
}
