// The main window driven as a user drives it, over the real Show list,
// Show file, scheduler and recording roster.
#include "core/settingsstore.h"
#include "windowrig.h"

#include "core/hint.h"
#include "recording/manualrecording.h"
#include "shows/recordsources.h"
#include "ui/desktoptray.h"
#include "ui/imagebutton.h"
#include "ui/qtprompter.h"
#include "ui/recordingsoverview.h"
#include "ui/showlistview.h"
#include "ui/statuslineview.h"

#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QSignalSpy>
#include <QtTest>

using namespace skywell;
using namespace skywell::test;

namespace
{

using Kind = ScriptedPrompter::Kind;

void click(MainWindow &window, MainWindow::Button id)
{
    QTest::mouseClick(window.button(id), Qt::LeftButton);
}

QStringList namesInView(const MainWindow &window)
{
    QStringList names;
    for (int row = 0; row < window.showList()->topLevelItemCount(); ++row)
        names << window.showList()->topLevelItem(row)->text(0);
    return names;
}

QString rowText(const MainWindow &window, int row)
{
    return window.showList()->topLevelItem(row)->text(1);
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layoutFollowsTheFixedGeometry();
    void listCommandsKeepListViewAndFileInStep();
    void sortingRebuildsTheListOrder();
    void commandsWithoutSelectionSaySo();
    void addShowTakesACataloguePick();
    void plainChooserUntilTheChooserIsConnected();
    void plainPickDialogListsTheCatalogue();
    void recordNowStartsAndStopsThroughTheController();
    void enterOnTheStopQuestionKeepsTheRecording();
    void listenOnlyRecordingStopsWithoutAQuestion();
    void tuningToAnotherShowLeavesTheRecordingsAddress();
    void recordingStartedMeanwhileIsNotOverridden();
    void recordNowChecksAgainAfterItsHint();
    void levelMeterAndElapsedTimeFollowTheRecording();
    void recordingsSideBySideAreShownAndStoppedOneByOne();
    void rulesForSeveralRecordings();
    void keyboardReachesTheCommands();
    void longMixedNameShowsWholeInItsTooltips();
    void asksBeforeQuitting();
    void exitTellsOfAScheduledRecordingThatKeptNothing();
    void savedPosition();
    void dragsByItsBackground();
    void damagedSkinFallsBackToTheBuiltInOne();
    void skinIsOneSurface();
};

void MainWindowTest::layoutFollowsTheFixedGeometry()
{
    WindowRig rig;
    MainWindow &window = rig.open();
    QCOMPARE(window.size(), QSize(594, 475));
    QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(window.button(MainWindow::AddShow)->geometry(), QRect(14, 88, 122, 35));
    QCOMPARE(window.button(MainWindow::RecordNow)->toolTip(),
             QStringLiteral("Start or stop recording the selected show"));
    QCOMPARE(window.button(MainWindow::Exit)->geometry(), QRect(566, 3, 23, 23));
    QCOMPARE(window.showList()->geometry(), QRect(139, 93, 440, 254));
    QCOMPARE(window.showList()->headerItem()->text(1), QStringLiteral("Next Recording"));
    QCOMPARE(window.showList()->columnWidth(0), 180);
    QCOMPARE(window.levelMeter()->maximum(), 65535);
    QCOMPARE(window.statusLine()->drawnText(), QStringLiteral("Status: Ready") + QString(18, QLatin1Char(' ')));
}

void MainWindowTest::listCommandsKeepListViewAndFileInStep()
{
    WindowRig rig;
    const std::int64_t now = rig.clock.now();
    QStringList toAdd{QStringLiteral("Morning"), QStringLiteral("Jazz"), QStringLiteral("News")};
    int next = 0;
    rig.dialogs.chooseHowToAddShow = [] { return std::optional<int>(3); };
    rig.dialogs.editShow = [&](Show &show, bool isNew) {
        if (!isNew) {
            setFieldText(show.name, QStringLiteral("Late Jazz"));
            return true;
        }
        show = rig.makeShow(toAdd[next], now + 3600 * (next + 1), OUT_MP3_FM);
        ++next;
        return true;
    };
    MainWindow &window = rig.open();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (int i = 0; i < 3; ++i)
        window.addShow();
    QCOMPARE(namesInView(window), toAdd);
    QCOMPARE(rig.namesInList(), toAdd);
    QCOMPARE(rig.namesOnDisk(), toAdd);
    QVERIFY(rowText(window, 0).endsWith(QStringLiteral("(1x)")));

    // Edit by double click.
    window.showList()->selectRow(1);
    const QRect rect = window.showList()->visualItemRect(window.showList()->topLevelItem(1));
    QTest::mouseClick(window.showList()->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(window.showList()->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(rig.namesOnDisk(),
             (QStringList{QStringLiteral("Morning"), QStringLiteral("Late Jazz"), QStringLiteral("News")}));
    QCOMPARE(namesInView(window), rig.namesOnDisk());

    // Move: the last one up, then past the top, then the top one down.
    window.showList()->selectRow(2);
    click(window, MainWindow::MoveShowUp);
    click(window, MainWindow::MoveShowUp);
    click(window, MainWindow::MoveShowUp);
    QCOMPARE(window.showList()->selectedRow(), 0);
    QCOMPARE(rig.namesOnDisk(),
             (QStringList{QStringLiteral("News"), QStringLiteral("Morning"), QStringLiteral("Late Jazz")}));
    window.showList()->selectRow(2);
    click(window, MainWindow::MoveShowDown); // the last row stays
    QCOMPARE(rig.namesOnDisk().last(), QStringLiteral("Late Jazz"));
    QCOMPARE(namesInView(window), rig.namesOnDisk());

    // Delete: No keeps it, Yes removes it.
    window.showList()->selectRow(1);
    click(window, MainWindow::DeleteShow);
    QCOMPARE(rig.namesOnDisk().size(), 3);
    QCOMPARE(rig.prompter.prompts().last().caption, QStringLiteral("Delete Show"));
    rig.prompter.queueAnswer(true);
    click(window, MainWindow::DeleteShow);
    QCOMPARE(rig.namesOnDisk(), (QStringList{QStringLiteral("News"), QStringLiteral("Late Jazz")}));
    QCOMPARE(namesInView(window), rig.namesOnDisk());
    QCOMPARE(rig.namesInList(), rig.namesOnDisk());
}

void MainWindowTest::sortingRebuildsTheListOrder()
{
    WindowRig rig;
    const std::int64_t now = rig.clock.now();
    // An unscheduled Show with an early stored start, and a repeating one
    // without weekdays: both count as unscheduled and go last.
    rig.shows.push_back(rig.makeShow(QStringLiteral("beta"), now - 86400 * 30, SHOW_UNSCHEDULED | OUT_MP3_FM));
    rig.shows.push_back(rig.makeShow(QStringLiteral("Zulu"), now + 7200, OUT_MP3_FM));
    rig.shows.push_back(rig.makeShow(QStringLiteral("Alpha"), now + 3600 * 5, OUT_MP3_FM));
    rig.shows.push_back(rig.makeShow(QStringLiteral("Nodays"), now - 86400 * 40, SHOW_REPEATING | OUT_MP3_FM));
    rig.store.save(rig.shows);
    MainWindow &window = rig.open();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(rowText(window, 0), QStringLiteral("Unscheduled"));
    QCOMPARE(rowText(window, 3), QStringLiteral("Unscheduled"));

    // The selected Show stays selected through every sort, and Delete
    // acts on it.
    window.showList()->selectRow(2); // Alpha
    QHeaderView *header = window.showList()->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionPosition(1) + 20, 5));
    QCOMPARE(rig.namesOnDisk(), (QStringList{QStringLiteral("Zulu"), QStringLiteral("Alpha"), QStringLiteral("beta"),
                                             QStringLiteral("Nodays")}));
    QCOMPARE(namesInView(window), rig.namesOnDisk());
    QCOMPARE(window.showList()->selectedRow(), 1);
    QCOMPARE(window.showList()->currentItem()->text(0), QStringLiteral("Alpha"));

    // By name: byte order, so capitals before small letters.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionPosition(0) + 20, 5));
    QCOMPARE(rig.namesOnDisk(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Nodays"), QStringLiteral("Zulu"),
                                             QStringLiteral("beta")}));
    QCOMPARE(namesInView(window), rig.namesOnDisk());
    QCOMPARE(window.showList()->selectedRow(), 0);
    window.refreshShowList();
    QCOMPARE(window.showList()->selectedRow(), 0);
    rig.prompter.clear();
    rig.prompter.queueAnswer(true);
    click(window, MainWindow::DeleteShow);
    QCOMPARE(rig.prompter.prompts().last().text, QStringLiteral("OK to delete the Show \"Alpha\"?"));
    QCOMPARE(rig.namesOnDisk(),
             (QStringList{QStringLiteral("Nodays"), QStringLiteral("Zulu"), QStringLiteral("beta")}));
    QCOMPARE(window.showList()->selectedRow(), -1);
}

