// The window's commands on the Show list and on the recording: what the
// user is asked and told; the rules are ShowListCommands' and the
// recording controller's.
#include "ui/mainwindow.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/hint.h"
#include "core/prompter.h"
#include "core/userguide.h"
#include "core/version.h"
#include "recording/manualrecording.h"
#include "shows/editoraccept.h"
#include "shows/showlistcommands.h"
#include "tuning/cataloguepick.h"
#include "ui/pickdialog.h"
#include "ui/recordingsoverview.h"
#include "ui/showlistview.h"
#include "ui/statuslineview.h"

#include <QDesktopServices>
#include <QInputDialog>
#include <QTimer>
#include <QUrl>

namespace skywell
{

namespace
{

// Tune to Show gives the player this long to come up before the window
// comes back to the top.
constexpr int kTuneWaitMs = 5000;

} // namespace

int MainWindow::selectedShow(const QString &noneText, const QString &button)
{
    const int row = m_list->selectedRow();
    if (row < 0) {
        // Nothing went wrong: the user is told how to go on.
        m_context.prompter.information(nothingSelectedText(noneText, button));
        return -1;
    }
    if (!m_context.commands.validIndex(row)) {
        m_context.prompter.error(kInvalidIndexText, kPlainErrorCaption);
        return -1;
    }
    return row;
}

bool MainWindow::editShowOrAccept(Show &show, bool isNew)
{
    if (m_dialogs.editShow)
        return m_dialogs.editShow(show, isNew);
    acceptShowUnchanged(show, m_context.commands.clock().now(), m_context.settingsStore, m_context.prompter);
    return true;
}

std::optional<int> MainWindow::chooseHowToAddPlainly()
{
    const QStringList ways{QStringLiteral("Pick a Show"), QStringLiteral("Pick a Station"),
                           QStringLiteral("Enter Show Manually")};
    bool ok = false;
    const QString way =
        QInputDialog::getItem(this, QStringLiteral("Add Show"), QStringLiteral("Add a show:"), ways, 0, false, &ok);
    if (!ok)
        return std::nullopt;
    return int(ways.indexOf(way)) + 1;
}

void MainWindow::addShow()
{
    addShowWithAddress(QString());
}

void MainWindow::addShowWithAddress(const QString &address)
{
    const std::optional<int> chosen =
        m_dialogs.chooseHowToAddShow ? m_dialogs.chooseHowToAddShow() : chooseHowToAddPlainly();
    if (!chosen || *chosen < 1 || *chosen > 3)
        return;
    const int choice = *chosen;
    Show show;
    setFieldText(show.url, address);
    if (choice == 1 || choice == 2) {
        const CatalogueMode mode = choice == 1 ? CatalogueMode::Show : CatalogueMode::Station;
        const std::optional<PickResult> pick =
            m_dialogs.pickCatalogueEntry
                ? m_dialogs.pickCatalogueEntry(mode)
                : PickDialog::pick(mode, m_context.programFolder, m_context.commands.clock().now(), this);
        if (!pick)
            return;
        applyPick(show, *pick, mode);
    }
    Show edited = show;
    if (!editShowOrAccept(edited, true))
        return;
    m_context.commands.add(edited);
    refreshShowList();
    m_list->selectRow(int(m_context.commands.shows().size()) - 1);
}

void MainWindow::editShow()
{
    const int row = selectedShow(kSelectToEditText, QStringLiteral("Edit Show"));
    if (row < 0)
        return;
    Show edited = m_context.commands.shows()[std::size_t(row)];
    if (editShowOrAccept(edited, false))
        m_context.commands.replace(row, edited);
    refreshShowList();
    m_list->selectRow(row);
}

void MainWindow::deleteShow()
{
    const int row = selectedShow(kSelectToDeleteText, QStringLiteral("Delete Show"));
    if (row < 0)
        return;
    const QString name = fieldText(m_context.commands.shows()[std::size_t(row)].name);
    if (!m_context.prompter.question(kDeleteQuestion.arg(name), kDeleteCaption))
        return;
    m_context.commands.remove(row);
    refreshShowList();
}

void MainWindow::moveShowUp()
{
    moveShow(-1);
}

void MainWindow::moveShowDown()
{
    moveShow(1);
}

void MainWindow::moveShow(int delta)
{
    const int row =
        selectedShow(kSelectToMoveText, delta < 0 ? QStringLiteral("Move Show Up") : QStringLiteral("Move Show Down"));
    if (row < 0)
        return;
    const int moved = delta < 0 ? m_context.commands.moveUp(row) : m_context.commands.moveDown(row);
    if (moved != row)
        refreshShowList();
    m_list->selectRow(moved);
}

void MainWindow::tuneToShow()
{
    const int row = selectedShow(kSelectToListenText, QStringLiteral("Tune to Show"));
    if (row < 0)
        return;
    // The player plays the Show on its own; a recording in progress keeps
    // its own address for retuning.
    if (m_context.tuner)
        m_context.tuner->tune(m_context.commands.shows()[std::size_t(row)]);
    QTimer::singleShot(kTuneWaitMs, this, [this] {
        if (isVisible()) {
            raise();
            activateWindow();
        }
    });
}

bool MainWindow::alreadyRecording(const RecordingRequest &request)
{
    if (!m_context.recordings || m_context.recordings->canStart(request))
        return false;
    m_context.prompter.information(kAlreadyRecordingText);
    return true;
}

void MainWindow::stopRecording(const RunningRecording &recording)
{
    RecordingRoster *roster = m_context.recordings;
    stopRecordingFromButton(*roster, recording, m_context.prompter);
    // The tuner windows left belong to no other recording.
    if (m_context.tuner && !roster->recording())
        m_context.tuner->closeWindows();
    recordingsChanged();
}

void MainWindow::recordNow()
{
    RecordingRoster *roster = m_context.recordings;
    if (const std::optional<RunningRecording> stops = recordingTheButtonStops(running(), selectedSerial())) {
        stopRecording(*stops);
        return;
    }
    const int row = selectedShow(kSelectToRecordText, kRecordNowText);
    if (row < 0)
        return;
    showHintOnce(kNotPreferredHintName, kNotPreferredHintText, m_context.settingsStore, m_context.prompter);
    const Show show = m_context.commands.shows()[std::size_t(row)];
    const RecordingRequest request = recordNowRequest(show, m_context.commands.clock().now());
    // A scheduled Show may have started while the hint was open.
    if (!roster || alreadyRecording(request) || !roster->startRecording(request))
        return;
    if (const std::optional<RunningRecording> started = roster->recordingOfShow(show.serial))
        m_statusTexts[started->id] = QStringLiteral("Manually recording ") + fieldText(show.name);
    recordingsChanged();
}

void MainWindow::quickRecord()
{
    if (!m_dialogs.quickRecord) {
        m_context.prompter.information(kNotAvailableYetText.arg(QStringLiteral("Quick Record")));
        return;
    }
    const std::optional<RecordingRequest> request = m_dialogs.quickRecord();
    // Whether it can run beside the recordings running (a scheduled one
    // may have started while the dialog was open).
    if (!request || !m_context.recordings || alreadyRecording(*request))
        return;
    if (!m_context.recordings->startRecording(*request))
        return;
    if (m_context.log)
        m_context.log->logLine(QStringLiteral("Start Quick Record"), request->name);
    recordingsChanged();
}

void MainWindow::viewRecordings()
{
    QString filter = QStringLiteral(".");
    const int row = m_list->selectedRow();
    if (row >= 0) {
        if (!m_context.commands.validIndex(row)) {
            m_context.prompter.error(kInvalidIndexText, kPlainErrorCaption);
            return;
        }
        filter = fieldText(m_context.commands.shows()[std::size_t(row)].name);
    }
    if (m_dialogs.viewRecordings)
        m_dialogs.viewRecordings(filter);
    else
        m_context.prompter.information(kNotAvailableYetText.arg(QStringLiteral("View Recordings")));
    m_list->clearSelection();
}

void MainWindow::urlFinder()
{
    if (!m_dialogs.urlFinder) {
        m_context.prompter.information(kNotAvailableYetText.arg(QStringLiteral("The URL Finder")));
        return;
    }
    const std::optional<QString> address = m_dialogs.urlFinder();
    if (address && !address->isEmpty())
        addShowWithAddress(address->left(512));
}

void MainWindow::stopOnRequest()
{
    if (m_context.log)
        m_context.log->logLine(QStringLiteral("Recording stopped by user"));
    if (m_context.recordings) {
        for (const RunningRecording &recording : m_context.recordings->running())
            m_context.recordings->endRecording(recording.id, true, true);
    }
}

void MainWindow::showNothingRecorded()
{
    if (m_context.prompter.question(kNothingRecordedQuestion, kErrorCaption))
        openHelp(GuideSection::nothingRecorded);
}

void MainWindow::showHelp()
{
    openHelp(GuideSection::mainWindow);
}

void MainWindow::openSettings()
{
    if (m_dialogs.openSettings)
        m_dialogs.openSettings();
    else
        m_context.prompter.information(kNotAvailableYetText.arg(QStringLiteral("Settings")));
}

void MainWindow::showAbout()
{
    if (m_dialogs.about)
        m_dialogs.about();
    else
        m_context.prompter.information(QStringLiteral("Skywell %1").arg(QLatin1String(kVersionText)));
}

void MainWindow::viewRecordLog()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_context.programFolder + QStringLiteral("log.txt")));
}

void MainWindow::showAddShowHint()
{
    // Only while there is no Show yet: it says where to begin.
    if (m_context.commands.shows().empty())
        showHintOnce(kAddShowHintName, kAddShowHintText, m_context.settingsStore, m_context.prompter);
}

void MainWindow::openHelp(const QString &anchor)
{
    if (m_dialogs.openHelp)
        m_dialogs.openHelp(anchor);
    else
        m_context.prompter.information(kNotAvailableYetText.arg(QStringLiteral("The user guide")));
}

void MainWindow::confirmExit()
{
    if (m_context.recordings && m_context.recordings->nothingRecorded()) {
        m_context.recordings->clearNothingRecorded();
        showNothingRecorded();
    }
    if (!m_context.prompter.question(kQuitQuestion))
        return;
    Q_EMIT exitPosition(x(), y());
    closeWithoutAsking();
}

} // namespace skywell
