#pragma once

#include "recording/recordingroster.h"
#include "shows/show.h"
#include "tuning/catalogueline.h"
#include "ui/skin.h"
#include "ui/tunercontrol.h"

#include <QPoint>
#include <QWidget>

#include <functional>
#include <map>
#include <optional>
#include <vector>

class QLabel;
class QProgressBar;

namespace skywell
{

class ActivityLog;
class DesktopTray;
class ImageButton;
class Prompter;
class SettingsStore;
class ShowListCommands;
class ShowListView;
class StatusLineView;

// What the window works on. recordings may be null (no recording back
// end: Record Now then does nothing).
struct WindowContext {
    Prompter &prompter;
    SettingsStore &settingsStore;
    ShowListCommands &commands;
    QString programFolder;
    ActivityLog *log = nullptr;
    RecordingRoster *recordings = nullptr;
    // The tuner: Tune to Show, and its windows; null: none.
    TunerControl *tuner = nullptr;
};

// The dialogs the window opens, connected by the program; each has a plain
// fallback until its dialog exists.
struct WindowDialogs {
    // The Show editor on a copy; true = OK (the Show holds the edits).
    std::function<bool(Show &show, bool isNew)> editShow;
    // The Add Show chooser: 1 pick a Show, 2 pick a station, 3 by hand;
    // empty or 0 = Cancel.
    std::function<std::optional<int>()> chooseHowToAddShow;
    // A catalogue entry in show or station mode; empty = Cancel.
    std::function<std::optional<PickResult>(CatalogueMode mode)> pickCatalogueEntry;
    // The full settings sheet; true = OK.
    std::function<bool()> openSettings;
    // The Quick Record dialog: the recording to start, empty on Cancel.
    std::function<std::optional<RecordingRequest>()> quickRecord;
    // The recordings browser with a Show name, or "." for all.
    std::function<void(const QString &filter)> viewRecordings;
    // The URL Finder: an address to add as a Show, empty when none.
    std::function<std::optional<QString>()> urlFinder;
    std::function<void()> about;
    // The user guide at a section (GuideSection); "" for its top.
    std::function<void(const QString &anchor)> openHelp;
};

// The program's only top-level window: a fixed 594 x 475 frameless window
// painted from the skin, with the Show list, its commands, the status
// line, the level meter, the elapsed time and the notification icon.
// The rules of each command live in ShowListCommands and the recording
// roster; the window asks, shows messages and redraws. Several recordings
// may run: the elapsed time, the level meter and Stop Recording follow the
// selected Show's (or the first running).
class MainWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(WindowContext context, WindowDialogs dialogs = {}, const QString &skinFolder = QString(),
                        QWidget *parent = nullptr);
    ~MainWindow() override;

    // The window's buttons, to find one (tab order, tests).
    enum Button {
        Exit,
        Settings,
        AddShow,
        EditShow,
        DeleteShow,
        TuneToShow,
        RecordNow,
        QuickRecord,
        About,
        UrlFinder,
        ViewRecordLog,
        Help,
        MoveShowUp,
        MoveShowDown,
        ViewRecordings,
        Minimize,
    };

public Q_SLOTS:
    // What the buttons, keys and the tray menu do.
    void addShow();
    void editShow();
    void deleteShow();
    void moveShowUp();
    void moveShowDown();
    void tuneToShow();
    void recordNow();
    void quickRecord();
    void viewRecordings();
    void urlFinder();
    void openSettings();
    void showAbout();
    void viewRecordLog();
    void showHelp();
    // The Exit button: the nothing-recorded question, then the quit question.
    void confirmExit();
    // The Minimize button: to the notification area when there is one,
    // else an ordinary minimised window.
    void minimize();
    void refreshShowList();
    // The hint where to begin, once and only while there is no Show yet.
    void showAddShowHint();
    void showNothingRecorded();
    // Ends every running recording at the user's request.
    void stopOnRequest();

public:
    // Shows the window normally, on top and active (from the tray too).
    void restore();
    void closeWithoutAsking();
    // Code 907: the saved position; 0, 0 keeps the left and puts the top at 30.
    void moveToSavedPosition(int left, int top);
    void setStatus(const QString &text);
    // Code 901: the low 16 bits of the peak.
    void setLevel(int peak);
    void setRecordingIcon(bool recording);
    void sortByColumn(int column);