void MainWindowTest::commandsWithoutSelectionSaySo()
{
    WindowRig rig;
    rig.shows.push_back(rig.makeShow(QStringLiteral("Morning"), rig.clock.now() + 600, OUT_MP3_FM));
    QString filter;
    rig.dialogs.viewRecordings = [&](const QString &f) { filter = f; };
    MainWindow &window = rig.open();
    const QList<QPair<MainWindow::Button, QString>> commands{
        {MainWindow::EditShow, QStringLiteral("Select an item to edit")},
        {MainWindow::DeleteShow, QStringLiteral("Select an item to delete")},
        {MainWindow::RecordNow, QStringLiteral("Select a show to record")},
        {MainWindow::TuneToShow, QStringLiteral("Select a program to listen to")},
        {MainWindow::MoveShowUp, QStringLiteral("Please select an item to move up or down")},
        {MainWindow::MoveShowDown, QStringLiteral("Please select an item to move up or down")},
    };
    for (const auto &[id, text] : commands) {
        rig.prompter.clear();
        click(window, id);
        QCOMPARE(rig.prompter.prompts().size(), 1);
        QCOMPARE(rig.prompter.prompts().front().kind, Kind::Information);
        QVERIFY2(rig.prompter.prompts().front().text.startsWith(text + QStringLiteral(".\n\nClick a Show in the list")),
                 qPrintable(rig.prompter.prompts().front().text));
        QCOMPARE(rig.prompter.prompts().front().caption, QStringLiteral("Skywell"));
    }
    QVERIFY(!rig.roster.recording());
    QVERIFY(rig.tuned.isEmpty());
    QCOMPARE(rig.namesOnDisk(), QStringList());

    click(window, MainWindow::ViewRecordings);
    QCOMPARE(filter, QStringLiteral("."));
    window.showList()->selectRow(0);
    click(window, MainWindow::ViewRecordings);
    QCOMPARE(filter, QStringLiteral("Morning"));
    QCOMPARE(window.showList()->selectedRow(), -1);

    window.showList()->selectRow(0);
    click(window, MainWindow::TuneToShow);
    QCOMPARE(rig.tuned, QStringList{QStringLiteral("http://127.0.0.1:9/Morning")});
}

