// A station's page on 127.0.0.1 links to its stream; the URL Finder, run
// from the main window over the real run, goes there in its browser
// (skywell-urlfinder beside this program), Get Popup URL: takes the stream
// it found, Add Show hands it over, and the Show is entered manually and
// saved. Run by the desktop end-to-end test; exits 0 once the Show holds
// the stream's address.
#include "app/apprun.h"
#include "app/dialoghooks.h"
#include "core/clock.h"
#include "core/commandline.h"
#include "core/folders.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "shows/showlistcommands.h"
#include "tuning/downloadtestserver.h"
#include "ui/addshowchooser.h"
#include "ui/mainwindow.h"
#include "ui/showeditor.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <clocale>
#include <cstdio>

using namespace skywell;

namespace
{

[[noreturn]] void failWith(const QString &text)
{
    std::fprintf(stderr, "FAIL: %s\n", qPrintable(text));
    std::fflush(stderr);
    std::_Exit(1);
}

QPushButton *buttonWithText(QWidget &widget, const QString &text)
{
    for (QPushButton *button : widget.findChildren<QPushButton *>()) {
        if (button->text().remove(QLatin1Char('&')) == text)
            return button;
    }
    failWith(QStringLiteral("no \"%1\" button in %2").arg(text, widget.windowTitle()));
}

QDialog *openDialog(const QString &title)
{
    auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    return dialog && dialog->windowTitle() == title ? dialog : nullptr;
}

// The user's steps, one per tick, each once its window is there.
struct Steps {
    QString page;
    QString stream;
    int step = 0;

    void tick()
    {
        if (step == 0) {
            if (QDialog *finder = openDialog(QStringLiteral("Skywell URL Finder"))) {
                finder->findChild<QLineEdit *>(QStringLiteral("address"))->setText(page);
                finder->findChild<QPushButton *>(QStringLiteral("goTop"))->click();
                step = 1;
            }
        } else if (step == 1) {
            if (QDialog *finder = openDialog(QStringLiteral("Skywell URL Finder"))) {
                buttonWithText(*finder, QStringLiteral("Get Popup URL:"))->click();
                if (finder->findChild<QLineEdit *>(QStringLiteral("popup"))->text() == stream) {
                    finder->findChild<QPushButton *>(QStringLiteral("addBottom"))->click();
                    step = 2;
                }
            }
        } else if (step == 2) {
            if (QDialog *chooser = openDialog(QStringLiteral("Add Show"))) {
                buttonWithText(*chooser, QStringLiteral("Enter Show Manually"))->click();
                step = 3;
            }
        } else if (step == 3) {
            if (QDialog *editor = openDialog(kShowEditorTitle)) {
                const QString url = editor->findChild<QLineEdit *>(QStringLiteral("url"))->text();
                if (url != stream)
                    failWith(QStringLiteral("the editor's address is \"%1\", not \"%2\"").arg(url, stream));
                editor->findChild<QLineEdit *>(QStringLiteral("showName"))->setText(QStringLiteral("Finder Show"));
                editor->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
                step = 4;
            }
        }
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Skywell"));
    QCoreApplication::setApplicationName(QStringLiteral("skywell"));
    std::setlocale(LC_TIME, "C");

    test::DownloadTestServer server;
    server.serve("/station.html",
                 "<html><head><title>Test Radio</title></head><body><h1>Test Radio</h1>"
                 "<p><a href=\"/about.html\">About us</a> <a href=\"/listen.pls\">Listen live</a></p></body></html>",
                 200, "text/html");
    server.serve("/about.html", "<html><body>About</body></html>", 200, "text/html");
    server.serve("/listen.pls", "[playlist]\nNumberOfEntries=1\nFile1=http://127.0.0.1:9/live\n", 200, "audio/x-scpls");

    const QString programFolder = programFolderFromEnvironment();
    SettingsStore settingsStore(SettingsStore::defaultUserRoot(), SettingsStore::defaultMachineRoot());
    ScriptedPrompter prompter;
    AppRun run(programFolder, settingsStore);
    run.start(prompter, CommandLine{}, [](Settings &settings, bool) {
        createFolder(settings.mp3Folder);
        createFolder(settings.tempFolder);
        return true;
    });
    SystemClock clock;
    AppCore &core = run.core();
    ShowListCommands commands(core.shows(), core.scheduler(), core.showStore(), settingsStore, prompter, clock);
    WindowContext context{prompter, settingsStore, commands, programFolder};
    context.log = &run.log();
    WindowDialogs dialogs;
    connectDialogs(dialogs, run, settingsStore, prompter);
    // The program's own chooser and Show editor.
    MainWindow *parent = nullptr;
    dialogs.chooseHowToAddShow = [&parent]() -> std::optional<int> { return int(chooseHowToAddShow(parent)); };
    ShowEditorContext editorContext{settingsStore, prompter, clock, core.settings(), programFolder};
    dialogs.editShow = [&parent, &editorContext](Show &show, bool) { return editShow(parent, show, editorContext); };
    MainWindow window(context, dialogs);
    parent = &window;
    window.show();

    Steps steps{server.url(QStringLiteral("/station.html")), server.url(QStringLiteral("/listen.pls"))};
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&steps] { steps.tick(); });
    ticks.start(250);
    QTimer::singleShot(180'000, [&steps] { failWith(QStringLiteral("stuck at step %1").arg(steps.step)); });
    window.urlFinder();
    ticks.stop();

    if (steps.step != 4)
        failWith(QStringLiteral("the URL Finder closed at step %1").arg(steps.step));
    bool added = false;
    for (const Show &show : commands.shows())
        added = added || fieldText(show.url) == steps.stream;
    if (!added)
        failWith(QStringLiteral("no Show with the stream's address"));
    run.shutdown();
    return 0;
}
