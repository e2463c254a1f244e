#include "tuning/tuning.h"

#include "core/activitylog.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "shows/show.h"
#include "shows/tunewith.h"
#include "tuning/connectionstate.h"
#include "tuning/desktopwindows.h"
#include "tuning/playerwindows.h"
#include "tuning/startedplayers.h"
#include "tuning/streamopener.h"
#include "tuning/usercommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QMetaObject>
#include <QThread>

namespace skywell
{

namespace
{
// A dial or hang-up command that has not returned by then is ended.
constexpr std::chrono::milliseconds kUserCommandLimit{15000};
} // namespace

struct Tuning::Worker {
    std::uint64_t recordingId = 0;
    bool stop = false;
    std::atomic<bool> done{false};
    // A QThread rather than a plain thread: the dial command's QProcess
    // needs one.
    std::unique_ptr<QThread> thread;
};

Tuning::Tuning(SettingsStore &settingsStore, ActivityLog &log, Prompter &prompter, const Settings &settings,
               ConnectionState &connection, DesktopWindows &windows, QString tunerProgram, QObject *parent)
    : QObject(parent), m_settingsStore(settingsStore), m_log(log), m_settings(settings), m_connection(connection),
      m_windows(windows), m_players(std::make_unique<StartedPlayers>()),
      m_opener(std::make_unique<StreamOpener>(settingsStore, log, prompter, *m_players, std::move(tunerProgram)))
{
    connect(m_opener.get(), &StreamOpener::statusChanged, this, &Tuning::statusChanged);
    connect(m_players.get(), &StartedPlayers::browserOpenerFinished, this, [this](int exitCode, bool leftRunning) {
        // Muting moves the streams of the processes Skywell started; a
        // browser that ran before plays the address among the user's pages.
        if (exitCode == 0 && !leftRunning && !m_playbackSink.isEmpty())
            m_log.logLine(QStringLiteral("Sound left on while recording:"),
                          QStringLiteral("the address opened in a browser that was already running, whose sound "
                                         "cannot be told apart from its other pages"));
    });
}

Tuning::~Tuning()
{
    {
        std::lock_guard lock(m_mutex);
        for (auto &worker : m_workers)
            worker->stop = true;
    }
    m_wake.notify_all();
    for (auto &worker : m_workers)
        worker->thread->wait();
    m_players->endPlayers();
}

QString Tuning::defaultTunerProgram()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(kTunerProgramName);
}

void Tuning::tuneTo(const Show &show, std::uint64_t recordingId, bool splitInProgress, const QString &playbackSink)
{
    TuningJob job;
    job.recordingId = recordingId;
    job.name = fieldText(show.name);
    job.flags = show.flags;
    job.address = fieldText(show.url);
    job.playerLetter = show.tunerKind;
    job.addressOrigin = show.addressOrigin;
    job.splitInProgress = splitInProgress;
    job.playbackSink = playbackSink;
    startWorker(std::move(job));
}

void Tuning::startWorker(TuningJob job)
{
    joinFinishedWorkers();
    // What the worker needs is copied now; it reads nothing shared later.
    job.useDialup = m_settings.useDialup;
    job.connectLeadSeconds = m_settings.connectLeadSeconds;
    const QString dialCommand = m_settingsStore.readString(DialupValueNames::dialCommand, SettingsGroup::Options);
    m_tuningAddress = job.address;
    m_playerLetter = job.playerLetter;
    m_addressOrigin = job.addressOrigin;
    m_playbackSink = job.playbackSink;

    auto worker = std::make_unique<Worker>();
    worker->recordingId = job.recordingId;
    Worker &self = *worker;
    TuningWorkerHooks hooks;
    hooks.wait = [this, &self](std::chrono::milliseconds time) { return waitInWorker(self, time); };
    hooks.isOnline = [this] { return m_connection.isOnline(); };
    hooks.dial = [this, dialCommand] { dialInWorker(dialCommand); };
    hooks.setWasOnlineBeforeDial = [this](bool online) { m_wasOnlineBeforeDial = online; };
    hooks.status = [this](const QString &text) {
        QMetaObject::invokeMethod(
            this, [this, text] { Q_EMIT statusChanged(text); }, Qt::QueuedConnection);
    };
    hooks.log = [this](const QString &message, const QString &detail) { m_log.logLine(message, detail); };
    // The players this worker's tune started, once it has run on the
    // user-interface thread (which alone knows them).
    struct Started {
        bool tuned = false;
        QList<qint64> processIds;
    };
    auto started = std::make_shared<Started>();
    hooks.tune = [this, job, started] {
        QMetaObject::invokeMethod(
            this,
            [this, job, started] {
                tuneFor(job.recordingId, job.address, job.playerLetter, job.addressOrigin, job.playbackSink, job.name);
                const QList<qint64> ids = m_players->soundProcessIds(job.recordingId);
                std::lock_guard lock(m_mutex);
                started->processIds = ids;
                started->tuned = true;
            },
            Qt::QueuedConnection);
    };
    hooks.playing = [this, started] {
        QList<qint64> ids;
        {
            std::lock_guard lock(m_mutex);
            if (!started->tuned)
                return false;
            ids = started->processIds;
        }
        // A player that handed the address on (a browser that already ran)
        // or none known: nothing to watch, capture starts now.
        return ids.isEmpty() || !m_playbackProbe || m_playbackProbe(ids);
    };
    hooks.captureCanStart = [this, id = job.recordingId] {
        QMetaObject::invokeMethod(
            this, [this, id] { Q_EMIT captureCanStart(id); }, Qt::QueuedConnection);
    };
    worker->thread.reset(QThread::create([&self, job = std::move(job), hooks = std::move(hooks)] {
        runTuningWorker(job, hooks);
        self.done = true;
    }));
    worker->thread->start();
    std::lock_guard lock(m_mutex);
    m_workers.push_back(std::move(worker));
}