void MainWindowTest::addShowTakesACataloguePick()
{
    WindowRig rig;
    rig.dialogs.chooseHowToAddShow = [] { return std::optional<int>(2); };
    rig.dialogs.pickCatalogueEntry = [](CatalogueMode mode) {
        PickResult pick;
        pick.name = mode == CatalogueMode::Station ? QStringLiteral("Station One") : QStringLiteral("?");
        pick.address = QStringLiteral("http://radio.example/one");
        pick.flags = kPickedStationFlags | OPT_DIRECT_DOWNLOAD;
        pick.playerLetter = 'W';
        return std::optional<PickResult>(pick);
    };
    std::optional<Show> offered;
    rig.dialogs.editShow = [&](Show &show, bool) {
        offered = show;
        return true;
    };
    MainWindow &window = rig.open();
    click(window, MainWindow::AddShow);
    QVERIFY(offered);
    QCOMPARE(fieldText(offered->name), QStringLiteral("Station One"));
    QCOMPARE(offered->flags, kPickedStationFlags | OPT_DIRECT_DOWNLOAD);
    QCOMPARE(offered->tunerKind, 'W');
    QCOMPARE(fieldText(offered->recordSource), QStringLiteral("Direct Download"));
    QCOMPARE(rig.namesOnDisk(), QStringList{QStringLiteral("Station One")});
    QCOMPARE(rowText(window, 0), QStringLiteral("Unscheduled"));
    // The editor's Cancel adds nothing.
    rig.dialogs.editShow = [](Show &, bool) { return false; };
    rig.open();
    click(*rig.window, MainWindow::AddShow);
    QCOMPARE(rig.namesOnDisk().size(), 1);
}

void MainWindowTest::plainChooserUntilTheChooserIsConnected()
{
    WindowRig rig;
    int edits = 0;
    rig.dialogs.editShow = [&](Show &show, bool isNew) {
        ++edits;
        setFieldText(show.name, QStringLiteral("By Hand"));
        return isNew;
    };
    MainWindow &window = rig.open();
    for (bool accept : {false, true}) {
        QTimer::singleShot(100, [accept] {
            auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->comboBoxItems(),
                     (QStringList{QStringLiteral("Pick a Show"), QStringLiteral("Pick a Station"),
                                  QStringLiteral("Enter Show Manually")}));
            dialog->setTextValue(QStringLiteral("Enter Show Manually"));
            accept ? dialog->accept() : dialog->reject();
        });
        click(window, MainWindow::AddShow);
    }
    QCOMPARE(edits, 1);
    QCOMPARE(rig.namesOnDisk(), QStringList{QStringLiteral("By Hand")});
}

void MainWindowTest::plainPickDialogListsTheCatalogue()
{
    WindowRig rig;
    QFile catalogue(rig.programFolder() + QStringLiteral("stations.txt"));
    QVERIFY(catalogue.open(QIODevice::WriteOnly));
    catalogue.write("Zeta FM|http://zeta.example/live\nalpha radio|http://alpha.example/\n");
    catalogue.close();
    rig.dialogs.chooseHowToAddShow = [] { return std::optional<int>(2); };
    MainWindow &window = rig.open();
    for (bool accept : {false, true}) {
        QTimer::singleShot(100, [accept] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Pick a Station"));
            auto *list = dialog->findChild<QListWidget *>();
            QVERIFY(list);
            QCOMPARE(list->count(), 2);
            QCOMPARE(list->item(0)->text(), QStringLiteral("alpha radio")); // letter case aside
            list->setCurrentRow(1);
            accept ? dialog->accept() : dialog->reject();
        });
        click(window, MainWindow::AddShow);
    }
    QCOMPARE(rig.namesOnDisk(), QStringList{QStringLiteral("Zeta FM")});
    QCOMPARE(fieldText(rig.shows.front().url), QStringLiteral("http://zeta.example/live"));
}

