#pragma once

#include "tuning/tuningaddress.h"
#include "tuning/tuningvalues.h"

#include <QObject>
#include <QString>

#include <functional>

namespace skywell
{

class ActivityLog;
class Prompter;
class SettingsStore;
class StartedPlayers;

// Starts an address playing: runs the command line it names, or opens it
// in the desktop's browser (xdg-open) when the settings say so, or plays
// it the way the Show's "Tune With" says (its player letter): the tuner
// tool through the Tuner values, the desktop's media player, or the
// player command of the settings ("Player Command", the address appended
// or put where "%u" stands). User-interface thread only: it writes the
// settings store, starts processes and shows messages.
class StreamOpener final : public QObject
{
    Q_OBJECT
public:
    StreamOpener(SettingsStore &settingsStore, ActivityLog &log, Prompter &prompter, StartedPlayers &players,
                 QString tunerProgram, QObject *parent = nullptr);

    void setPlacementSource(std::function<TunerPlacement()> source) { m_placement = std::move(source); }
    // The program that opens an address in the browser ("xdg-open").
    void setBrowserOpener(const QString &program) { m_browserOpener = program; }

    // Plays the address; an empty one does nothing. Failures are logged and
    // shown; none reaches the caller. stationName (the Show's name) is what
    // the tuner shows while the stream names nothing itself.
    void open(const QString &address, char playerLetter, char addressOrigin, bool tuneInBrowser,
              const QString &stationName = QString());

Q_SIGNALS:
    void statusChanged(const QString &text);

private:
    void runCommandLine(const QString &address);
    void openInBrowser(const QString &address);
    void startTuner(const QString &address, char playerLetter, const QString &stationName);
    // False, with a log line, when the player cannot be started.
    bool startDesktopPlayer(const QString &address);
    bool startPlayerCommand(const QString &address);
    bool startPlayer(const ProgramCommand &command);
    void refuse(const QString &problem, const QString &address);

    SettingsStore &m_settingsStore;
    ActivityLog &m_log;
    Prompter &m_prompter;
    StartedPlayers &m_players;
    QString m_tunerProgram;
    QString m_browserOpener = QStringLiteral("xdg-open");
    std::function<TunerPlacement()> m_placement;
};

inline const QString kNoBrowserText = QStringLiteral(
    "An error was detected when tuning: no program is set to open this address. Choose a default web browser "
    "and media player in your desktop's settings (or with \"xdg-settings set default-web-browser\"), then tune "
    "again.");
inline const QString kNoPlayerCommandText =
    QStringLiteral("This Show tunes with a command, but no player command is set. Enter one under Settings, "
                   "Tuning (for example \"mpv --no-video\"), or choose another \"Tune With\" for the Show.");
// The log line when the Show's own player cannot be started.
inline const QString kTuningWithOurTuner = QStringLiteral("Tuning with the Skywell Tuner instead:");
inline const QString kCannotOpenApplicationText = QStringLiteral("Cannot open application for tuning");

} // namespace skywell
