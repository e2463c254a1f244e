#include "control/instancecontrol.h"

#include "control/recordingsjson.h"
#include "control/showarguments.h"
#include "control/showjson.h"
#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "recording/manualrecording.h"
#include "recording/recordingroster.h"
#include "recording/recordingsession.h"
#include "shows/addshow.h"
#include "shows/localtime.h"
#include "shows/recordsources.h"
#include "shows/scheduler.h"
#include "shows/showeditorvalues.h"
#include "shows/showlistcommands.h"
#include "shows/showstore.h"

#include <QJsonArray>

namespace skywell
{

namespace
{

const QString kShowListNotSavedReply =
    QStringLiteral("The show list could not be saved (see the log); the change is kept until the next save.");
const QString kAlreadyRecordingShowText = QStringLiteral("\"%1\" is already recording.");

ControlReply done(const QString &message, QJsonObject data = {})
{
    return {ControlStatus::Done, message, std::move(data)};
}

ControlReply refused(const QString &message)
{
    return {ControlStatus::Refused, message, {}};
}

ControlReply nothingRuns(const QString &message)
{
    return {ControlStatus::NothingRunning, message, {}};
}

QString argument(const QJsonObject &arguments, const char *name)
{
    const QJsonValue value = arguments.value(QLatin1String(name));
    return value.isDouble() ? QString::number(value.toInteger()) : value.toString();
}

// What "soundcard" stands for: the source chosen last, else the one the
// recording-source test found best, else the default.
QString soundCardSource(const SettingsStore &settingsStore)
{
    for (const char *name : {"LastRecordSource", "BestRecordSource"}) {
        const QString source = settingsStore.readString(QString::fromLatin1(name), SettingsGroup::Program);
        if (!source.isEmpty() && source != kInternetStream && source != kDirectDownload)
            return source;
    }
    return QString();
}

// The warnings OK showed, after the message of what was done.
QString withNotes(QString message, const ScriptedPrompter &prompter)
{
    for (const ScriptedPrompter::Prompt &prompt : prompter.prompts()) {
        if (prompt.kind == ScriptedPrompter::Kind::Information)
            message += QLatin1Char('\n') + prompt.text;
    }
    return message;
}

} // namespace

InstanceControl::InstanceControl(ControlTarget target, RecordingRoster *roster) : m_target(target), m_roster(roster)
{
    if (m_roster) {
        connect(m_roster, &RecordingRoster::levelMeter, this,
                [this](quint64 id, int peak) { m_peaks[id] = peak & 0xffff; });
        connect(m_roster, &RecordingRoster::recordingEnded, this,
                [this](const EndedRecording &ended) { m_peaks.erase(ended.id); });
    }
}

InstanceControl::~InstanceControl() = default;

ControlReply InstanceControl::handle(const ControlRequest &request)
{
    const QString name = argument(request.arguments, "name");
    if (request.command == QLatin1String("list"))
        return list();
    if (request.command == QLatin1String("add"))
        return addOrEdit(request, true);
    if (request.command == QLatin1String("edit"))
        return addOrEdit(request, false);
    if (request.command == QLatin1String("remove"))
        return remove(name);
    if (request.command == QLatin1String("record"))
        return record(request.arguments);
    if (request.command == QLatin1String("stop"))
        return stop(name);
    if (request.command == QLatin1String("status"))
        return status();
    if (request.command == QLatin1String("recordings"))
        return recordings();
    return refused(kUnknownCommandText.arg(request.command));
}

int InstanceControl::indexOf(const QString &name) const
{
    for (std::size_t i = 0; i < m_target.shows.size(); ++i) {
        if (fieldText(m_target.shows[i].name) == name)
            return int(i);
    }
    return -1;
}

bool InstanceControl::isRecording(const Show &show) const
{
    return m_roster && m_roster->recordingOfShow(show.serial).has_value();
}

void InstanceControl::changed()
{
    Q_EMIT showListChanged();
}

ControlReply InstanceControl::list() const
{
    QJsonArray shows;
    for (const Show &show : m_target.shows)
        shows.append(showJson(show, isRecording(show)));
    return done(QString(), {{QStringLiteral("shows"), shows}});
}

ControlReply InstanceControl::addOrEdit(const ControlRequest &request, bool add)
{
    QJsonObject arguments = request.arguments;
    const QString name = argument(arguments, "name");
    const int index = indexOf(name);
    if (add && index >= 0)
        return refused(kShowExistsText.arg(name));
    if (!add && index < 0)
        return refused(kNoSuchShowText.arg(name));
    Show show = add ? Show() : m_target.shows[std::size_t(index)];
    if (add) {
        // A new Show: from its stream, FM quality, unscheduled, an hour.
        const std::pair<const char *, QJsonValue> defaults[] = {{"name", QString()},
                                                                {"url", QString()},
                                                                {"source", kStreamSourceName},
                                                                {"output", QStringLiteral("mp3-fm")},
                                                                {"length", QStringLiteral("60")}};
        for (const auto &[key, value] : defaults) {
            if (!arguments.contains(QLatin1String(key)))
                arguments.insert(QLatin1String(key), value);
        }
        if (!arguments.contains(QLatin1String("once")) && !arguments.contains(QLatin1String("weekly")))
            arguments.insert(QLatin1String("unscheduled"), true);
    }
    const std::int64_t now = m_target.clock.now();
    ShowEditorValues values = openShowEditor(show, now, m_target.settingsStore, m_target.clock);
    if (const auto problem = applyShowArguments(arguments, values, now, soundCardSource(m_target.settingsStore),
                                                m_target.settings.mp3Folder))
        return refused(*problem);
    // A once Show whose time has passed would never record.
    if (const std::optional<Show> probe = showFromEditorValues(values, show, now);
        probe && probe->isOnce() && probe->endTime <= now)
        return refused(kOnceInPastText.arg(isoLocalTime(probe->startTime)));
    ScriptedPrompter prompter;
    if (!acceptShowEditor(values, show, now, m_target.settingsStore, prompter))
        return refused(prompter.prompts().isEmpty() ? QString() : prompter.prompts().constLast().text);

    bool saved = false;
    if (add) {
        saved = addShow(m_target.shows, show, m_target.scheduler, m_target.store, m_target.settingsStore, prompter);
    } else {
        // As the list's replace does: a repeating Show moves back a week so
        // that rescheduling puts it on its first coming weekday.
        if (show.isRepeating()) {
            show.startTime = toStoredTime(std::int64_t{show.startTime} - kWeekSeconds);
            show.endTime = toStoredTime(std::int64_t{show.endTime} - kWeekSeconds);
        }
        m_target.shows[std::size_t(index)] = show;
        m_target.scheduler.reschedule(m_target.shows);
        saved = m_target.store.save(m_target.shows);
        m_target.scheduler.checkConflicts(m_target.shows);
    }
    changed();
    const Show *kept = findShowBySerial(m_target.shows, show.serial);
    QJsonObject data;
    if (kept)
        data.insert(QStringLiteral("show"), showJson(*kept, isRecording(*kept)));
    if (!saved)
        return {ControlStatus::NothingRunning, kShowListNotSavedReply, data};
    const QString message =
        (add ? QStringLiteral("Added the show \"%1\".") : QStringLiteral("Saved the show \"%1\".")).arg(name);
    return done(withNotes(message, prompter), data);
}

ControlReply InstanceControl::remove(const QString &name)
{
    const int index = indexOf(name);
    if (index < 0)
        return refused(kNoSuchShowText.arg(name));
    m_target.shows.erase(m_target.shows.begin() + index);
    m_target.scheduler.reschedule(m_target.shows);
    const bool saved = m_target.store.save(m_target.shows);
    changed();
    if (!saved)
        return nothingRuns(kShowListNotSavedReply);
    return done(QStringLiteral("Removed the show \"%1\".").arg(name));
}

ControlReply InstanceControl::record(const QJsonObject &arguments)
{
    const QString name = argument(arguments, "name");
    const int index = indexOf(name);
    if (index < 0)
        return refused(kNoSuchShowText.arg(name));
    std::int64_t minutes = 0;
    if (arguments.contains(QLatin1String("minutes"))) {
        bool ok = false;
        minutes = argument(arguments, "minutes").trimmed().toLongLong(&ok);
        if (!ok || minutes < 1 || minutes > kMaxShowMinutes)
            return refused(kLengthRangeText.arg(kMaxShowMinutes));
    }
    if (!m_roster)
        return nothingRuns(kNothingRunsText);
    const Show show = m_target.shows[std::size_t(index)];
    if (isRecording(show))
        return refused(kAlreadyRecordingShowText.arg(name));
    const std::int64_t now = m_target.clock.now();
    RecordingRequest request = recordNowRequest(show, now);
    if (minutes > 0)
        request.endTime = now + minutes * 60;
    if (!m_roster->canStart(request))
        return refused(kAlreadyRecordingText);
    if (!m_roster->startRecording(request))
        return nothingRuns(QStringLiteral("The recording of \"%1\" could not start (see the log).").arg(name));
    changed();
    return done(QStringLiteral("Recording \"%1\" until %2.").arg(name, isoLocalTime(request.endTime)));
}

ControlReply InstanceControl::stop(const QString &name)
{
    if (!m_roster)
        return nothingRuns(kNothingRunsText);
    std::optional<std::int16_t> serial;
    if (!name.isEmpty()) {
        const int index = indexOf(name);
        if (index < 0)
            return refused(kNoSuchShowText.arg(name));
        serial = m_target.shows[std::size_t(index)].serial;
    }
    QStringList stopped;
    for (const RunningRecording &recording : m_roster->running()) {
        if (serial && recording.showSerial != serial)
            continue;
        // As Stop Recording answered Yes: the current track is kept;
        // listening only keeps nothing.
        const bool listenOnly = recording.flags & OUT_NONE;
        m_roster->endRecording(recording.id, listenOnly, !listenOnly);
        stopped << recording.name;
    }
    if (stopped.isEmpty())
        return nothingRuns(name.isEmpty() ? kNothingRecordingText : kShowNotRecordingText.arg(name));
    changed();
    return done(QStringLiteral("Stopped: %1.").arg(stopped.join(QStringLiteral(", "))));
}

ControlReply InstanceControl::status() const
{
    QJsonArray running;
    if (m_roster) {
        for (const RunningRecording &recording : m_roster->running()) {
            qint64 bytes = 0;
            if (const RecordingSession *session = m_roster->sessionOf(recording.id)) {
                for (const StreamSlot &slot : session->streams)
                    bytes += qint64(slot.byteCount);
            }
            const auto peak = m_peaks.find(recording.id);
            running.append(
                QJsonObject{{QStringLiteral("show"), recording.name},
                            {QStringLiteral("since"), isoLocalTime(recording.startTime)},
                            {QStringLiteral("until"), isoLocalTime(recording.endTime)},
                            {QStringLiteral("bytes"), bytes},
                            {QStringLiteral("level"), peak == m_peaks.end() ? 0.0 : peak->second / 65535.0}});
        }
    }
    QJsonObject data{{QStringLiteral("running"), running}};
    // The next Show to start that is not recording already.
    const std::int64_t now = m_target.clock.now();
    const Show *next = nullptr;
    for (const Show &show : m_target.shows) {
        if (showsAsUnscheduled(show) || show.endTime <= now || show.lastRecorded == show.startTime || isRecording(show))
            continue;
        if (!next || show.startTime < next->startTime)
            next = &show;
    }
    if (next)
        data.insert(QStringLiteral("next"), QJsonObject{{QStringLiteral("show"), fieldText(next->name)},
                                                        {QStringLiteral("at"), isoLocalTime(next->startTime)}});
    return done(QString(), data);
}

ControlReply InstanceControl::recordings() const
{
    QStringList names;
    for (const Show &show : m_target.shows)
        names << fieldText(show.name);
    QString problem;
    const QJsonArray list = recordingsJson(m_target.settings.mp3Folder, names, problem);
    if (!problem.isEmpty())
        return nothingRuns(problem);
    return done(QString(), {{QStringLiteral("recordings"), list}});
}

} // namespace skywell