void MainWindowTest::recordNowStartsAndStopsThroughTheController()
{
    WindowRig rig;
    rig.shows.push_back(rig.makeShow(QStringLiteral("Morning"), rig.clock.now() + 7200, OUT_WAV));
    rig.shows.push_back(rig.makeShow(QStringLiteral("Jazz"), rig.clock.now() + 9000, OUT_WAV));
    MainWindow &window = rig.open();
    window.showList()->selectRow(1);
    click(window, MainWindow::RecordNow);
    QVERIFY(rig.roster.recording());
    QCOMPARE(rig.tuning.addresses, QStringList{QStringLiteral("http://127.0.0.1:9/Jazz")});
    QCOMPARE(rig.recording().name, QStringLiteral("Jazz"));
    QVERIFY(rig.recording().flags & SHOW_MANUAL);
    QCOMPARE(rig.recording().endTime, rig.clock.now() + 18000);
    QCOMPARE(window.recordButtonText(), QStringLiteral("Stop Recording"));
    QCOMPARE(window.statusLine()->status(), QStringLiteral("Manually recording Jazz"));
    QVERIFY(rowText(window, 1).startsWith(QStringLiteral("RECORDING until ")));
    QVERIFY(!rowText(window, 0).startsWith(QStringLiteral("RECORDING")));
    QCOMPARE(rig.prompter.prompts().front().text, kNotPreferredHintText);

    // Stop: the question, answered No, discards the track.
    rig.prompter.clear();
    rig.prompter.queueAnswer(false);
    click(window, MainWindow::RecordNow);
    QCOMPARE(rig.prompter.prompts().size(), 1);
    QCOMPARE(rig.prompter.prompts().front().text, QStringLiteral("Would you like to save the current recording?"));
    QVERIFY(!rig.roster.recording());
    QCOMPARE(window.recordButtonText(), QStringLiteral("Record Now"));
    QCOMPARE(window.statusLine()->status(), QStringLiteral("Ready"));
    QVERIFY(!rowText(window, 1).startsWith(QStringLiteral("RECORDING")));
    QVERIFY(QDir(rig.settings.mp3Folder).entryList(QDir::Files).isEmpty());
}

void MainWindowTest::enterOnTheStopQuestionKeepsTheRecording()
{
    // The desktop's own question box: Enter saves, Escape saves, only a
    // click on No discards.
    for (const bool clickNo : {false, true}) {
        WindowRig rig;
        rig.shows.push_back(rig.makeShow(QStringLiteral("Morning"), rig.clock.now() + 7200, OUT_WAV));
        QtPrompter prompter;
        WindowContext context{prompter, rig.settingsStore, rig.commands, rig.programFolder()};
        context.recordings = &rig.roster;
        MainWindow window(context);
        rig.roster.startRecording(recordNowRequest(rig.shows.front(), rig.clock.now()));
        rig.captureStarts();
        for (int i = 0; i < 120; ++i)
            rig.feedTone(0.5);
        rig.clock.advance(65);
        rig.roster.supervisionTick();
        QString asked;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            asked = box->text();
            if (clickNo)
                QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
            else
                QTest::keyClick(box, Qt::Key_Return);
        });
        click(window, MainWindow::RecordNow);
        QCOMPARE(asked, kSaveRecordingQuestion);
        QVERIFY(!rig.roster.recording());
        QCOMPARE(QDir(rig.settings.mp3Folder).entryList(QDir::Files).size(), clickNo ? 0 : 1);
    }
}

void MainWindowTest::listenOnlyRecordingStopsWithoutAQuestion()
{
    WindowRig rig;
    rig.shows.push_back(rig.makeShow(QStringLiteral("Listen"), rig.clock.now() + 7200, OUT_NONE));
    MainWindow &window = rig.open();
    window.showList()->selectRow(0);
    click(window, MainWindow::RecordNow);
    QVERIFY(rig.roster.recording());
    rig.prompter.clear();
    click(window, MainWindow::RecordNow);
    QCOMPARE(rig.prompter.prompts().size(), 0);
    QVERIFY(!rig.roster.recording());
    QCOMPARE(window.recordButtonText(), QStringLiteral("Record Now"));
}

void MainWindowTest::tuningToAnotherShowLeavesTheRecordingsAddress()
{
    WindowRig rig;
    rig.settings.retuneSeconds = 60;
    rig.shows.push_back(rig.makeShow(QStringLiteral("Morning"), rig.clock.now() + 7200, OUT_WAV));
    rig.shows.push_back(rig.makeShow(QStringLiteral("Jazz"), rig.clock.now() + 9000, OUT_WAV));
    MainWindow &window = rig.open();
    window.showList()->selectRow(1);
    click(window, MainWindow::RecordNow);
    rig.captureStarts();
    window.showList()->selectRow(0);
    click(window, MainWindow::TuneToShow);
    QCOMPARE(rig.tuned, QStringList{QStringLiteral("http://127.0.0.1:9/Morning")});
    // No sound for longer than the retune time: the recording tunes its
    // own station again, not the one listened to.
    rig.clock.advance(rig.settings.connectLeadSeconds + 200);
    rig.roster.supervisionTick();
    QTRY_COMPARE(rig.tuning.addresses.size(), 2);
    QCOMPARE(rig.tuning.addresses.last(), QStringLiteral("http://127.0.0.1:9/Jazz"));
}

