#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <memory>
#include <set>
#include <vector>

namespace skywell
{

class ToolProcessTree;

// The programs tuning started to play a stream: the tuner tool, a
// command-line player, the browser opener. Each runs in a process group of
// its own and carries a mark in its environment, so that what it starts
// can be found again and ended with it where no window can be closed
// (no display, Wayland). Each remembers the recording it was started for
// (0: none, as a player the user tuned by hand), so that one recording's
// end leaves the players of the others playing. Lives on the
// user-interface thread.
class StartedPlayers final : public QObject
{
    Q_OBJECT
public:
    // A player is ended with the recording; the browser opener is not (the
    // browser it reaches may be the user's own, with other pages open).
    enum class Kind { Player, BrowserOpener };

    // Stands for every recording, and for players of none.
    static constexpr std::uint64_t kAnyRecording = UINT64_MAX;

    explicit StartedPlayers(QObject *parent = nullptr);
    ~StartedPlayers() override;

    // A variable added to every started program's environment (PULSE_SINK,
    // to play into a sink of our own); an empty value removes it.
    void setEnvironmentValue(const QString &name, const QString &value);
    // The recording the programs started from now on belong to; 0: none.
    void setRecording(std::uint64_t recordingId) { m_recording = recordingId; }

    // Starts the program with the argument list, no shell. Returns empty on
    // success, else the system's reason.
    QString start(const QString &program, const QStringList &arguments, Kind kind);

    // Ends every started player still running and everything it started:
    // SIGTERM, then SIGKILL to what has not gone after grace. Reaps them.
    void endPlayers(std::chrono::milliseconds grace = std::chrono::milliseconds(2000));
    // The same for the players of one recording only.
    void endPlayersOf(std::uint64_t recordingId, std::chrono::milliseconds grace = std::chrono::milliseconds(2000));

    // Players (not browser openers) still running, of the recording.
    int runningPlayers(std::uint64_t recordingId = kAnyRecording) const;
    // Their process ids.
    QList<qint64> runningPlayerIds(std::uint64_t recordingId = kAnyRecording) const;
    // The processes that may play what tuning opened for the recording:
    // the players, and what the browser openers left running (a browser
    // they started). A browser that already ran took the address over and
    // is not among them.
    QList<qint64> soundProcessIds(std::uint64_t recordingId = kAnyRecording) const;
    // Every living process started for a recording other than this one
    // (not for none), descendants included: what ending this one must
    // leave alone.
    std::set<qint64> processesOfOtherRecordings(std::uint64_t recordingId) const;

Q_SIGNALS:
    // A browser opener ended by itself with this exit code (-1: crashed);
    // leftRunning: a process it started (a browser) still runs. When none
    // does, an address it opened went to a browser that already ran.
    void browserOpenerFinished(int exitCode, bool leftRunning);

private:
    struct Entry;
    void endFinishedPlayer(std::uint64_t serial);
    void end(std::uint64_t recordingId, std::chrono::milliseconds grace);

    std::vector<std::unique_ptr<Entry>> m_entries;
    QProcessEnvironment m_extra;
    std::uint64_t m_serial = 0;
    std::uint64_t m_recording = 0;
};

} // namespace skywell
