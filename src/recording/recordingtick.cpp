// The controller's one-second tick: splits at set minutes, the end time,
// retuning after silence, the elapsed time and the search for a due Show.
#include "recording/recordingcontroller.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/settings.h"
#include "recording/blockprocessor.h"
#include "recording/recordingsession.h"
#include "shows/localtime.h"
#include "shows/scheduler.h"
#include "shows/showstore.h"

#include <QPointer>
#include <QTimer>

namespace skywell
{

void RecordingController::supervisionTick()
{
    ++m_ticks;
    RecordingSession &s = m_session;
    const std::int64_t now = m_clock.now();

    // An ended recording's tracks are still being delivered.
    if (m_delivering)
        return;
    if (!recording()) {
        if (m_ticks % 10 == 0)
            lookForDueShow(now);
        return;
    }

    if (m_ticks % 10 == 0)
        lookForDueShow(now);
    const std::int64_t elapsed = now - m_startTime;
    if (m_direct) {
        downloadTick(now);
        return;
    }
    if (s.capturing)
        splitAtMinutes(now);
    if (now > m_endTime + kEndGraceSeconds) {
        endRecording(false, s.trackNumber == 1 || !m_discardLastTrack);
        Q_EMIT showListChanged();
        return;
    }
    if (s.capturing && !m_noRetune && !m_tuningAddress.isEmpty() && now > s.lastAudioTime &&
        now - s.lastAudioTime > m_settings.retuneSeconds)
        retune();
    // The mark follows the track and the title it will be named after.
    if (s.capturing && (s.trackNumber != m_markedTrack || s.stationTitle != m_markedTitle) && m_safety.markRecording) {
        m_markedTrack = s.trackNumber;
        m_markedTitle = s.stationTitle;
        m_safety.markRecording(s, m_startTime);
    }
    Q_EMIT elapsedTime(elapsedText(elapsed));
}

void RecordingController::splitAtMinutes(std::int64_t now)
{
    const int minute = localCalendar(now).tm_min;
    for (const std::uint8_t at : m_splitAtMinute) {
        if (at == minute && m_lastMinuteSplit + kMinuteSplitGuardSeconds < now) {
            m_lastMinuteSplit = now;
            m_blocks.splitTrack();
        }
    }
}

void RecordingController::retune()
{
    RecordingSession &s = m_session;
    s.lastAudioTime = m_clock.now() + m_settings.connectLeadSeconds;
    if (fromStream()) {
        // No player to start again: the stream is opened afresh and the
        // track goes on.
        m_log.logLine(QStringLiteral("No audio data received in %1 seconds. Reopening the stream.")
                          .arg(m_settings.retuneSeconds));
        m_blocks.reopenStream();
        return;
    }
    m_log.logLine(
        QStringLiteral("No audio data received in %1 seconds. Retuning to URL.").arg(m_settings.retuneSeconds));
    m_tuning.closePlayers(m_recordingId);
    // The player gets a second to go before the stream is tuned again; the
    // main loop runs meanwhile.
    const std::uint64_t id = m_recordingId;
    QTimer::singleShot(1000, this, [this, id] {
        if (id != m_recordingId || !m_session.recording)
            return;
        if (m_settings.useDialup && !m_tuning.isOnline())
            m_tuning.dial();
        m_tuning.tuneTo(m_tuningAddress, m_playerLetter, id, m_muteSinkOpen ? m_muteSink->sinkName() : QString());
    });
}

void RecordingController::lookForDueShowNow()
{
    if (!recording() && !m_delivering)
        lookForDueShow(m_clock.now());
}

void RecordingController::lookForDueShow(std::int64_t now)
{
    const std::int64_t t = now + m_settings.connectLeadSeconds;
    if (recording()) {
        noteShowsKeptOut(t);
        return;
    }
    m_keptOut.clear();
    // The source test uses the sound card: a recording waits for it.
    if (m_sourceTestRunning && m_sourceTestRunning())
        return;
    m_session.lastAudioTime = t;
    const Show *show = findDueShow(m_shows, t);
    if (!show)
        return;
    // After a restart, a stop or another Show's recording within its time.
    if (now > show->startTime)
        m_log.logLine(QStringLiteral("Recording the rest of %1: it began at %2")
                          .arg(fieldText(show->name), clockText(show->startTime)));
    RecordingRequest request = requestFromShow(*show);
    request.discardLastTrack = false;
    startRecording(request);
    Q_EMIT showListChanged();
    Q_EMIT recordButtonText(kStopRecordingText);
}

void RecordingController::noteShowsKeptOut(std::int64_t t)
{
    // One recording at a time: a Show due now is not started, and says why
    // once per occurrence. It stays due, so it records the rest of its
    // time if the recording ends before it does.
    bool changed = false;
    for (Show &show : m_shows) {
        if (!isDueAt(show, t) || (m_showSerial && *m_showSerial == show.serial) ||
            !m_keptOut.insert({show.serial, show.startTime}).second)
            continue;
        const QString reason = QStringLiteral("Not recorded: %1 was recording").arg(m_session.name);
        m_log.logLine(fieldText(show.name) + QStringLiteral(" is due."), reason);
        recordUnfinished(show, reason);
        changed = true;
    }
    if (!changed)
        return;
    m_store.save(m_shows);
    Q_EMIT showListChanged();
}

} // namespace skywell
