#pragma once

#include "tuning/tuningvalues.h"
#include "tuning/tuningworker.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>

namespace skywell
{

class ActivityLog;
class ConnectionState;
class DesktopWindows;
class Prompter;
class SettingsStore;
class StartedPlayers;
class StreamOpener;
struct Settings;
struct Show;

// Whether a start-capture notification may start capture: only the current
// recording's, and only while its capture has not started. A notification
// from the worker of a recording stopped while it waited is stale.
inline bool shouldStartCapture(std::uint64_t notifiedRecording, std::uint64_t currentRecording, bool recordingActive,
                               bool captureRunning)
{
    return recordingActive && !captureRunning && notifiedRecording == currentRecording;
}

// Getting a Show's stream to play so that it can be recorded, and closing
// the player afterwards. Lives on the user-interface thread; its workers
// report back only through queued signals.
class Tuning final : public QObject
{
    Q_OBJECT
public:
    // tunerProgram is the path of skywell-tuner (beside the executable).
    Tuning(SettingsStore &settingsStore, ActivityLog &log, Prompter &prompter, const Settings &settings,
           ConnectionState &connection, DesktopWindows &windows, QString tunerProgram, QObject *parent = nullptr);
    // Stops the workers' waits and joins them; started players are ended.
    ~Tuning() override;

    // The tuner path of a program installed as skywell-tuner beside ours.
    static QString defaultTunerProgram();

    // Starts the tuning worker for a recording that has just been prepared:
    // it connects, tunes the Show's address, waits the connect-ahead time
    // and emits captureCanStart(recordingId). A Show without an address
    // gets the notification at once.
    // playbackSink, when not empty, is the sink the started player plays into.
    void tuneTo(const Show &show, std::uint64_t recordingId, bool splitInProgress = false,
                const QString &playbackSink = QString());
    // The same for a job filled by the caller (Quick Record: no address).
    void startWorker(TuningJob job);
    // The recording was stopped: its worker, if still waiting, ends without
    // tuning and without notifying.
    void recordingStopped(std::uint64_t recordingId);

    // Plays an address now; it becomes the tuning address.
    void tuneNow(const QString &address, char playerLetter, char addressOrigin, const QString &playbackSink = QString(),
                 const QString &stationName = QString());
    // "Tune to Show": plays the Show's address with its player letter.
    void tuneNow(const Show &show);
    // A retune: plays the tuning address again, with the player letter and
    // origin it came with (an address from the catalogue stays unrunnable).
    void retune();

    // Closes the player windows by title, then ends what is left of the
    // players Skywell started (the only way where there is no X11 display).
    void closePlayers();
    // The same at the end of one recording: the windows of the players
    // Skywell started for other recordings stay open, and only this
    // recording's started players are ended.
    void closePlayers(std::uint64_t recordingId);
    // Ends the players Skywell started, windows or not (at exit).
    void endStartedPlayers();
    // Ends the players Skywell started for the recording.
    void endStartedPlayers(std::uint64_t recordingId);
    // Whether a Show of this player letter is played by a program Skywell
    // starts itself, which plays into the sink it is given (PULSE_SINK);
    // not when the address goes to a program that may already run (the
    // browser, the desktop's media player).
    bool startsOwnPlayer(char playerLetter) const;

    bool isOnline() const;
    // Whether the last dial-up worker found a connection already up (then
    // the end of the recording leaves it up).
    bool wasOnlineBeforeDial() const { return m_wasOnlineBeforeDial.load(); }
    // Starts the configured dial command, if any, without waiting for it.
    void dial();
    // Runs the configured hang-up command, if any.
    void hangUp();
    // No browser answers such queries on Linux: always empty.
    QString queryBrowserWindow() const { return QString(); }

    // The address last tuned or given to a worker.
    QString tuningAddress() const { return m_tuningAddress; }

    void setPlacementSource(std::function<TunerPlacement()> source);
    // Tells whether any of the processes (or their children) plays sound;
    // called on the workers. Set once, before any recording starts.
    void setPlaybackProbe(std::function<bool(const QList<qint64> &processIds)> probe);
    void setBrowserOpener(const QString &program);

    StartedPlayers &startedPlayers() { return *m_players; }

Q_SIGNALS:
    // Status-line text.
    void statusChanged(const QString &text);
    // Delivered on the user-interface thread. The receiver ignores an id
    // that is not the current recording's, or one arriving while capture
    // already runs.
    void captureCanStart(quint64 recordingId);

private:
    struct Worker;
    bool waitInWorker(Worker &worker, std::chrono::milliseconds time);
    void dialInWorker(const QString &command);
    void joinFinishedWorkers();
    // tuneNow for a recording: what it starts belongs to that recording.
    void tuneFor(std::uint64_t recordingId, const QString &address, char playerLetter, char addressOrigin,
                 const QString &playbackSink, const QString &stationName);

    SettingsStore &m_settingsStore;
    ActivityLog &m_log;
    const Settings &m_settings;
    ConnectionState &m_connection;
    DesktopWindows &m_windows;
    std::unique_ptr<StartedPlayers> m_players;
    std::unique_ptr<StreamOpener> m_opener;
    QString m_tuningAddress;
    char m_playerLetter = 'U';
    char m_addressOrigin = 0;
    QString m_playbackSink;
    QString m_stationName;
    // The recording the tuning address was played for (0: none).
    std::uint64_t m_tuningRecording = 0;
    std::atomic<bool> m_wasOnlineBeforeDial{false};
    std::function<bool(const QList<qint64> &)> m_playbackProbe;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::list<std::unique_ptr<Worker>> m_workers;
};

} // namespace skywell
