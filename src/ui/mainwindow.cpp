#include "ui/mainwindow.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/prompter.h"
#include "shows/showlistcommands.h"
#include "ui/desktoptray.h"
#include "ui/imagebutton.h"
#include "ui/recordingsoverview.h"
#include "ui/showlistview.h"
#include "ui/statuslineview.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QTimer>

namespace skywell
{

MainWindow::MainWindow(WindowContext context, WindowDialogs dialogs, const QString &skinFolder, QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint), m_context(std::move(context)), m_dialogs(std::move(dialogs)),
      m_skin(skinFolder)
{
    setWindowTitle(QStringLiteral("Skywell"));
    setWindowIcon(Skin::applicationIcon());
    setFixedSize(kWindowWidth, kWindowHeight);
    m_tray = new DesktopTray(this);
    connect(m_tray, &DesktopTray::restoreRequested, this, &MainWindow::restore);
    connect(m_tray, &DesktopTray::menuAboutToShow, this, &MainWindow::updateTrayMenu);
    connect(m_tray, &DesktopTray::recordNowRequested, this, [this] {
        const std::optional<std::int16_t> serial = selectedSerial();
        if (serial && !(m_context.recordings && m_context.recordings->recordingOfShow(*serial)))
            recordNow();
    });
    connect(m_tray, &DesktopTray::stopRecordingRequested, this, [this] {
        if (const std::optional<RunningRecording> followed = followedRecording(running(), selectedSerial()))
            stopRecording(*followed);
    });
    connect(m_tray, &DesktopTray::quickRecordRequested, this, &MainWindow::quickRecord);
    connect(m_tray, &DesktopTray::exitRequested, this, &MainWindow::confirmExit);
    buildControls();
    setUpKeyboard();
    connectController();
    // Recordings may already run (a Show due at start-up).
    recordingsChanged();
}

MainWindow::~MainWindow() = default;

ImageButton *MainWindow::addButton(Button id, const QString &text, QRect geometry, ButtonGlyph glyph,
                                   const QString &tip, void (MainWindow::*clicked)())
{
    auto *button = new ImageButton(text, m_skin.button(text, geometry.size(), glyph, devicePixelRatioF()), this);
    button->setGeometry(geometry);
    button->setToolTip(tip);
    m_glyphs[id] = glyph;
    connect(button, &QAbstractButton::clicked, this, clicked);
    m_buttons[id] = button;
    return button;
}

void MainWindow::buildControls()
{
    m_background = m_skin.background(devicePixelRatioF());
    m_status = new StatusLineView(this);
    m_status->setGeometry(200, 65, 370, 16);
    m_list = new ShowListView(this);
    // Down to just above the level meter, no empty band between them.
    m_list->setGeometry(139, 93, 440, 254);
    QFont listFont = m_list->font();
    listFont.setPixelSize(13);
    m_list->setFont(listFont);
    connect(m_list, &ShowListView::sortRequested, this, &MainWindow::sortByColumn);
    connect(m_list, &ShowListView::rowDoubleClicked, this, &MainWindow::editShow);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &MainWindow::followSelection);

    const auto text = ButtonGlyph::Text;
    addButton(AddShow, QStringLiteral("Add Show"), {14, 88, 122, 35}, text, QStringLiteral("Add a new show to record"),
              &MainWindow::addShow);
    addButton(EditShow, QStringLiteral("Edit Show"), {14, 123, 122, 35}, text, QStringLiteral("Edit the selected show"),
              &MainWindow::editShow);
    addButton(DeleteShow, QStringLiteral("Delete Show"), {14, 160, 122, 35}, text,
              QStringLiteral("Delete the selected show"), &MainWindow::deleteShow);
    addButton(RecordNow, kRecordNowText, {14, 196, 122, 35}, ButtonGlyph::Record,
              QStringLiteral("Start or stop recording the selected show"), &MainWindow::recordNow);
    addButton(TuneToShow, QStringLiteral("Tune to Show"), {14, 232, 122, 35}, text,
              QStringLiteral("Tune to the selected show"), &MainWindow::tuneToShow);
    addButton(ViewRecordings, QStringLiteral("View Recordings"), {14, 269, 122, 35}, text,
              QStringLiteral("View recordings for the selected show"), &MainWindow::viewRecordings);
    addButton(MoveShowUp, QStringLiteral("Move Show Up"), {56, 304, 26, 26}, ButtonGlyph::Up,
              QStringLiteral("Move the selected show up in the list"), &MainWindow::moveShowUp);
    addButton(MoveShowDown, QStringLiteral("Move Show Down"), {85, 304, 26, 26}, ButtonGlyph::Down,
              QStringLiteral("Move the selected show down in the list"), &MainWindow::moveShowDown);
    addButton(QuickRecord, QStringLiteral("Quick Record"), {53, 409, 100, 38}, text,
              QStringLiteral("Record what's playing on your PC now"), &MainWindow::quickRecord);
    addButton(Settings, QStringLiteral("Settings"), {188, 409, 72, 38}, text, QStringLiteral("Configure Skywell"),
              &MainWindow::openSettings);
    addButton(ViewRecordLog, QStringLiteral("View Record Log"), {295, 409, 119, 38}, text,
              QStringLiteral("View the LOG of recording activity"), &MainWindow::viewRecordLog);
    addButton(UrlFinder, QStringLiteral("URL Finder"), {448, 409, 87, 38}, text,
              QStringLiteral("Helps you locate the URL from a pop-up audio player"), &MainWindow::urlFinder);
    addButton(About, QStringLiteral("About"), {9, 3, 23, 23}, ButtonGlyph::About, QStringLiteral("About Skywell"),
              &MainWindow::showAbout);
    addButton(Help, QStringLiteral("Help"), {37, 3, 23, 23}, ButtonGlyph::Help, QStringLiteral("Read the User Guide"),
              &MainWindow::showHelp);
    addButton(Minimize, QStringLiteral("Minimize"), {544, 3, 23, 23}, ButtonGlyph::Minimize, QStringLiteral("Minimize"),
              &MainWindow::minimize);
    addButton(Exit, QStringLiteral("Exit"), {566, 3, 23, 23}, ButtonGlyph::Exit, QStringLiteral("Exit Skywell"),
              &MainWindow::confirmExit);