    ShowListView *showList() const { return m_list; }
    StatusLineView *statusLine() const { return m_status; }
    QProgressBar *levelMeter() const { return m_meter; }
    QLabel *elapsedArea() const { return m_elapsed; }
    ImageButton *button(Button id) const;
    DesktopTray *tray() const { return m_tray; }
    QString recordButtonText() const;

Q_SIGNALS:
    void quitConfirmed();
    void exitPosition(int left, int top);

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void buildControls();
    // Tab order, the Show list's keys and the shortcuts Ctrl+N, Ctrl+R,
    // Ctrl+Q and F1.
    void setUpKeyboard();
    void connectController();
    ImageButton *addButton(Button id, const QString &text, QRect geometry, ButtonGlyph glyph, const QString &tip,
                           void (MainWindow::*clicked)());
    void setRecordButton(bool stop);
    // One caption size for every button of the window.
    void matchButtonCaptions();
    // The selected row with a Show behind it, or -1 after the message
    // (noneText and how to go on with the button).
    int selectedShow(const QString &noneText, const QString &button);
    void addShowWithAddress(const QString &address);
    void moveShow(int delta);
    void openHelp(const QString &anchor);
    bool editShowOrAccept(Show &show, bool isNew);
    // The Add Show choice in a plain list, until the chooser is connected.
    std::optional<int> chooseHowToAddPlainly();
    // Tells the user when the request cannot start beside the recordings
    // running.
    bool alreadyRecording(const RecordingRequest &request);
    std::vector<RunningRecording> running() const;
    // The serial of the selected Show; none when no Show is selected.
    std::optional<std::int16_t> selectedSerial() const;
    // Asks whether to keep the recording (a listen-only one ends at once).
    void stopRecording(const RunningRecording &recording);
    // The rows, the status line, the Record Now button, the icon, its tip
    // and the recording followed, after a recording started or ended.
    void recordingsChanged();
    void levelMeterSeen();
    // The Record Now button and the followed recording after the selection
    // changed.
    void followSelection();
    void showRecordingsStatus();
    // The tray menu's Record Now names the selected Show, its Stop
    // Recording the recording followed.
    void updateTrayMenu();
    // A desktop notification of what a recording that ended saved.
    void notifyRecordingEnded(const EndedRecording &ended);

    WindowContext m_context;
    WindowDialogs m_dialogs;
    Skin m_skin;
    QPixmap m_background;
    ShowListView *m_list = nullptr;
    StatusLineView *m_status = nullptr;
    QProgressBar *m_meter = nullptr;
    QLabel *m_elapsed = nullptr;
    DesktopTray *m_tray = nullptr;
    std::map<Button, ImageButton *> m_buttons;
    std::map<Button, ButtonGlyph> m_glyphs;
    bool m_stopFace = false;
    // The recording the meter and the elapsed time show; 0 none.
    quint64 m_followed = 0;
    // The last status text and elapsed time of each recording.
    std::map<quint64, QString> m_statusTexts;
    std::map<quint64, QString> m_elapsedTexts;
    bool m_closing = false;
    bool m_dragging = false;
    QPoint m_dragStart;
    QPoint m_windowStart;
};

inline const QString kQuitQuestion =
    QStringLiteral("OK to Quit?\n\nWarning: No automatic recording will occur when you exit.");
inline const QString kNothingRecordedQuestion = QStringLiteral(
    "It appears that nothing was recorded.  You may need to adjust some settings on your PC to ensure success next "
    "time.\n\nWould you like to learn how to do this now?");
inline const QString kNotAvailableYetText = QStringLiteral("%1 is not available yet.");

} // namespace skywell
