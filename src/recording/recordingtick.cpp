// The controller's one-second tick: splits at set minutes, the end time,
// retuning after silence and the elapsed time.
#include "recording/recordingcontroller.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/settings.h"
#include "recording/blockprocessor.h"
#include "recording/recordingsession.h"
#include "shows/localtime.h"

#include <QPointer>
#include <QTimer>

namespace skywell
{

void RecordingController::supervisionTick()
{
    if (!recording())
        return;
    RecordingSession &s = m_session;
    const std::int64_t now = m_clock.now();
    const std::int64_t elapsed = now - m_startTime;
    if (m_direct) {
        downloadTick(now);
        return;
    }
    if (s.capturing)
        splitAtMinutes(now);
    if (now > m_endTime + kEndGraceSeconds) {
        endRecording(false, s.trackNumber == 1 || !m_discardLastTrack);
        return;
    }
    if (s.capturing && !m_noRetune && !m_tuningAddress.isEmpty() && now > s.lastAudioTime &&
        now - s.lastAudioTime > m_settings.retuneSeconds)
        retune();
    // The mark follows the track and the title it will be named after.
    if (s.capturing && (s.trackNumber != m_markedTrack || s.stationTitle != m_markedTitle)) {
        m_markedTrack = s.trackNumber;
        m_markedTitle = s.stationTitle;
        markRecording();
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
        if (!recording())
            return;
        if (m_settings.useDialup && !m_tuning.isOnline())
            m_tuning.dial();
        m_tuning.tuneTo(m_tuningAddress, m_playerLetter, id, sinkName());
    });
}

} // namespace skywell