void MainWindowTest::recordingStartedMeanwhileIsNotOverridden()
{
    WindowRig rig;
    // Heard through the desktop's player: it needs the chosen source.
    rig.shows.push_back(rig.makeShow(QStringLiteral("Morning"), rig.clock.now() + 7200, OUT_WAV));
    rig.shows.front().tunerKind = 'W';
    // While the Quick Record dialog is open a scheduled Show starts.
    QString source;
    rig.dialogs.quickRecord = [&rig, &source] {
        rig.roster.startRecording(requestFromShow(rig.shows.front()));
        RecordingRequest quick;
        quick.name = QStringLiteral("Quick");
        quick.recordSource = source;
        if (source == kInternetStream)
            quick.url = QStringLiteral("http://127.0.0.1:9/quick");
        return std::optional<RecordingRequest>(quick);
    };
    MainWindow &window = rig.open();
    click(window, MainWindow::QuickRecord);
    QCOMPARE(rig.running().size(), std::size_t(1));
    QCOMPARE(rig.recording().name, QStringLiteral("Morning"));
    QVERIFY(!rig.prompter.prompts().isEmpty());
    QCOMPARE(rig.prompter.prompts().last().text, kAlreadyRecordingText);
    QCOMPARE(window.recordButtonText(), QStringLiteral("Stop Recording"));
    // The chosen source stays taken: refused again.
    rig.prompter.clear();
    click(window, MainWindow::QuickRecord);
    QCOMPARE(rig.prompter.count(Kind::Information), 1);
    QCOMPARE(rig.running().size(), std::size_t(1));
    // Straight from the stream it records beside the Show.
    source = kInternetStream;
    rig.prompter.clear();
    click(window, MainWindow::QuickRecord);
    QCOMPARE(rig.prompter.count(Kind::Information), 0);
    QCOMPARE(rig.running().size(), std::size_t(2));
    QCOMPARE(rig.recording(1).name, QStringLiteral("Quick"));
    QCOMPARE(window.statusLine()->status(), QStringLiteral("Recording Morning, Quick"));
}

// Answers like the scripted prompter, and lets a scheduled Show start
// while the hint is open.
class HintWhileDuePrompter final : public Prompter
{
public:
    explicit HintWhileDuePrompter(ScriptedPrompter &inner) : m_inner(inner) {}
    void information(const QString &text, const QString &caption) override { m_inner.information(text, caption); }
    bool question(const QString &text, const QString &caption, DefaultAnswer preset) override
    {
        return m_inner.question(text, caption, preset);
    }
    void error(const QString &text, const QString &caption) override { m_inner.error(text, caption); }
    void fatal(const QString &text) override { m_inner.fatal(text); }
    bool hint(const QString &text) override
    {
        if (duringHint)
            duringHint();
        return m_inner.hint(text);
    }
    std::function<void()> duringHint;

private:
    ScriptedPrompter &m_inner;
};

void MainWindowTest::recordNowChecksAgainAfterItsHint()
{
    WindowRig rig;
    rig.shows.push_back(rig.makeShow(QStringLiteral("Scheduled"), rig.clock.now(), OUT_WAV));
    rig.shows.push_back(rig.makeShow(QStringLiteral("Manual"), rig.clock.now() + 7200, OUT_WAV));
    // Both heard through the desktop's player: one at a time.
    for (Show &show : rig.shows)
        show.tunerKind = 'W';
    HintWhileDuePrompter prompter(rig.prompter);
    prompter.duringHint = [&rig] { rig.roster.startRecording(requestFromShow(rig.shows.front())); };
    WindowContext context{prompter, rig.settingsStore, rig.commands, rig.programFolder()};
    context.recordings = &rig.roster;
    MainWindow window(context);
    window.showList()->selectRow(1);
    click(window, MainWindow::RecordNow);
    QCOMPARE(rig.recording().name, QStringLiteral("Scheduled"));
    QVERIFY(!(rig.recording().flags & SHOW_MANUAL));
    QCOMPARE(rig.prompter.prompts().last().text, kAlreadyRecordingText);
    QVERIFY(window.statusLine()->status() != QStringLiteral("Manually recording Manual"));
}

void MainWindowTest::levelMeterAndElapsedTimeFollowTheRecording()
{
    WindowRig rig;
    rig.shows.push_back(rig.makeShow(QStringLiteral("Morning"), rig.clock.now() + 7200, OUT_WAV));
    MainWindow &window = rig.open();
    window.showList()->selectRow(0);
    click(window, MainWindow::RecordNow);
    rig.captureStarts();
    QVERIFY(rig.window->tray()->recording());
    rig.feedTone(0.9);
    QVERIFY2(window.levelMeter()->value() > 25000, qPrintable(QString::number(window.levelMeter()->value())));
    rig.feedTone(0.1);
    QVERIFY(window.levelMeter()->value() < 5000);

    // Enough sound for a recording that is kept.
    for (int i = 0; i < 120; ++i)
        rig.feedTone(0.5);
    rig.clock.advance(65);
    rig.roster.supervisionTick();
    QCOMPARE(window.elapsedArea()->text(), QStringLiteral("00:01:05"));

    rig.prompter.queueAnswer(true);
    click(window, MainWindow::RecordNow);
    QVERIFY(!rig.roster.recording());
    QCOMPARE(window.levelMeter()->value(), 0);
    QVERIFY(!rig.window->tray()->recording());
    QCOMPARE(QDir(rig.settings.mp3Folder).entryList(QDir::Files).size(), 1);
}

