#include "tuning/streamopener.h"

#include "core/activitylog.h"
#include "core/prompter.h"
#include "core/registry.h"
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

StreamOpener::StreamOpener(Registry &registry, ActivityLog &log, Prompter &prompter, StartedPlayers &players,
                           QString tunerProgram, QObject *parent)
    : QObject(parent), m_registry(registry), m_log(log), m_prompter(prompter), m_players(players),
      m_tunerProgram(std::move(tunerProgram))
{
    connect(&m_players, &StartedPlayers::browserOpenerFinished, this, [this](int exitCode, bool) {
        if (exitCode == kNoHandlerExitCode)
            m_prompter.error(kNoBrowserText, kCaption);
    });
}

void StreamOpener::open(const QString &address, char playerLetter, char addressOrigin, bool tuneInBrowser)
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
    switch (tuneWithOf(playerLetter)) {
    case TuneWith::DesktopPlayer:
        startDesktopPlayer(playableAddress(address));
        return;
    case TuneWith::Command:
        startPlayerCommand(playableAddress(address));
        return;
    case TuneWith::SkywellTuner:
        break;
    }
    startTuner(address, playerLetter);
}

void StreamOpener::startDesktopPlayer(const QString &address)
{
    const ProgramCommand command = desktopPlayerCommand(address);
    if (command.program.isEmpty()) {
        m_log.logLine(QStringLiteral("No media player for tuning:"), command.error);
        m_prompter.error(command.error, kErrorCaption);
        Q_EMIT statusChanged(QStringLiteral("Cannot tune: no media player is set"));
        return;
    }
    startPlayer(command, QStringLiteral("The media player could not be started"));
}

void StreamOpener::startPlayerCommand(const QString &address)
{
    const QString line = m_registry.regReadString(SettingNames::playerCommand, kProfileKey).trimmed();
    if (line.isEmpty()) {
        m_log.logLine(QStringLiteral("No player command for tuning"), address);
        m_prompter.error(kNoPlayerCommandText, kErrorCaption);
        Q_EMIT statusChanged(QStringLiteral("Cannot tune: no player command is set"));
        return;
    }
    ProgramCommand command = splitCommandLine(line);
    if (!command.error.isEmpty()) {
        m_log.logLine(QStringLiteral("The player command cannot be run"), line + QStringLiteral(": ") + command.error);
        m_prompter.error(kCannotOpenApplicationText, kErrorCaption);
        Q_EMIT statusChanged(QStringLiteral("Ready"));
        return;
    }
    // The address goes where "%u" stands, else last; never through a shell.
    const qsizetype at = command.arguments.indexOf(QStringLiteral("%u"));
    if (at >= 0)
        command.arguments[at] = address;
    else
        command.arguments << address;
    startPlayer(command, QStringLiteral("The player command could not be started"));
}

void StreamOpener::startPlayer(const ProgramCommand &command, const QString &what)
{
    const QString reason = m_players.start(command.program, command.arguments, StartedPlayers::Kind::Player);
    if (reason.isEmpty())
        return;
    m_log.logLine(what, command.program + QStringLiteral(": ") + reason);
    m_prompter.error(kCannotOpenApplicationText, kErrorCaption);
    Q_EMIT statusChanged(what);
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

void StreamOpener::startTuner(const QString &address, char playerLetter)
{
    // With no window to open beside (headless), the tuner opens minimised.
    const TunerPlacement placement = m_placement ? m_placement() : TunerPlacement{0, 0, 0, true};
    // One write, in the order the tool expects them; the tool never sees
    // half of a new set.
    m_registry.writeValues({{TunerValueNames::top, placement.bottom},
                            {TunerValueNames::left, placement.left},
                            {TunerValueNames::right, placement.right},
                            {TunerValueNames::url, address},
                            {TunerValueNames::type, tunerTypeOf(playerLetter)}},
                           kSkywellKey);
    QStringList arguments;
    if (placement.minimized)
        arguments << kTunerMinimizedArgument;
    const QString reason = m_players.start(m_tunerProgram, arguments, StartedPlayers::Kind::Player);
    if (reason.isEmpty())
        return;
    m_log.logLine(QStringLiteral("The tuner could not be started"), m_tunerProgram + QStringLiteral(": ") + reason);
    Q_EMIT statusChanged(QStringLiteral("The tuner could not be started"));
}

} // namespace skywell
