#include "app/controlclient.h"

#include "control/controloptions.h"
#include "control/controltext.h"
#include "control/controlwire.h"
#include "control/instancecontrol.h"
#include "core/activitylog.h"
#include "core/clock.h"
#include "core/programfolderlock.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "core/singleinstance.h"
#include "shows/scheduler.h"
#include "shows/showstore.h"

#include <QDeadlineTimer>
#include <QThread>

#include <cstdio>

namespace skywell
{

namespace
{

// How long a command waits for an instance that holds the lock but does
// not answer yet (starting, or another command changing the Show file).
constexpr int kReachMs = 15000;

void print(FILE *to, const QString &text)
{
    if (text.isEmpty())
        return;
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), to);
    if (!bytes.endsWith('\n'))
        std::fputc('\n', to);
}

bool changesShowFile(const QString &command)
{
    return command == QLatin1String("add") || command == QLatin1String("edit") || command == QLatin1String("remove");
}

// No instance runs and this process holds the lock: the Show file is read
// and written here, as the instance would.
ControlReply answerWithoutInstance(const ControlRequest &request, const QString &programFolder,
                                   SettingsStore &settingsStore)
{
    SystemClock clock;
    ActivityLog log(programFolder, clock);
    ScriptedPrompter prompter(&log);
    Settings settings;
    loadSettings(settings, settingsStore, programFolder);
    ShowList shows;
    ShowStore store(programFolder, log, prompter);
    store.load(shows);
    Scheduler scheduler(clock, settings, settingsStore, log, prompter);
    InstanceControl control({shows, scheduler, store, settingsStore, settings, clock}, nullptr);
    const ControlReply reply = control.handle(request);
    for (const ScriptedPrompter::Prompt &prompt : prompter.prompts()) {
        if (prompt.kind == ScriptedPrompter::Kind::Error || prompt.kind == ScriptedPrompter::Kind::Information)
            print(stderr, QStringLiteral("skywell: ") + prompt.text);
    }
    if (changesShowFile(request.command) && reply.status == ControlStatus::Done)
        print(stderr, QStringLiteral("No Skywell is running: the Show file was changed directly."));
    else if (reply.status == ControlStatus::Done)
        print(stderr, QStringLiteral("No Skywell is running: read from the Show file."));
    return reply;
}

} // namespace

int runControlCommand(const QStringList &args, const QString &programFolder, SettingsStore &settingsStore)
{
    const ControlCommandLine line = parseControlCommandLine(args);
    if (line.help) {
        print(stdout, controlHelpText(line.request.command));
        return 0;
    }
    if (!line.problem.isEmpty()) {
        print(stderr, QStringLiteral("skywell: ") + line.problem);
        return int(ControlStatus::Refused);
    }
    const QByteArray request = controlRequestJson(line.request);
    SingleInstance instance(programFolder);
    QDeadlineTimer deadline(kReachMs);
    ControlReply reply;
    QByteArray replyJson;
    QString error;
    for (;;) {
        ProgramFolderLock lock(programFolder);
        const ProgramFolderLock::State state = lock.acquire();
        if (state == ProgramFolderLock::State::Held) {
            reply = answerWithoutInstance(line.request, programFolder, settingsStore);
            replyJson = controlReplyJson(reply);
            break;
        }
        if (state != ProgramFolderLock::State::Taken) {
            print(stderr, QStringLiteral("skywell: ") + lock.error());
            return int(ControlStatus::NothingRunning);
        }
        error = instance.sendControl(request, replyJson, 2000);
        if (error.isEmpty()) {
            if (!controlReplyFromJson(replyJson, reply)) {
                print(stderr, QStringLiteral("skywell: the running Skywell gave an answer that is not valid."));
                return int(ControlStatus::NothingRunning);
            }
            break;
        }
        if (deadline.hasExpired()) {
            print(stderr, QStringLiteral("skywell: cannot reach the running Skywell: ") + error);
            return int(ControlStatus::NothingRunning);
        }
        QThread::msleep(200);
    }
    if (line.json)
        print(stdout, QString::fromUtf8(replyJson));
    else if (reply.status == ControlStatus::Done)
        print(stdout, controlReplyText(line.request.command, reply));
    if (reply.status != ControlStatus::Done)
        print(stderr, QStringLiteral("skywell: ") + reply.message);
    return int(reply.status);
}

} // namespace skywell
