// The desktop program's Quick Record on the real sound server, run by the
// desktop end-to-end test: the window and its dialogs over the real run,
// Quick Record chosen, the dialog filled and OK pressed as a user would,
// then the recording left to end by itself.
//   quickrecordcheck NAME MINUTES
#include "app/apprun.h"
#include "app/dialoghooks.h"
#include "app/recordingservice.h"
#include "core/clock.h"
#include "core/commandline.h"
#include "core/folders.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "shows/showlistcommands.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <clocale>
#include <cstdio>

using namespace skywell;

namespace
{

// Types the name and the minutes into the open Quick Record and presses OK.
void fillQuickRecord(const QString &name, const QString &minutes)
{
    auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    if (!dialog || dialog->windowTitle() != QStringLiteral("Quick Record")) {
        std::fprintf(stderr, "FAIL: Quick Record did not open\n");
        std::exit(1);
    }
    dialog->findChild<QLineEdit *>(QStringLiteral("name"))->setText(name);
    dialog->findChild<QLineEdit *>(QStringLiteral("hours"))->setText(QStringLiteral("0"));
    dialog->findChild<QLineEdit *>(QStringLiteral("minutes"))->setText(minutes);
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        if (button->text().remove(QLatin1Char('&')) == QStringLiteral("OK"))
            QTest::mouseClick(button, Qt::LeftButton);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Skywell"));
    QCoreApplication::setApplicationName(QStringLiteral("skywell"));
    std::setlocale(LC_TIME, "C");
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: quickrecordcheck NAME MINUTES\n");
        return 2;
    }

    const QString programFolder = programFolderFromEnvironment();
    SettingsStore settingsStore(SettingsStore::defaultUserRoot(), SettingsStore::defaultMachineRoot());
    ScriptedPrompter prompter;
    AppRun run(programFolder, settingsStore);
    run.start(prompter, CommandLine{}, [](Settings &settings, bool) {
        createFolder(settings.mp3Folder);
        createFolder(settings.tempFolder);
        return true;
    });
    RecordingService *recordings = run.recordings();
    if (!recordings) {
        std::fprintf(stderr, "FAIL: the recording service did not start\n");
        return 1;
    }
    SystemClock clock;
    AppCore &core = run.core();
    ShowListCommands commands(core.shows(), core.scheduler(), core.showStore(), settingsStore, prompter, clock);
    WindowContext context{prompter, settingsStore, commands, programFolder};
    context.log = &run.log();
    context.recordings = &recordings->roster();
    WindowDialogs dialogs;
    connectDialogs(dialogs, run, settingsStore, prompter);
    MainWindow window(context, dialogs);
    window.show();

    QTimer::singleShot(300, [&args] { fillQuickRecord(args[1], args[2]); });
    window.quickRecord();
    if (!recordings->roster().recording()) {
        std::fprintf(stderr, "FAIL: no recording started\n");
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    while (recordings->roster().recording()) {
        if (timer.elapsed() > 300'000) {
            std::fprintf(stderr, "FAIL: the recording did not end\n");
            return 1;
        }
        QTest::qWait(200);
    }
    run.shutdown();
    return 0;
}
