#include "recording/recordingroster.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/settings.h"
#include "recording/capturequeue.h"
#include "recording/recordingports.h"
#include "recording/recordingsession.h"
#include "shows/recordsources.h"
#include "shows/scheduler.h"
#include "shows/sharedsource.h"
#include "shows/showstore.h"

#include <QMetaObject>

#include <algorithm>

namespace skywell
{

// One running recording and everything it has to itself. Members end in
// reverse order: the controller first, the device last.
struct RecordingRoster::Entry {
    std::uint64_t id = 0;
    Road road = Road::Stream;
    std::unique_ptr<ActivityLog> log;
    RecordingSession session;
    std::unique_ptr<SoundCardCapture> soundCard;
    std::unique_ptr<StreamCapture> stream;
    std::unique_ptr<CaptureQueue> queue;
    std::unique_ptr<PrivateSink> sink;
    std::unique_ptr<DirectDownload> download;
    std::unique_ptr<BlockProcessor> blocks;
    std::unique_ptr<RecordingController> controller;
    // Ended and delivered: it goes at the next turn of the event loop.
    bool finished = false;
    // Its options measure the audio (silence, dead air, speech): packets
    // kept as broadcast are decoded for their levels all along.
    bool measuresLevels = false;
};

namespace
{
bool optionsMeasureLevels(std::uint32_t flags)
{
    return flags & (OPT_SILENCE_SPLIT | OPT_DEAD_AIR | OPT_COMPRESS_SPEECH);
}
} // namespace

RecordingRoster::RecordingRoster(RosterContext context, QObject *parent) : QObject(parent), m_context(context)
{
}

RecordingRoster::~RecordingRoster() = default;

void RecordingRoster::setLevelMeterShown(bool shown)
{
    if (shown == m_levelMeterShown)
        return;
    m_levelMeterShown = shown;
    for (const auto &entry : m_entries)
        if (entry->stream)
            entry->stream->setLevelsWanted(entry->measuresLevels || shown);
}

void RecordingRoster::setStreamOnly(bool streamOnly)
{
    m_streamOnly = streamOnly;
}

void RecordingRoster::setQuitting()
{
    m_quitting = true;
    for (const auto &entry : m_entries)
        entry->controller->setQuitting();
}

RecordingRoster::Road RecordingRoster::roadOf(const RecordingRequest &request) const
{
    if (request.flags & OPT_DIRECT_DOWNLOAD)
        return Road::Download;
    if (m_streamOnly || request.recordSource == kInternetStream)
        return Road::Stream;
    // What a player of Skywell's own plays is recorded from a sound output
    // of the recording's own, when the Show records what is played (a
    // monitor); an input chosen by hand (a microphone, a line in) stays the
    // shared source.
    if (!request.url.isEmpty() && recordsPlayback(request.recordSource) &&
        m_context.tuning.startsOwnPlayer(request.tunerKind))
        return Road::OwnPlayer;
    return Road::ChosenSource;
}

std::vector<std::uint64_t> RecordingRoster::entryIds() const
{
    std::vector<std::uint64_t> ids;
    for (const auto &entry : m_entries)
        ids.push_back(entry->id);
    return ids;
}

RecordingRoster::Entry *RecordingRoster::find(std::uint64_t id) const
{
    for (const auto &entry : m_entries) {
        if (entry->id == id)
            return entry.get();
    }
    return nullptr;
}

RecordingRoster::Entry *RecordingRoster::chosenSourceHolder() const
{
    for (const auto &entry : m_entries) {
        if (entry->road == Road::ChosenSource && entry->controller->recording())
            return entry.get();
    }
    return nullptr;
}

bool RecordingRoster::canStart(const RecordingRequest &request) const
{
    if (request.showSerial && recordingOfShow(*request.showSerial))
        return false;
    if (std::ssize(running()) >= kMaxRecordingsAtOnce)
        return false;
    return roadOf(request) != Road::ChosenSource || !chosenSourceHolder();
}

bool RecordingRoster::startRecording(const RecordingRequest &request)
{
    if (!canStart(request)) {
        m_context.log.logLine(QStringLiteral("A recording is already running; not started:"), request.name);
        return false;
    }
    auto entry = makeEntry(request, roadOf(request));
    // Without a sound output of its own it needs the chosen source after all.
    if (entry->road == Road::ChosenSource && chosenSourceHolder()) {
        m_context.log.logLine(QStringLiteral("A recording is already running; not started:"), request.name);
        return false;
    }
    Entry &e = *entry;
    m_entries.push_back(std::move(entry));
    connectEntry(e);
    e.controller->startRecording(request);
    Q_EMIT recordingsChanged();
    Q_EMIT showListChanged();
    return true;
}

std::unique_ptr<RecordingRoster::Entry> RecordingRoster::makeEntry(const RecordingRequest &request, Road road)
{
    const RosterContext &c = m_context;
    auto e = std::make_unique<Entry>();
    e->id = ++m_lastId;
    e->log = std::make_unique<ActivityLog>(c.log, request.name);
    // Temporary names and the marker of one recording never meet another's.
    e->session.fileKey = QString::number(c.clock.now(), 36) + QString::number(e->id, 36);
    if (road == Road::OwnPlayer) {
        e->sink = c.parts.privateSink();
        if (!e->sink || !e->sink->open()) {
            // No sound output of its own: the player is heard and recorded
            // where the user's choice says, one such recording at a time.
            e->log->logLine(QStringLiteral("No sound output of its own for this recording:"),
                            e->sink ? e->sink->errorText() : QStringLiteral("no sound server"));
            e->sink.reset();
            road = Road::ChosenSource;
        }
    }
    e->road = road;
    switch (road) {
    case Road::Stream:
    case Road::Download:
        e->stream = c.parts.streamDevice(request.name);
        break;
    case Road::OwnPlayer:
        e->soundCard = c.parts.captureOf(e->sink->monitorName());
        break;
    case Road::ChosenSource:
        e->soundCard = c.parts.chosenSourceCapture();
        // A muted recording of the chosen source plays into a sink of its
        // own, as far as its player lets itself be moved.
        if (request.flags & OPT_MUTE)
            e->sink = c.parts.privateSink();
        break;
    }
    if (road == Road::Download)
        e->download = c.parts.directDownload();
    // A stream kept as broadcast is decoded only when its levels are needed.
    e->measuresLevels = optionsMeasureLevels(request.flags);
    if (road == Road::Stream && (request.flags & OUT_AS_BROADCAST)) {
        e->stream->setKeepPackets(true);
        e->stream->setLevelsWanted(e->measuresLevels || m_levelMeterShown);
    }
    e->queue = e->stream ? std::make_unique<CaptureQueue>(*e->stream) : std::make_unique<CaptureQueue>(*e->soundCard);
    Entry *self = e.get();
    e->queue->init([self] { self->blocks->processReadyBlocks(); });

    const std::uint64_t id = e->id;
    // Only the recording of the chosen source touches the mixer.
    SourceMixer *mixer = road == Road::ChosenSource ? c.mixer : nullptr;
    e->blocks =
        std::make_unique<BlockProcessor>(e->session, *e->queue, c.settings, c.clock, *e->log, c.delivery, mixer);
    connect(e->blocks.get(), &BlockProcessor::levelMeter, this, [this, id](int peak) { Q_EMIT levelMeter(id, peak); });
    connect(e->blocks.get(), &BlockProcessor::statusLine, this,
            [this, id](const QString &text) { Q_EMIT statusLine(id, text); });
    const RecordingRoute route{e->download.get(), e->sink.get(), road == Road::OwnPlayer, mixer, m_streamOnly};
    e->controller = std::make_unique<RecordingController>(id, e->session, *e->blocks, c.shows, c.scheduler, c.store,
                                                          c.settings, c.clock, *e->log, c.tuning, route);
    if (m_quitting)
        e->controller->setQuitting();
    return e;
}

void RecordingRoster::connectEntry(Entry &entry)
{
    RecordingController *controller = entry.controller.get();
    const std::uint64_t id = entry.id;
    connect(controller, &RecordingController::showListChanged, this, &RecordingRoster::showListChanged);
    connect(controller, &RecordingController::nothingRecordedNow, this, &RecordingRoster::nothingRecordedNow);
    connect(controller, &RecordingController::statusLine, this,
            [this, id](const QString &text) { Q_EMIT statusLine(id, text); });
    connect(controller, &RecordingController::elapsedTime, this,
            [this, id](const QString &text) { Q_EMIT elapsedTime(id, text); });
    connect(controller, &RecordingController::captureStarted, this, &RecordingRoster::recordingsChanged);
    connect(controller, &RecordingController::finished, this, [this, id] { entryFinished(id); });
}

void RecordingRoster::entryFinished(std::uint64_t id)
{
    Entry *entry = find(id);
    if (!entry)
        return;
    const RecordingSession &s = entry->session;
    entry->finished = true;
    if (entry->controller->nothingRecorded())
        m_nothingRecorded = true;
    Q_EMIT levelMeter(id, 0);
    Q_EMIT recordingEnded(EndedRecording{id, s.name, s.flags, s.savedTracks, s.outcomeText});
    Q_EMIT recordingsChanged();
    // The entry goes once the controller's signal has returned.
    QMetaObject::invokeMethod(
        this,
        [this, id] {
            std::erase_if(m_entries, [id](const auto &e) { return e->id == id; });
            if (m_entries.empty() && m_allEnded)
                std::exchange(m_allEnded, {})();
        },
        Qt::QueuedConnection);
}

void RecordingRoster::endRecording(std::uint64_t id, bool abort, bool save)
{
    if (Entry *entry = find(id))
        entry->controller->endRecording(abort, save);
}

void RecordingRoster::endAll(std::function<void()> done)
{
    if (m_entries.empty()) {
        done();
        return;
    }
    m_allEnded = std::move(done);
    for (const std::uint64_t id : entryIds())
        endRecording(id, false, true);
}

void RecordingRoster::captureCanStart(quint64 recordingId)
{
    if (Entry *entry = find(recordingId))
        entry->controller->captureCanStart(recordingId);
}

void RecordingRoster::supervisionTick()
{
    ++m_ticks;
    // Each recording's tick may end it; the list is not walked while it
    // changes.
    for (const std::uint64_t id : entryIds()) {
        if (Entry *entry = find(id))
            entry->controller->supervisionTick();
    }
    // A Show waiting for the chosen source is looked at every second, so
    // that it starts as soon as the recording before it ends.
    if (m_ticks % 10 == 0 || m_waitingForSource)
        lookForDueShows(m_context.clock.now());
}

void RecordingRoster::lookForDueShowNow()
{
    lookForDueShows(m_context.clock.now());
}

void RecordingRoster::lookForDueShows(std::int64_t now)
{
    const std::int64_t t = now + m_context.settings.connectLeadSeconds;
    m_waitingForSource = false;
    if (!chosenSourceHolder())
        m_keptOut.clear();
    std::vector<std::int16_t> due;
    for (const Show &show : m_context.shows) {
        // A Show whose recording ended and still delivers has its outcome
        // to come: it is not started again.
        const bool taken = std::any_of(m_entries.begin(), m_entries.end(), [&show](const auto &e) {
            return !e->finished && e->controller->showSerial() == show.serial;
        });
        if (isDueAt(show, t) && !taken)
            due.push_back(show.serial);
    }
    for (const std::int16_t serial : due) {
        Show *show = findShowBySerial(m_context.shows, serial);
        if (!show)
            continue;
        RecordingRequest request = requestFromShow(*show);
        const bool chosen = roadOf(request) == Road::ChosenSource;
        // The source test uses the chosen source: such a recording waits.
        if (chosen && m_sourceTestRunning)
            continue;
        Entry *holder = chosen ? chosenSourceHolder() : nullptr;
        // A recording past its end time, in its last half minute, gives the
        // chosen source up to the Show that begins now.
        if (holder && now >= holder->controller->endTime()) {
            holder->log->logLine(QStringLiteral("Ending at the Show's end: the next Show needs the source"),
                                 request.name);
            holder->controller->endRecording(false, true);
            holder = chosenSourceHolder();
        }
        if (holder) {
            m_waitingForSource = true;
            // One that ends by this Show's start hands over then: no word
            // of being kept out.
            if (holder->controller->endTime() > show->startTime)
                noteKeptOut(*show, QStringLiteral("Not recorded: %1 was recording").arg(holder->session.name));
            continue;
        }
        if (std::ssize(running()) >= kMaxRecordingsAtOnce) {
            noteKeptOut(*show, QStringLiteral("Not recorded: %1 recordings were running").arg(kMaxRecordingsAtOnce));
            continue;
        }
        // After a restart, a stop or another Show's recording within its time.
        if (now > show->startTime)
            m_context.log.logLine(QStringLiteral("Recording the rest of %1: it began at %2")
                                      .arg(fieldText(show->name), clockText(show->startTime)));
        request.discardLastTrack = false;
        startRecording(request);
    }
}

void RecordingRoster::noteKeptOut(Show &show, const QString &reason)
{
    // Said once per occurrence. The Show stays due, so it records the rest
    // of its time if the other recording ends before it does.
    if (!m_keptOut.insert({show.serial, show.startTime}).second)
        return;
    m_context.log.logLine(fieldText(show.name) + QStringLiteral(" is due."), reason);
    recordUnfinished(show, reason);
    m_context.store.save(m_context.shows);
    Q_EMIT showListChanged();
}

RunningRecording RecordingRoster::describe(const Entry &entry)
{
    const RecordingController &c = *entry.controller;
    RunningRecording r;
    r.id = entry.id;
    r.name = entry.session.name;
    r.showSerial = c.showSerial();
    r.startTime = c.startTime();
    r.endTime = c.endTime();
    r.capturing = c.capturing();
    r.downloading = c.downloading();
    r.flags = entry.session.flags;
    r.chosenSource = entry.road == Road::ChosenSource;
    return r;
}

std::vector<RunningRecording> RecordingRoster::running() const
{
    std::vector<RunningRecording> list;
    for (const auto &entry : m_entries) {
        if (entry->controller->recording())
            list.push_back(describe(*entry));
    }
    return list;
}

std::optional<RunningRecording> RecordingRoster::recordingOfShow(std::int16_t serial) const
{
    for (const auto &entry : m_entries) {
        if (entry->controller->recording() && entry->controller->showSerial() == serial)
            return describe(*entry);
    }
    return std::nullopt;
}

const RecordingSession *RecordingRoster::sessionOf(std::uint64_t id) const
{
    const Entry *entry = find(id);
    return entry ? &entry->session : nullptr;
}

void RecordingRoster::splitTrack(std::uint64_t id)
{
    if (Entry *entry = find(id))
        entry->blocks->splitTrack();
}

bool RecordingRoster::recording() const
{
    return !running().empty();
}

bool RecordingRoster::holdsChosenSource() const
{
    return chosenSourceHolder() != nullptr;
}

} // namespace skywell
