// Starting and ending a recording.
#include "recording/recordingcontroller.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/folders.h"
#include "core/settings.h"
#include "recording/blockprocessor.h"
#include "recording/freespace.h"
#include "recording/recordingmarker.h"
#include "recording/recordingrecovery.h"
#include "recording/recordingsession.h"
#include "shows/outputnaming.h"
#include "shows/recordsources.h"
#include "shows/scheduler.h"
#include "shows/showstore.h"
#include "shows/showsummary.h"

namespace skywell
{

namespace
{

const QString kNotEnoughSound =
    QStringLiteral("Not enough sound data was received.  Please check the URL of this show before recording again.");
const QString kNoSoundHeard =
    QStringLiteral("No sound was heard during this recording. Please check the address of this show and the "
                   "recording source.");

} // namespace

RecordingRequest requestFromShow(const Show &show)
{
    RecordingRequest r;
    r.name = fieldText(show.name);
    r.url = fieldText(show.url);
    r.flags = show.flags;
    r.endTime = show.endTime;
    r.recordSource = recordSourceName(show);
    r.silenceMs = show.silenceMs;
    r.deadAirMs = show.deadAirMs;
    r.splitMinutes = show.splitMinutes;
    r.tunerKind = show.tunerKind;
    std::copy(std::begin(show.splitAtMinute), std::end(show.splitAtMinute), r.splitAtMinute.begin());
    r.showSerial = show.serial;
    return r;
}

RecordingController::RecordingController(std::uint64_t recordingId, RecordingSession &session, BlockProcessor &blocks,
                                         ShowList &shows, Scheduler &scheduler, ShowStore &store,
                                         const Settings &settings, const Clock &clock, ActivityLog &log,
                                         StreamTuning &tuning, RecordingRoute route, QObject *parent)
    : QObject(parent), m_recordingId(recordingId), m_session(session), m_blocks(blocks), m_shows(shows),
      m_scheduler(scheduler), m_store(store), m_settings(settings), m_clock(clock), m_log(log), m_tuning(tuning),
      m_download(route.download), m_sink(route.sink), m_mixer(route.mixer), m_streamOnly(route.streamOnly),
      m_ownSink(route.ownSink)
{
}

bool RecordingController::recording() const
{
    return !m_ended && (m_session.recording || m_direct);
}

bool RecordingController::capturing() const
{
    return m_direct || m_session.capturing;
}

QString RecordingController::elapsedText(std::int64_t elapsed)
{
    if (elapsed == 0)
        return QString(14, QLatin1Char(' '));
    const auto e = static_cast<std::uint64_t>(elapsed);
    return QStringLiteral("%1:%2:%3")
        .arg(e / 3600, 2, 10, QLatin1Char('0'))
        .arg(e / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(e % 60, 2, 10, QLatin1Char('0'));
}

void RecordingController::startRecording(const RecordingRequest &request)
{
    RecordingSession &s = m_session;
    s.name = request.name;
    s.trackNumber = 1;
    s.savedFiles.clear();
    s.playlistText.clear();
    s.seriesIndex = 0;
    s.playlistFile.clear();
    // The report is this recording's from the start, whatever happens
    // before capture.
    s.outcomeText.clear();
    s.splitEverySeconds = (request.flags & OPT_TIME_SPLIT) ? request.splitMinutes * 60 : 0;
    s.flags = request.flags;
    m_endTime = request.endTime;
    m_splitAtMinute = request.splitAtMinute;
    m_discardLastTrack = request.discardLastTrack;
    m_freeSpaceProblem.clear();
    m_showSerial = request.showSerial;
    // A folder deleted while Skywell runs is made again: without it the
    // recording could save nothing.
    for (const QString &folder : {m_settings.tempFolder, m_settings.mp3Folder}) {
        if (folder.isEmpty() || folderExists(folder))
            continue;
        m_log.logLine(createFolder(folder) ? QStringLiteral("Created folder") : QStringLiteral("Cannot create folder"),
                      folder);
    }

    if (request.flags & OPT_DIRECT_DOWNLOAD) {
        startDownload(request);
        return;
    }
    continueInterruptedSeries(m_settings, s, m_log, m_clock);

    m_log.logLine(QStringLiteral("Start Recording"), s.name);
    s.recording = true;
    m_tuningAddress = request.url;
    m_playerLetter = request.tunerKind;
    QString source = request.recordSource;
    if (m_streamOnly && source != kInternetStream) {
        // Without a sound server a sound card records only silence.
        m_log.logLine(QStringLiteral("No sound server: recording %1 straight from the stream instead of \"%2\"")
                          .arg(s.name, source));
        source = kInternetStream;
    }
    m_requestedSource = source;
    // Packets are kept as sent only when Skywell reads the stream itself.
    if ((s.flags & OUT_AS_BROADCAST) && source != kInternetStream) {
        m_log.logLine(QStringLiteral("Only an internet stream can be kept as broadcast: recording \"%1\" as MP3 (FM "
                                     "quality)")
                          .arg(source));
        s.flags = (s.flags & ~OUT_AS_BROADCAST) | OUT_MP3_FM;
    }
    s.streamAddress = fromStream() ? request.url : QString();
    if (!m_tuningAddress.isEmpty())
        m_log.logLine(fromStream() ? QStringLiteral("Opening the stream:") : QStringLiteral("Tuning to:"),
                      m_tuningAddress);
    m_noRetune = request.flags & OPT_NO_RETUNE;
    s.deadAirOn = request.flags & OPT_DEAD_AIR;
    s.deadAirMs = request.deadAirMs;
    s.compressSpeech = request.flags & OPT_COMPRESS_SPEECH;
    s.silenceSplitMs = (request.flags & OPT_SILENCE_SPLIT) ? request.silenceMs : 0;
    // A stream Skywell decodes itself is never heard: nothing to mute.
    s.muteWhileRecording = (request.flags & OPT_MUTE) && !fromStream();
    s.recordSource = source;
    if (!fromStream() && (m_ownSink || s.muteWhileRecording))
        openSink(s.muteWhileRecording);
    const std::int64_t now = m_clock.now();
    m_startTime = now;
    s.startTime = now;
    // No retune while the stream is still being tuned.
    s.lastAudioTime = now + m_settings.connectLeadSeconds;

    m_log.logLine(showSummary(m_tuningAddress, 0, m_startTime, m_endTime, source, s.flags, s.deadAirOn, s.deadAirMs,
                              s.silenceSplitMs, s.splitEverySeconds, m_noRetune, s.muteWhileRecording, m_playerLetter,
                              m_clock));
    m_freeSpaceProblem =
        freeSpaceProblem(m_settings, s.flags, std::max<std::int64_t>(0, m_endTime + 30 - now), s.splitEverySeconds);
    if (!m_freeSpaceProblem.isEmpty())
        m_log.logLine(m_freeSpaceProblem);
    // Nothing to tune: a stream Skywell opens itself, or no address.
    if (fromStream() || m_tuningAddress.isEmpty()) {
        captureCanStart(m_recordingId);
        return;
    }
    Q_EMIT statusLine(QStringLiteral("Tuning to ") + s.name);
    // A recording asked for now (Record Now) captures as soon as the stream
    // plays; a scheduled one was started early, for the player to be ready
    // by the Show's start.
    m_tuning.tuneTo(m_tuningAddress, m_playerLetter, m_recordingId, sinkName(), (s.flags & SHOW_MANUAL) != 0);
}

void RecordingController::captureCanStart(std::uint64_t recordingId)
{
    RecordingSession &s = m_session;
    // A late notice of a recording that was stopped, or a retune of one
    // that already captures.
    if (recordingId != m_recordingId || m_ended || !s.recording || s.capturing || m_direct)
        return;
    if (m_sinkOpen && m_ownSink) {
        // A player that ignores the sink it was given (one talking to the
        // sound server its own way) is moved into it.
        const StreamMove move = m_sink->moveStreamsOf(m_tuning.playerProcessIds(m_recordingId));
        if (move.found > move.moved)
            m_log.logLine(QStringLiteral("Some of the player's sound plays elsewhere:"), move.problem);
    }
    if (m_sinkOpen && !m_ownSink) {
        // A player Skywell did not start plays where it likes: its streams
        // are moved when they can be found.
        const StreamMove move = m_sink->moveStreamsOf(m_tuning.playerProcessIds(m_recordingId));
        if (move.moved == 0) {
            m_log.logLine(QStringLiteral("Sound left on while recording:"),
                          move.problem.isEmpty() ? QStringLiteral("no player's sound could be found") : move.problem);
            closeSink();
            s.recordSource = m_requestedSource;
        }
    }
    m_log.logLine(QStringLiteral("Capture started:"), s.recordSource);
    m_blocks.startCapture(s.recordSource);
    if (!m_freeSpaceProblem.isEmpty())
        s.addOutcome(m_freeSpaceProblem);
    m_markedTrack = s.trackNumber;
    m_markedTitle = s.stationTitle;
    markRecording();
    Q_EMIT statusLine(QStringLiteral("Recording ") + s.name);
    Q_EMIT captureStarted();
}

void RecordingController::endRecording(bool abort, bool save)
{
    RecordingSession &s = m_session;
    if (!recording())
        return;
    if (m_direct) {
        endDownload();
        return;
    }
    m_ended = true;
    m_tuning.recordingStopped(m_recordingId);
    m_log.logLine(QStringLiteral("End Recording"));
    // A recording from the stream started no player. A manual recording
    // leaves the user's own players but ends the ones Skywell started.
    if (!fromStream()) {
        if (s.flags & SHOW_MANUAL)
            m_tuning.endStartedPlayers(m_recordingId);
        else
            m_tuning.closePlayers(m_recordingId);
    }

    const bool wasCapturing = s.capturing;
    if (s.flags & OUT_NONE) {
        if (s.capturing)
            m_blocks.stopCapture();
    } else {
        finishCapture(abort, save);
    }
    if (!abort && !wasCapturing && s.outcomeText.isEmpty())
        s.setOutcome(kNotEnoughSound);
    if (!abort && wasCapturing && !s.soundHeard && !(s.flags & OUT_NONE))
        s.addOutcome(kNoSoundHeard);
    // Capture has stopped: the sink and the source volumes are given back
    // now, before another recording of the chosen source may take them.
    closeSink();
    if (m_mixer)
        m_mixer->restoreSourceVolumes();
    // The outcome and the playlist once every track is delivered.
    m_blocks.whenDelivered([this, abort] { afterDelivery(abort); });
}

void RecordingController::markRecording()
{
    RecordingMarker::write(m_settings.tempFolder, RecordingMarker::of(m_session, m_startTime),
                           RecordingMarker::fileNameFor(m_session.fileKey));
}

void RecordingController::afterDelivery(bool abort)
{
    RecordingSession &s = m_session;
    const std::int64_t now = m_clock.now();
    storeOutcome(s.outcomeText, now);
    if (s.trackNumber > 1) {
        const RecordingNaming naming{m_settings.fileNameFormat, m_settings.mp3Folder, s.name, s.flags, s.trackNumber};
        const QString playlist = writePlaylist(naming, s.playlistText, m_clock, s.playlistFile);
        if (!playlist.isEmpty())
            m_log.logLine(QStringLiteral("Writing playlist"), playlist);
    }
    if (!(s.flags & SHOW_MANUAL) && m_settings.useDialup && !m_tuning.wasOnlineBeforeDial() && !abort)
        m_tuning.hangUp();
    RecordingMarker::clear(m_settings.tempFolder, RecordingMarker::fileNameFor(s.fileKey));
    s.recording = false;
    rescheduleAndSave();
    Q_EMIT showListChanged();
    Q_EMIT finished();
}

void RecordingController::storeOutcome(const QString &errorText, std::int64_t now)
{
    Show *show = m_showSerial ? findShowBySerial(m_shows, *m_showSerial) : nullptr;
    if (!show)
        return;
    // Stopped by the end of the program (a reboot, a service restart)
    // within the Show's time: the occurrence stays due, so that the next
    // start records the rest.
    if (m_quitting && !m_direct && !(m_session.flags & SHOW_MANUAL) && now < m_endTime) {
        QString reason = QStringLiteral("Skywell stopped at %1, before the show's end; the rest is recorded if "
                                        "Skywell runs again by %2.")
                             .arg(clockText(now), clockText(m_endTime));
        if (!errorText.isEmpty())
            reason += QLatin1Char(' ') + errorText;
        recordUnfinished(*show, reason);
        m_log.logLine(
            QStringLiteral("Recording stopped before the show's end; the rest is recorded at the next start:"),
            m_session.name);
        return;
    }
    recordOutcome(*show, errorText, m_startTime + m_settings.connectLeadSeconds, now, m_clock);
}

void RecordingController::finishCapture(bool abort, bool save)
{
    Q_EMIT statusLine(QStringLiteral("Saving Recording"));
    if (m_blocks.finishRecording(abort, save).tooShort && !abort) {
        if (m_session.flags & SHOW_MANUAL)
            Q_EMIT nothingRecordedNow();
        else
            m_nothingRecorded = true;
    }
}

void RecordingController::openSink(bool muted)
{
    if (!m_sink)
        return;
    if (!m_sink->open()) {
        m_log.logLine(muted ? QStringLiteral("Sound left on while recording:")
                            : QStringLiteral("No sound output of its own for this recording:"),
                      m_sink->errorText());
        return;
    }
    m_sinkOpen = true;
    m_session.recordSource = m_sink->monitorName();
    if (muted) {
        m_log.logLine(QStringLiteral("Sound muted while recording: the stream plays into"), m_sink->sinkName());
        return;
    }
    // The recording's own output is heard on the speakers unless muted.
    if (!m_sink->setHeard(true))
        m_log.logLine(QStringLiteral("This recording cannot be heard on the speakers:"), m_sink->errorText());
}

void RecordingController::closeSink()
{
    if (!m_sinkOpen)
        return;
    m_sinkOpen = false;
    m_sink->close();
}

QString RecordingController::sinkName() const
{
    return m_sinkOpen ? m_sink->sinkName() : QString();
}

bool RecordingController::fromStream() const
{
    return m_requestedSource == kInternetStream;
}

void RecordingController::rescheduleAndSave()
{
    m_scheduler.reschedule(m_shows);
    m_store.save(m_shows);
}

} // namespace skywell