    matchButtonCaptions();

    m_meter = new QProgressBar(this);
    m_meter->setGeometry(302, 365, 246, 20);
    m_meter->setRange(0, 65535);
    m_meter->setValue(0);
    m_meter->setTextVisible(false);
    m_meter->setToolTip(QStringLiteral("This VU Meter shows audio activity while recording"));
    m_meter->setStyleSheet(QStringLiteral("QProgressBar { background: white; border: 1px solid #8aa0c0; }"
                                          "QProgressBar::chunk { background: rgb(0, 67, 163); }"));
    m_elapsed = new QLabel(this);
    m_elapsed->setGeometry(500, 38, 78, 16);
    m_elapsed->setStyleSheet(QStringLiteral("color: white;"));
    m_elapsed->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void MainWindow::connectController()
{
    RecordingRoster *roster = m_context.recordings;
    if (!roster)
        return;
    connect(roster, &RecordingRoster::showListChanged, this, &MainWindow::refreshShowList);
    connect(roster, &RecordingRoster::nothingRecordedNow, this, &MainWindow::showNothingRecorded);
    connect(roster, &RecordingRoster::recordingsChanged, this, &MainWindow::recordingsChanged);
    connect(roster, &RecordingRoster::statusLine, this, [this](quint64 id, const QString &text) {
        m_statusTexts[id] = text;
        // One recording (or one ending) speaks for itself; several are named.
        if (running().size() <= 1)
            setStatus(text);
    });
    connect(roster, &RecordingRoster::elapsedTime, this, [this](quint64 id, const QString &text) {
        m_elapsedTexts[id] = text;
        if (id == m_followed)
            m_elapsed->setText(text);
    });
    connect(roster, &RecordingRoster::levelMeter, this, [this](quint64 id, int peak) {
        if (id == m_followed)
            setLevel(peak);
    });
    connect(roster, &RecordingRoster::recordingEnded, this, [this](const EndedRecording &ended) {
        m_statusTexts.erase(ended.id);
        m_elapsedTexts.erase(ended.id);
        recordingsChanged();
        notifyRecordingEnded(ended);
    });
}

std::vector<RunningRecording> MainWindow::running() const
{
    return m_context.recordings ? m_context.recordings->running() : std::vector<RunningRecording>{};
}

std::optional<std::int16_t> MainWindow::selectedSerial() const
{
    const int row = m_list->selectedRow();
    const ShowList &shows = m_context.commands.shows();
    if (row < 0 || row >= int(shows.size()))
        return std::nullopt;
    return shows[std::size_t(row)].serial;
}

void MainWindow::recordingsChanged()
{
    const std::vector<RunningRecording> list = running();
    bool capturing = false;
    for (const RunningRecording &recording : list)
        capturing = capturing || recording.capturing || recording.downloading;
    setRecordingIcon(capturing);
    followSelection();
    showRecordingsStatus();
    refreshShowList();
}

void MainWindow::followSelection()
{
    const std::vector<RunningRecording> list = running();
    const std::optional<std::int16_t> selected = selectedSerial();
    setRecordButton(recordingTheButtonStops(list, selected).has_value());
    const std::optional<RunningRecording> followed = followedRecording(list, selected);
    const quint64 id = followed ? followed->id : 0;
    if (id == m_followed)
        return;
    m_followed = id;
    // The meter shows the next block of the recording now followed.
    setLevel(0);
    const auto elapsed = m_elapsedTexts.find(id);
    m_elapsed->setText(elapsed == m_elapsedTexts.end() ? QString() : elapsed->second);
}

void MainWindow::showRecordingsStatus()
{
    setStatus(recordingsStatusText(running(), m_statusTexts));
}

QString MainWindow::recordButtonText() const
{
    return m_buttons.at(RecordNow)->text();
}

ImageButton *MainWindow::button(Button id) const
{
    const auto found = m_buttons.find(id);
    return found == m_buttons.end() ? nullptr : found->second;
}

void MainWindow::matchButtonCaptions()
{
    QList<ButtonCaption> captions{{kStopRecordingText, m_buttons.at(RecordNow)->size(), ButtonGlyph::Stop}};
    for (const auto &[id, button] : m_buttons)
        captions.append({button->text(), button->size(), m_glyphs.at(id)});
    m_skin.fitCaptions(captions);
    for (const auto &[id, button] : m_buttons)
        button->setFaces(m_skin.button(button->text(), button->size(), m_glyphs.at(id), devicePixelRatioF()));
}

void MainWindow::setRecordButton(bool stop)
{
    ImageButton *record = m_buttons.at(RecordNow);
    const QString text = stop ? kStopRecordingText : kRecordNowText;
    record->setText(text);
    record->setAccessibleName(text);
    if (stop != m_stopFace) {
        m_stopFace = stop;
        record->setFaces(
            m_skin.button(text, record->size(), stop ? ButtonGlyph::Stop : ButtonGlyph::Record, devicePixelRatioF()));
    }
}

void MainWindow::setStatus(const QString &text)
{
    m_status->setStatus(text);
}

void MainWindow::setLevel(int peak)
{
    m_meter->setValue(peak & 0xffff);
}

void MainWindow::setRecordingIcon(bool recording)
{
    m_tray->setRecording(recording);
}

void MainWindow::refreshShowList()
{
    const std::vector<RunningRecording> list = running();
    const Clock &clock = m_context.commands.clock();
    m_list->fill(m_context.commands.shows(), [&](const Show &show) { return showRowText(show, list, clock); });
    m_status->update();
    m_tray->setToolTip(trayToolTip(m_context.commands.shows(), list, clock));
}

void MainWindow::updateTrayMenu()
{
    const std::vector<RunningRecording> list = running();
    const std::optional<std::int16_t> selected = selectedSerial();
    const std::optional<RunningRecording> followed = followedRecording(list, selected);
    QString showToRecord;
    if (selected && (!followed || followed->showSerial != selected))
        showToRecord = fieldText(m_context.commands.shows()[std::size_t(m_list->selectedRow())].name);
    m_tray->setMenuState(showToRecord, followed ? followed->name : QString());
}

void MainWindow::notifyRecordingEnded(const EndedRecording &ended)
{
    // A listen-only recording saves nothing and has nothing to report.
    if (ended.flags & OUT_NONE)
        return;
    const QString text = recordingEndedNotice(ended.name, ended.savedTracks, ended.outcome);
    QString whyNot;
    if (!m_tray->notify(text, &whyNot) && m_context.log)
        m_context.log->logLine(QStringLiteral("No desktop notification (%1):").arg(whyNot), text);
}

void MainWindow::sortByColumn(int column)
{
    m_context.commands.sortBy(column == 0 ? SortColumn::Name : SortColumn::NextRecording);
    refreshShowList();
}

void MainWindow::minimize()
{
    // With a notification area the window goes straight to it. Asking the
    // window manager to iconify it first would leave the iconic start-up
    // hint on the window, and a later restore could race with it: the
    // window manager would map the window iconified again.
    if (!m_tray->available()) {
        showMinimized();
        return;
    }
    if (m_context.tuner)
        m_context.tuner->followMainWindow(false);
    hide();
}

void MainWindow::moveToSavedPosition(int left, int top)
{
    if (left == 0 && top == 0)
        move(x(), 30);
    else
        move(left, top);
}

void MainWindow::restore()
{
    // Hidden by the Minimize button: no state change brings the tuner back.
    const bool hiddenInTray = !isVisible() && !isMinimized();
    // The state is made normal before the window is mapped, so that the
    // window manager never sees it ask to start iconified.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    if (hiddenInTray && m_context.tuner)
        m_context.tuner->followMainWindow(true);
}

void MainWindow::closeWithoutAsking()
{
    m_closing = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_closing || m_context.prompter.question(kQuitQuestion)) {
        m_closing = true;
        m_tray->hide();
        event->accept();
        Q_EMIT quitConfirmed();
        return;
    }
    event->ignore();
}

// Streams kept as broadcast are decoded for the meter only while it can be seen.
void MainWindow::levelMeterSeen()
{
    if (m_context.recordings)
        m_context.recordings->setLevelMeterShown(isVisible() && !isMinimized());
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    levelMeterSeen();
}

void MainWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    levelMeterSeen();
}

void MainWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    levelMeterSeen();
    if (isMinimized()) {
        if (m_context.tuner)
            m_context.tuner->followMainWindow(false);
        // With a notification area only its icon remains; without one the
        // window stays an ordinary minimised window.
        if (m_tray->available())
            QTimer::singleShot(0, this, [this] {
                if (isMinimized())
                    hide();
            });
    } else if (m_context.tuner) {
        m_context.tuner->followMainWindow(true);
    }
}

void MainWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_background);
}

void MainWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_dragStart = event->globalPosition().toPoint();
    m_windowStart = pos();
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging)
        move(m_windowStart + event->globalPosition().toPoint() - m_dragStart);
}

void MainWindow::mouseReleaseEvent(QMouseEvent *)
{
    m_dragging = false;
}

} // namespace skywell