void MainWindowTest::recordingsSideBySideAreShownAndStoppedOneByOne()
{
    WindowRig rig;
    rig.settingsStore.writeInt(kNotPreferredHintName, 1, SettingsGroup::Program);
    for (const char *name : {"Alpha", "Beta", "Gamma"})
        rig.shows.push_back(rig.makeShow(QString::fromLatin1(name), rig.clock.now() + 7200, OUT_WAV));
    MainWindow &window = rig.open();
    window.showList()->selectRow(0);
    click(window, MainWindow::RecordNow);
    rig.captureStarts(0);
    // Another Show selected: the button records it beside the first.
    window.showList()->selectRow(1);
    QCOMPARE(window.recordButtonText(), QStringLiteral("Record Now"));
    click(window, MainWindow::RecordNow);
    QCOMPARE(rig.running().size(), std::size_t(2));
    rig.captureStarts(1);
    QCOMPARE(window.recordButtonText(), QStringLiteral("Stop Recording"));
    QVERIFY(rowText(window, 0).startsWith(QStringLiteral("RECORDING until ")));
    QVERIFY(rowText(window, 1).startsWith(QStringLiteral("RECORDING until ")));
    QVERIFY(!rowText(window, 2).startsWith(QStringLiteral("RECORDING")));
    QCOMPARE(window.statusLine()->status(), QStringLiteral("Recording Alpha, Beta"));
    const QString tip = window.tray()->toolTip();
    QVERIFY2(tip.contains(QStringLiteral("Alpha")) && tip.contains(QStringLiteral("Beta")), qPrintable(tip));

    // The meter follows the selected Show's recording (Beta), not Alpha's.
    rig.feedTone(0.9, 0);
    QVERIFY(window.levelMeter()->value() < 5000);
    rig.feedTone(0.9, 1);
    QVERIFY(window.levelMeter()->value() > 25000);
    window.showList()->selectRow(0);
    rig.feedTone(0.1, 1);
    QVERIFY(window.levelMeter()->value() < 5000);
    rig.feedTone(0.9, 0);
    QVERIFY(window.levelMeter()->value() > 25000);

    // Enough sound in both for a track that is kept, then Stop with Alpha
    // selected ends Alpha only.
    for (int i = 0; i < 120; ++i) {
        rig.feedTone(0.5, 0);
        rig.feedTone(0.5, 1);
    }
    rig.clock.advance(65);
    rig.roster.supervisionTick();
    rig.prompter.queueAnswer(true);
    click(window, MainWindow::RecordNow);
    QTRY_COMPARE(rig.running().size(), std::size_t(1));
    QCOMPARE(rig.recording().name, QStringLiteral("Beta"));
    QTRY_COMPARE(QDir(rig.settings.mp3Folder).entryList(QDir::Files).size(), 1);
    QVERIFY(!rowText(window, 0).startsWith(QStringLiteral("RECORDING")));
    QVERIFY(rowText(window, 1).startsWith(QStringLiteral("RECORDING until ")));
    QCOMPARE(window.statusLine()->status(), QStringLiteral("Recording Beta"));
    // Alpha's row, no longer recording, offers Record Now; Beta records on
    // and the meter, with nothing else to follow, shows it.
    QCOMPARE(window.recordButtonText(), QStringLiteral("Record Now"));
    rig.feedTone(0.9);
    QVERIFY(window.levelMeter()->value() > 25000);
}

void MainWindowTest::rulesForSeveralRecordings()
{
    WindowRig rig;
    Show alpha = rig.makeShow(QStringLiteral("Alpha"), rig.clock.now() - 60, OUT_WAV);
    Show beta = rig.makeShow(QStringLiteral("Beta"), rig.clock.now() + 600, OUT_WAV);
    Show gamma = rig.makeShow(QStringLiteral("Gamma"), rig.clock.now() + 900, OUT_WAV);
    alpha.serial = 1;
    beta.serial = 2;
    gamma.serial = 3;
    const ShowList shows{alpha, beta, gamma};
    auto recordingOf = [](quint64 id, const Show &show, std::int64_t end) {
        RunningRecording r;
        r.id = id;
        r.name = fieldText(show.name);
        r.showSerial = show.serial;
        r.endTime = end;
        return r;
    };
    const std::int64_t alphaEnd = rig.clock.now() + 1800;
    const std::int64_t betaEnd = rig.clock.now() + 3600;
    RunningRecording quick;
    quick.id = 9;
    quick.name = QStringLiteral("Quick");
    const std::vector<RunningRecording> none;
    const std::vector<RunningRecording> one{recordingOf(4, alpha, alphaEnd)};
    const std::vector<RunningRecording> two{recordingOf(4, alpha, alphaEnd), recordingOf(5, beta, betaEnd)};

    // The status line.
    QCOMPARE(recordingsStatusText(none, {}), QStringLiteral("Ready"));
    QCOMPARE(recordingsStatusText(one, {}), QStringLiteral("Recording Alpha"));
    QCOMPARE(recordingsStatusText(one, {{4, QStringLiteral("Tuning to Alpha")}}), QStringLiteral("Tuning to Alpha"));
    QCOMPARE(recordingsStatusText(two, {{4, QStringLiteral("Tuning to Alpha")}}),
             QStringLiteral("Recording Alpha, Beta"));

    // Rows: each recorded Show until its recording's end; a Quick Record
    // named like a Show marks no row.
    const std::vector<RunningRecording> three{two[0], two[1], quick};
    QCOMPARE(showRowText(alpha, three, rig.clock), QStringLiteral("RECORDING until ") + clockText(alphaEnd));
    QCOMPARE(showRowText(beta, three, rig.clock), QStringLiteral("RECORDING until ") + clockText(betaEnd));
    QCOMPARE(showRowText(gamma, three, rig.clock), nextRecordingColumn(gamma, rig.clock));

    // Which recording the meter follows and the button stops.
    struct Case {
        const std::vector<RunningRecording> *running;
        std::optional<std::int16_t> selected;
        quint64 followed; // 0: none
        quint64 stopped;  // 0: the button starts the selected Show
    };
    const Case cases[] = {
        {&none, std::nullopt, 0, 0},
        {&none, 1, 0, 0},
        {&one, std::nullopt, 4, 4},
        {&one, 1, 4, 4},
        {&one, 2, 4, 0},
        {&two, 2, 5, 5},
        {&two, 3, 4, 0},
        {&two, std::nullopt, 4, 4},
    };
    for (const Case &c : cases) {
        const std::optional<RunningRecording> followed = followedRecording(*c.running, c.selected);
        const std::optional<RunningRecording> stopped = recordingTheButtonStops(*c.running, c.selected);
        QCOMPARE(followed ? followed->id : 0, c.followed);
        QCOMPARE(stopped ? stopped->id : 0, c.stopped);
    }

    // The tray's tip names every recording; the next Show is one not
    // being recorded.
    const QString tip = trayToolTip(shows, two, rig.clock);
    QVERIFY2(tip.contains(QStringLiteral("Alpha")) && tip.contains(QStringLiteral("Beta")), qPrintable(tip));
    QVERIFY2(tip.contains(QStringLiteral("Next: ") + QChar(0x2068) + QStringLiteral("Gamma")), qPrintable(tip));
    QVERIFY(!trayToolTip(shows, none, rig.clock).contains(QStringLiteral("Recording")));
}

