#pragma once

#include <QObject>
#include <QProcess>
#include <QString>

namespace skywell
{

// The URL Finder's browser, a program of its own (skywell-urlfinder) so
// that a web engine never shares the recorder's process: a crash or kill
// there leaves recordings alone. Started on demand; talks in the lines of
// urlfinderlink.h.
class UrlFinderBrowserProcess final : public QObject
{
    Q_OBJECT
public:
    enum class State {
        NotStarted,
        Running,
        Missing,    // not installed, or it would not start
        Closed,     // the user closed its window
        EndedBadly, // crashed, killed or ended with an error
    };

    explicit UrlFinderBrowserProcess(QString program, QObject *parent = nullptr);
    // Asks the browser to end (its input closes) and lets it go; one that
    // does not end within seconds is killed.
    ~UrlFinderBrowserProcess() override;

    // Starts the browser on this page (empty: its own page of advice).
    void start(const QString &startPage);
    // Goes to an address; starts the browser again when it has ended.
    void load(const QString &address);
    void back();

    State state() const { return m_state; }
    // The stream or pop-up the pages asked for last; empty when none.
    QString lastFoundAddress() const { return m_lastFound; }

Q_SIGNALS:
    void addressChanged(const QString &address);
    void streamChosen(const QString &address);
    void stateChanged(UrlFinderBrowserProcess::State state);

private:
    void setState(State state);
    void readLines();
    void ended(int exitCode, QProcess::ExitStatus status);

    QString m_program;
    QProcess *m_process = nullptr;
    State m_state = State::NotStarted;
    QString m_lastFound;
};

} // namespace skywell