void Tuning::recordingStopped(std::uint64_t recordingId)
{
    // A retune after the end plays on the default output, for no recording:
    // the recording's sink goes with it.
    if (m_tuningRecording == recordingId) {
        m_tuningRecording = 0;
        m_playbackSink.clear();
    }
    {
        std::lock_guard lock(m_mutex);
        for (auto &worker : m_workers) {
            if (worker->recordingId == recordingId)
                worker->stop = true;
        }
    }
    m_wake.notify_all();
}

bool Tuning::waitInWorker(Worker &worker, std::chrono::milliseconds time)
{
    std::unique_lock lock(m_mutex);
    m_wake.wait_for(lock, time, [&worker] { return worker.stop; });
    return !worker.stop;
}

void Tuning::dialInWorker(const QString &command)
{
    if (command.trimmed().isEmpty())
        return;
    const QString problem = runUserCommand(command, kUserCommandLimit);
    if (!problem.isEmpty())
        m_log.logLine(QStringLiteral("The dial command failed"), command + QStringLiteral(": ") + problem);
}

void Tuning::dial()
{
    const QString command = m_settingsStore.readString(DialupValueNames::dialCommand, SettingsGroup::Options);
    if (command.trimmed().isEmpty())
        return;
    joinFinishedWorkers();
    // Off the user-interface thread: a dial command may take its time.
    auto worker = std::make_unique<Worker>();
    Worker &self = *worker;
    worker->thread.reset(QThread::create([this, &self, command] {
        dialInWorker(command);
        self.done = true;
    }));
    worker->thread->start();
    std::lock_guard lock(m_mutex);
    m_workers.push_back(std::move(worker));
}

void Tuning::hangUp()
{
    const QString command = m_settingsStore.readString(DialupValueNames::hangUpCommand, SettingsGroup::Options);
    if (command.trimmed().isEmpty())
        return;
    const QString problem = runUserCommand(command, kUserCommandLimit);
    if (!problem.isEmpty())
        m_log.logLine(QStringLiteral("The hang-up command failed"), command + QStringLiteral(": ") + problem);
}

void Tuning::joinFinishedWorkers()
{
    std::lock_guard lock(m_mutex);
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        if ((*it)->done) {
            (*it)->thread->wait();
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}

void Tuning::tuneNow(const Show &show)
{
    tuneNow(fieldText(show.url), show.tunerKind, show.addressOrigin, QString(), fieldText(show.name));
}

void Tuning::retune()
{
    tuneFor(m_tuningRecording, m_tuningAddress, m_playerLetter, m_addressOrigin, m_playbackSink, m_stationName);
}

void Tuning::tuneNow(const QString &address, char playerLetter, char addressOrigin, const QString &playbackSink,
                     const QString &stationName)
{
    tuneFor(0, address, playerLetter, addressOrigin, playbackSink, stationName);
}

void Tuning::tuneFor(std::uint64_t recordingId, const QString &address, char playerLetter, char addressOrigin,
                     const QString &playbackSink, const QString &stationName)
{
    if (address.isEmpty())
        return;
    m_tuningRecording = recordingId;
    m_tuningAddress = address;
    m_playerLetter = playerLetter;
    m_addressOrigin = addressOrigin;
    m_playbackSink = playbackSink;
    m_stationName = stationName;
    // Every start says where it plays: a sink of an earlier recording may
    // be gone.
    m_players->setEnvironmentValue(QStringLiteral("PULSE_SINK"), playbackSink);
    m_players->setRecording(recordingId);
    m_opener->open(address, playerLetter, addressOrigin, m_settings.tuneInBrowser, stationName);
    m_players->setRecording(0);
}

void Tuning::closePlayers()
{
    closePlayerWindows(m_windows);
    m_players->endPlayers();
}

void Tuning::closePlayers(std::uint64_t recordingId)
{
    // A window drawn by a process of another recording's player is that
    // player's.
    const std::set<qint64> others = m_players->processesOfOtherRecordings(recordingId);
    closePlayerWindows(m_windows, [&others](const DesktopWindow &window) {
        return window.processId > 0 && others.count(window.processId) > 0;
    });
    m_players->endPlayersOf(recordingId);
}

void Tuning::endStartedPlayers()
{
    m_players->endPlayers();
}

void Tuning::endStartedPlayers(std::uint64_t recordingId)
{
    m_players->endPlayersOf(recordingId);
}

bool Tuning::startsOwnPlayer(char playerLetter) const
{
    // The browser, and the desktop's media player (often a program that
    // hands the address to its window already open), may play elsewhere
    // than the sink given; the tuner and the player command are started
    // here and inherit it.
    return !m_settings.tuneInBrowser && tuneWithOf(playerLetter) != TuneWith::DesktopPlayer;
}

bool Tuning::isOnline() const
{
    return m_connection.isOnline();
}

void Tuning::setPlacementSource(std::function<TunerPlacement()> source)
{
    m_opener->setPlacementSource(std::move(source));
}

void Tuning::setPlaybackProbe(std::function<bool(const QList<qint64> &)> probe)
{
    m_playbackProbe = std::move(probe);
}

void Tuning::setBrowserOpener(const QString &program)
{
    m_opener->setBrowserOpener(program);
}

} // namespace skywell
