// A Show recorded by downloading its address straight into a file.
#include "recording/recordingcontroller.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/settings.h"
#include "recording/recordingsession.h"
#include "shows/outputnaming.h"
#include "shows/scheduler.h"
#include "tuning/download.h"

#include <QFileInfo>
#include <QPointer>

namespace skywell
{

void RecordingController::startDownload(const RecordingRequest &request)
{
    RecordingSession &s = m_session;
    m_startTime = m_clock.now();
    m_direct = true;
    m_downloadStopped = false;
    m_liveStopped = false;
    m_downloadUrl = request.url;
    m_tuningAddress.clear();
    m_log.logLine(QStringLiteral("Direct Downloading"), s.name);
    m_log.logLine(QStringLiteral("Download URL:"), request.url);

    const RecordingNaming naming{m_settings.fileNameFormat, m_settings.mp3Folder, s.name, s.flags, 1};
    const OutputFilePath file = uniqueOutputFile(naming, downloadExtension(request.url), m_clock);
    m_log.logLine(QStringLiteral("Saving to file:"), file.path);
    m_downloadPath = file.path;
    Q_EMIT statusLine(QStringLiteral("Downloading ") + s.name);
    Q_EMIT showListChanged();
    Q_EMIT captureStarted();
    // The transfer runs beside the main loop; the window goes on painting
    // and the end time still ends it.
    if (!m_download) {
        downloadFinished(DirectDownloadResult{0, false, QStringLiteral("no download available"), {}, false});
        return;
    }
    QPointer<RecordingController> self(this);
    m_download->start(request.url, file.path, [self](const DirectDownloadResult &result) {
        if (self)
            self->downloadFinished(result);
    });
}

void RecordingController::downloadFinished(const DirectDownloadResult &result)
{
    if (!m_direct)
        return;
    RecordingSession &s = m_session;
    const std::int64_t now = m_clock.now();
    QString problem;
    if (result.bytes <= 0)
        problem = QStringLiteral("Nothing was downloaded from %1").arg(m_downloadUrl);
    else if (m_liveStopped)
        // Saved, but as one raw file without tracks or tags.
        problem = QStringLiteral("Live stream stopped at the Show's end after %1 bytes; \"Internet Stream\" "
                                 "records a station properly")
                      .arg(result.bytes);
    else if (result.complete && result.liveStream && now < m_endTime && !(s.flags & SHOW_MANUAL))
        problem = QStringLiteral("The live stream ended early, %1 seconds before the Show's end (%2 bytes saved)")
                      .arg(m_endTime - now)
                      .arg(result.bytes);
    else if (!result.complete && m_downloadStopped && !result.liveStream)
        problem = QStringLiteral("The download of %1 was stopped after %2 bytes").arg(m_downloadUrl).arg(result.bytes);
    else if (!result.complete && !m_downloadStopped)
        problem = QStringLiteral("The download of %1 ended early after %2 bytes").arg(m_downloadUrl).arg(result.bytes);
    if (!problem.isEmpty() && !result.reason.isEmpty())
        problem += QStringLiteral(": ") + result.reason;
    if (!result.path.isEmpty() && result.path != m_downloadPath && result.bytes > 0)
        m_log.logLine(QStringLiteral("Saved as:"), result.path);
    s.setOutcome(problem);
    const QString label = problem.isEmpty() ? QStringLiteral("Download finished:")
                          : m_liveStopped   ? QStringLiteral("Download stopped:")
                                            : QStringLiteral("Download failed:");
    m_log.logLine(label, problem.isEmpty() ? QStringLiteral("%1 bytes").arg(result.bytes) : problem);
    storeOutcome(problem, now);
    rescheduleAndSave();
    Q_EMIT showListChanged();
    // A download the user started ends with its transfer, and so does one
    // that ran past its end time; a scheduled one holds its time slot
    // until the end time.
    if (m_direct && (m_downloadStopped || (s.flags & SHOW_MANUAL) || now > m_endTime + kEndGraceSeconds))
        endDownload();
}

void RecordingController::downloadTick(std::int64_t now)
{
    if (now <= m_endTime + kEndGraceSeconds) {
        Q_EMIT elapsedTime(elapsedText(now - m_startTime));
        return;
    }
    if (!m_download || !m_download->running()) {
        endDownload();
        return;
    }
    // A file runs to its end, however long it takes (the download gives
    // up on a stalled or trickling server by itself); only a live stream
    // is stopped here, as it never ends.
    if (m_download->liveStream() && !m_liveStopped) {
        m_liveStopped = true;
        m_log.logLine(QStringLiteral("Stopping the live stream at the Show's end:"), m_downloadUrl);
        m_download->stop();
        return;
    }
    Q_EMIT elapsedTime(elapsedText(now - m_startTime));
}

void RecordingController::endDownload()
{
    if (m_ended)
        return;
    // A transfer still running is stopped; its result (stopped after N
    // bytes) comes first, synchronously or later, and ends the recording.
    if (m_download && m_download->running()) {
        m_downloadStopped = true;
        m_download->stop();
        if (m_download->running())
            return;
    }
    m_ended = true;
    m_direct = false;
    m_session.recording = false;
    Q_EMIT showListChanged();
    Q_EMIT finished();
}

} // namespace skywell