void MainWindowTest::keyboardReachesTheCommands()
{
    WindowRig rig;
    rig.shows.push_back(rig.makeShow(QStringLiteral("Morning"), rig.clock.now() + 7200, OUT_WAV));
    rig.shows.push_back(rig.makeShow(QStringLiteral("Jazz"), rig.clock.now() + 9000, OUT_WAV));
    QStringList edited;
    int chooserOpened = 0;
    rig.dialogs.editShow = [&](Show &show, bool) {
        edited << fieldText(show.name);
        return false;
    };
    rig.dialogs.chooseHowToAddShow = [&] {
        ++chooserOpened;
        return std::optional<int>();
    };
    MainWindow &window = rig.open();
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    ShowListView *list = window.showList();
    QCOMPARE(QApplication::focusWidget(), list);

    // Tab follows the layout: the list lies between the buttons beside it
    // and the row below; the title bar's buttons lead to Add Show.
    QTest::keyClick(list, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window.button(MainWindow::QuickRecord));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), window.button(MainWindow::MoveShowDown));
    window.button(MainWindow::Exit)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ImageButton *add = window.button(MainWindow::AddShow);
    QCOMPARE(QApplication::focusWidget(), add);
    // The focused button shows it; Enter presses it.
    const QImage focused = add->grab().toImage();
    QTest::keyClick(add, Qt::Key_Return);
    QCOMPARE(chooserOpened, 1);
    list->setFocus();
    QVERIFY(add->grab().toImage() != focused);

    // The list: F2 and Enter edit the selected Show, Delete deletes it.
    list->selectRow(1);
    QTest::keyClick(list, Qt::Key_F2);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(edited, (QStringList{QStringLiteral("Jazz"), QStringLiteral("Jazz")}));
    rig.prompter.queueAnswer(true);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(rig.namesOnDisk(), QStringList{QStringLiteral("Morning")});

    // The window's shortcuts.
    QTest::keyClick(list, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(chooserOpened, 2);
    list->selectRow(0);
    QTest::keyClick(list, Qt::Key_R, Qt::ControlModifier);
    QVERIFY(rig.roster.recording());
    QCOMPARE(rig.recording().name, QStringLiteral("Morning"));
    rig.prompter.queueAnswer(false);
    QTest::keyClick(list, Qt::Key_R, Qt::ControlModifier);
    QVERIFY(!rig.roster.recording());
    rig.prompter.clear();
    click(window, MainWindow::Help);
    const QList<ScriptedPrompter::Prompt> byButton = rig.prompter.prompts();
    rig.prompter.clear();
    QTest::keyClick(list, Qt::Key_F1);
    QCOMPARE(rig.prompter.prompts().size(), byButton.size());
    QTest::keyClick(list, Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(rig.prompter.prompts().last().text, kQuitQuestion);
    QVERIFY(window.isVisible()); // answered No
}

void MainWindowTest::longMixedNameShowsWholeInItsTooltips()
{
    // 32 characters: emoji, Arabic and Hebrew between Latin words.
    const QString name = QStringLiteral("News 📻 نشرة الأخبار 🌙 חדשות ערב!");
    QCOMPARE(name.toUcs4().size(), 32);
    WindowRig rig;
    rig.shows.push_back(rig.makeShow(name, rig.clock.now() + 7200, OUT_WAV));
    rig.store.save(rig.shows);
    MainWindow &window = rig.open();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTreeWidgetItem *row = window.showList()->topLevelItem(0);
    QCOMPARE(row->text(0), name);
    QCOMPARE(rig.namesOnDisk(), QStringList{name});
    window.showList()->setColumnWidth(0, 60);
    QCOMPARE(row->toolTip(0), name);
    window.showList()->setColumnWidth(0, 180);

    window.showList()->selectRow(0);
    click(window, MainWindow::RecordNow);
    QCOMPARE(window.statusLine()->status(), QStringLiteral("Manually recording ") + name);
    window.statusLine()->resize(120, 16);
    QCOMPARE(window.statusLine()->toolTip(), QStringLiteral("Manually recording ") + name);
    QVERIFY(!window.grab().isNull());
    window.statusLine()->resize(370, 16);
    window.statusLine()->setStatus(QString());
    QCOMPARE(window.statusLine()->toolTip(), QString()); // "Ready" fits
}

void MainWindowTest::asksBeforeQuitting()
{
    WindowRig rig;
    MainWindow &window = rig.open();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy quit(&window, &MainWindow::quitConfirmed);
    QSignalSpy position(&window, &MainWindow::exitPosition);
    click(window, MainWindow::Exit); // answered No
    QCOMPARE(quit.count(), 0);
    QVERIFY(window.isVisible());
    QCOMPARE(rig.prompter.prompts().front().text, kQuitQuestion);
    window.close(); // the system's close: the same question, No again
    QVERIFY(window.isVisible());
    QCOMPARE(rig.prompter.prompts().size(), 2);

    rig.prompter.queueAnswer(true);
    click(window, MainWindow::Exit);
    QCOMPARE(quit.count(), 1);
    QCOMPARE(position.count(), 1);
    QVERIFY(!window.isVisible());

    // A quit request of a second start asks nothing.
    rig.open().show();
    rig.prompter.clear();
    rig.window->closeWithoutAsking();
    QCOMPARE(rig.prompter.prompts().size(), 0);
    QVERIFY(!rig.window->isVisible());
}

void MainWindowTest::exitTellsOfAScheduledRecordingThatKeptNothing()
{
    WindowRig rig;
    rig.shows.push_back(rig.makeShow(QStringLiteral("Quiet"), rig.clock.now(), OUT_WAV));
    MainWindow &window = rig.open();
    rig.roster.startRecording(requestFromShow(rig.shows.front()));
    rig.captureStarts();
    QCOMPARE(window.recordButtonText(), QStringLiteral("Stop Recording"));
    rig.clock.advance(1800 + 120);
    rig.roster.supervisionTick();
    QVERIFY(!rig.roster.recording());
    QVERIFY(rig.roster.nothingRecorded());
    QCOMPARE(window.recordButtonText(), QStringLiteral("Record Now"));

    rig.prompter.clear();
    click(window, MainWindow::Exit);
    QCOMPARE(rig.prompter.prompts().size(), 2);
    QCOMPARE(rig.prompter.prompts().at(0).text, kNothingRecordedQuestion);
    QCOMPARE(rig.prompter.prompts().at(0).caption, QStringLiteral("Skywell Error"));
    QCOMPARE(rig.prompter.prompts().at(1).text, kQuitQuestion);
    // Told once.
    rig.prompter.clear();
    click(window, MainWindow::Exit);
    QCOMPARE(rig.prompter.prompts().size(), 1);
}

void MainWindowTest::savedPosition()
{
    WindowRig rig;
    MainWindow &window = rig.open();
    window.move(200, 300);
    window.moveToSavedPosition(0, 0);
    QCOMPARE(window.pos(), QPoint(200, 30));
    window.moveToSavedPosition(15, 25);
    QCOMPARE(window.pos(), QPoint(15, 25));
}

void MainWindowTest::dragsByItsBackground()
{
    WindowRig rig;
    MainWindow &window = rig.open();
    window.move(100, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QPoint start = window.pos();
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(250, 340));
    QTest::mouseMove(&window, QPoint(290, 360));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(290, 360));
    QTRY_COMPARE(window.pos(), start + QPoint(40, 20));
    // After the release the mouse moves on its own.
    QTest::mouseMove(&window, QPoint(100, 100));
    QCOMPARE(window.pos(), start + QPoint(40, 20));
}

