#include "app/dialoghooks.h"

#include "app/apprun.h"
#include "app/recordingservice.h"
#include "core/clock.h"
#include "core/prompter.h"
#include "core/settings.h"
#include "core/userguide.h"
#include "mixer/mixer.h"
#include "mixer/sourcetest.h"
#include "platform/curltransfer.h"
#include "platform/desktopopener.h"
#include "tuning/catalogueupdate.h"
#include "tuning/stationdirectory.h"
#include "tuning/tuning.h"
#include "ui/aboutbox.h"
#include "ui/mainwindow.h"
#include "ui/pickdialog.h"
#include "ui/quickrecorddialog.h"
#include "ui/recordingsbrowser.h"
#include "ui/sourcetestdialog.h"
#include "ui/urlfinder.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace skywell
{

namespace
{

QWidget *dialogParent(QWidget *parent)
{
    return parent ? parent : QApplication::activeWindow();
}

} // namespace

void connectDialogs(WindowDialogs &dialogs, AppRun &run, SettingsStore &settingsStore, Prompter &prompter,
                    QWidget *parent)
{
    // The dialogs' Help buttons: the guide opener set before this call.
    const std::function<void(const QString &)> help = dialogs.openHelp;
    dialogs.quickRecord = [&run, &settingsStore, &prompter, parent, help]() -> std::optional<RecordingRequest> {
        static const SystemClock clock;
        QuickRecordDeps deps{settingsStore, prompter, clock, run.core().programFolder(), {}, {}, {}, {}, {}, {}};
        if (Mixer *mixer = run.mixer()) {
            deps.fillSources = [mixer](const QString &wanted) { return mixer->fillSourceCombo(wanted, false); };
            deps.sourceNameAt = [mixer](int index) { return mixer->comboSourceAt(index); };
        }
        if (RecordingSourceTest *test = run.sourceTest())
            deps.testSource = [test, &run] { runSourceTestWaiting(*test, run.core().settings().soundCard, true); };
        if (RecordingService *recordings = run.recordings()) {
            deps.setupCdBurner = [recordings] { recordings->cdWriter().setupCDBurner(); };
            deps.musicLibraryInstalled = [recordings] { return recordings->musicLibrary().isMusicLibraryInstalled(); };
        }
        deps.help = [help] {
            if (help)
                help(GuideSection::quickRecord);
        };
        return runQuickRecord(dialogParent(parent), std::move(deps));
    };
    dialogs.pickCatalogueEntry = [&run, &settingsStore, &prompter, parent](CatalogueMode mode) {
        static const SystemClock clock;
        const Settings &settings = run.core().settings();
        const QString folder = run.core().programFolder();
        const DownloadSetup setup{makeCurlTransfer, &prompter, {}, proxyText(settings)};
        // Lives as long as the dialog: closing it ends an update under way.
        CatalogueUpdate update(setup, prompter, settingsStore, folder);
        PickDialogDeps deps;
        deps.prompter = &prompter;
        deps.catalogue = &update;
        // The directory is searched on a worker thread: no messages from
        // there, the dialog shows the answer's error itself.
        DownloadSetup quiet = setup;
        quiet.prompter = nullptr;
        // Its answers are kept in the program folder; so are its temporary
        // files, which would otherwise land among the recordings.
        auto directory = std::make_shared<StationDirectory>(quiet, settingsStore, folder, folder);
        deps.searchStations = [directory](const StationQuery &query) { return directory->search(query); };
        return PickDialog::pick(mode, folder, clock.now(), std::move(deps), dialogParent(parent));
    };
    dialogs.urlFinder = [&run, &prompter, parent, help] {
        UrlFinderDeps deps;
        deps.prompter = &prompter;
        // Installed beside skywell, as it is built beside it.
        deps.browserProgram = QDir(QCoreApplication::applicationDirPath()).filePath(kUrlFinderProgramName);
        deps.openInBrowser = [](const QString &address) { QDesktopServices::openUrl(QUrl::fromUserInput(address)); };
        if (Tuning *tuning = run.tuning())
            deps.queryBrowserWindow = [tuning] { return tuning->queryBrowserWindow(); };
        deps.help = [help] {
            if (help)
                help(GuideSection::urlFinder);
        };
        return runUrlFinder(dialogParent(parent), std::move(deps));
    };
    dialogs.about = [parent] { runAboutBox(dialogParent(parent)); };
    dialogs.viewRecordings = [&run, &prompter, parent](const QString &filter) {
        RecordingsBrowserDeps deps{prompter, run.core().settings().mp3Folder, run.core().programFolder(), {}, {}, {}};
        deps.openFile = openWithDesktop;
        if (RecordingService *recordings = run.recordings()) {
            deps.decodeForAudioCd = [recordings](const QString &track, const QString &wav) {
                return recordings->converters().decodeForAudioCd(track, wav);
            };
            deps.burn = [recordings](const QString &list, bool dataCd) {
                QString result;
                recordings->cdWriter().burnCDFromTracks(list, dataCd, &result);
                return result;
            };
        }
        runRecordingsBrowser(dialogParent(parent), std::move(deps), filter);
    };
}

} // namespace skywell
