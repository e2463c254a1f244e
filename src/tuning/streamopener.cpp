#include "tuning/streamopener.h"

#include "core/activitylog.h"
#include "core/prompter.h"
#include "core/settingsstore.h"
#include "shows/tunewith.h"
#include "tuning/desktopplayer.h"
#include "tuning/startedplayers.h"
#include "tuning/tuningaddress.h"

namespace skywell
{

namespace
{
// xdg-open's answer when no program handles the address.
constexpr int kNoHandlerExitCode = 3;
} // namespace

StreamOpener::StreamOpener(SettingsStore &settingsStore, ActivityLog &log, Prompter &prompter, StartedPlayers &players,
                           QString tunerProgram, QObject *parent)
    : QObject(parent), m_settingsStore(settingsStore), m_log(log), m_prompter(prompter), m_players(players),
      m_tunerProgram(std::move(tunerProgram))
{
    connect(&m_players, &StartedPlayers::browserOpenerFinished, this, [this](int exitCode, bool) {
        if (exitCode == kNoHandlerExitCode)
            m_prompter.error(kNoBrowserText, kCaption);
    });
}

void StreamOpener::open(const QString &address, char playerLetter, char addressOrigin, bool tuneInBrowser,
                        const QString &stationName)
{
    if (address.isEmpty())
        return;
    if (address.toUtf8().size() > kMaxTuningAddressBytes) {
        refuse(QStringLiteral("the address is longer than %1 characters").arg(kMaxTuningAddressBytes), address);
        return;
    }
    if (isCommandLineAddress(address, addressOrigin)) {
        runCommandLine(address);
        return;
    }
    if (const QString problem = addressProblem(address); !problem.isEmpty()) {
        refuse(problem, address);
        return;
    }
    if (tuneInBrowser) {
        openInBrowser(address);
        return;
    }
    // A Show set to another player that cannot be started is still
    // recorded: it is tuned with the Skywell Tuner and the log says why.
    bool started = false;
    switch (tuneWithOf(playerLetter)) {
    case TuneWith::DesktopPlayer:
        started = startDesktopPlayer(playableAddress(address));
        break;
    case TuneWith::Command:
        started = startPlayerCommand(playableAddress(address));
        break;
    case TuneWith::SkywellTuner:
        break;
    }
    if (!started)
        startTuner(address, playerLetter, stationName);
}

bool StreamOpener::startDesktopPlayer(const QString &address)
{
    const ProgramCommand command = desktopPlayerCommand(address);
    if (command.program.isEmpty()) {
        m_log.logLine(kTuningWithOurTuner, command.error);
        return false;
    }
    return startPlayer(command);
}

bool StreamOpener::startPlayerCommand(const QString &address)
{
    const QString line = m_settingsStore.readString(SettingNames::playerCommand, SettingsGroup::Options).trimmed();
    if (line.isEmpty()) {
        m_log.logLine(kTuningWithOurTuner, kNoPlayerCommandText);
        return false;
    }
    ProgramCommand command = splitCommandLine(line);
    if (!command.error.isEmpty()) {
        m_log.logLine(kTuningWithOurTuner, QStringLiteral("the player command cannot be run: ") + line +
                                               QStringLiteral(": ") + command.error);
        return false;
    }
    // The address goes where "%u" stands, else last; never through a shell.
    const qsizetype at = command.arguments.indexOf(QStringLiteral("%u"));
    if (at >= 0)
        command.arguments[at] = address;
    else
        command.arguments << address;
    return startPlayer(command);
}

bool StreamOpener::startPlayer(const ProgramCommand &command)
{
    const QString reason = m_players.start(command.program, command.arguments, StartedPlayers::Kind::Player);
    if (reason.isEmpty())
        return true;
    m_log.logLine(kTuningWithOurTuner, command.program + QStringLiteral(" could not be started: ") + reason);
    return false;
}

void StreamOpener::refuse(const QString &problem, const QString &address)
{
    m_log.logLine(QStringLiteral("Cannot tune: %1").arg(problem), address.left(kMaxTuningAddressBytes));
    Q_EMIT statusChanged(QStringLiteral("Cannot tune: %1").arg(problem));
}

void StreamOpener::runCommandLine(const QString &address)
{
    const ProgramCommand command = splitCommandLine(address);
    QString reason = command.error;
    if (reason.isEmpty())
        reason = m_players.start(command.program, command.arguments, StartedPlayers::Kind::Player);
    if (reason.isEmpty())
        return;
    m_log.logLine(QStringLiteral("Opening EXE file for tuning failed"), address + QStringLiteral(" (") + reason + u')');
    m_prompter.error(kCannotOpenApplicationText, kErrorCaption);
    Q_EMIT statusChanged(QStringLiteral("Ready"));
}

void StreamOpener::openInBrowser(const QString &address)
{
    const QString reason =
        m_players.start(m_browserOpener, {playableAddress(address)}, StartedPlayers::Kind::BrowserOpener);
    if (reason.isEmpty())
        return;
    // No program to open addresses with at all.
    m_log.logLine(QStringLiteral("Opening the browser for tuning failed"),
                  m_browserOpener + QStringLiteral(": ") + reason);
    m_prompter.error(kNoBrowserText, kCaption);
}

void StreamOpener::startTuner(const QString &address, char playerLetter, const QString &stationName)
{
    // With no window to open beside (headless), the tuner opens minimised.
    const TunerPlacement placement = m_placement ? m_placement() : TunerPlacement{0, 0, 0, true};
    // One write, in the order the tool expects them; the tool never sees
    // half of a new set.
    m_settingsStore.writeValues({{TunerValueNames::top, placement.bottom},
                                 {TunerValueNames::left, placement.left},
                                 {TunerValueNames::right, placement.right},
                                 {TunerValueNames::url, address},
                                 {TunerValueNames::type, tunerTypeOf(playerLetter)}},
                                SettingsGroup::Program);
    QStringList arguments;
    if (placement.minimized)
        arguments << kTunerMinimizedArgument;
    if (!stationName.isEmpty())
        arguments << kTunerStationArgument + stationName;
    const QString reason = m_players.start(m_tunerProgram, arguments, StartedPlayers::Kind::Player);
    if (reason.isEmpty())
        return;
    m_log.logLine(QStringLiteral("The tuner could not be started"), m_tunerProgram + QStringLiteral(": ") + reason);
    Q_EMIT statusChanged(QStringLiteral("The tuner could not be started"));
}

} // namespace skywell