void MainWindowTest::skinIsOneSurface()
{
    WindowRig rig;
    MainWindow &window = rig.open();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage shown = window.grab().toImage();
    // The corners are the window's own dark colour, not the desktop's light one.
    for (const QPoint corner : {QPoint(1, 1), QPoint(592, 1), QPoint(1, 473), QPoint(592, 473)})
        QVERIFY2(qGray(shown.pixel(corner)) < 80, qPrintable(QString::number(qGray(shown.pixel(corner)))));
    // The status box is filled as its frame, the panel around it.
    const QRect status = window.statusLine()->geometry();
    QCOMPARE(shown.pixel(status.right() - 2, status.center().y()),
             shown.pixel(status.right() + 3, status.center().y()));
    // The list reaches down to the level meter's panel.
    QVERIFY(window.levelMeter()->geometry().top() - window.showList()->geometry().bottom() < 24);
}

void MainWindowTest::damagedSkinFallsBackToTheBuiltInOne()
{
    WindowRig rig;
    const QImage builtIn = rig.open().grab().toImage();
    QDir(rig.dir.path()).mkpath(QStringLiteral("skin"));
    QFile damaged(rig.dir.path() + QStringLiteral("/skin/background.png"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("\x89PNG\r\n\x1a\n garbage");
    damaged.close();
    const QImage shown = rig.open(rig.dir.path() + QStringLiteral("/skin")).grab().toImage();
    QCOMPARE(shown, builtIn);
    // A readable picture too small for the window is not taken either.
    QImage(10, 10, QImage::Format_RGB32).save(damaged.fileName());
    QCOMPARE(rig.open(rig.dir.path() + QStringLiteral("/skin")).grab().toImage(), builtIn);
    // The background is drawn, not left blank: the corner and the middle differ.
    QVERIFY(shown.pixel(300, 350) != shown.pixel(150, 100));
}

QTEST_MAIN(MainWindowTest)
#include "mainwindowtest.moc"
