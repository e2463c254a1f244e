// A Show recorded by downloading its address straight into a file.
#include "recording/recordingcontroller.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/settings.h"
#include "recording/recordingsession.h"
#include "shows/outputnaming.h"
#include "shows/scheduler.h"

#include <QFileInfo>

namespace skywell
{

// The text after the address's last '.', or "mp3" when it has none.
QString downloadExtension(const QString &url)
{
    const qsizetype dot = url.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QStringLiteral("mp3") : url.mid(dot + 1);
}

void RecordingController::startDownload(const RecordingRequest &request)
{
    RecordingSession &s = m_session;
    m_startTime = m_clock.now();
    m_direct = true;
    m_downloadStopped = false;
    m_downloadUrl = request.url;
    m_tuningAddress.clear();
    m_log.logLine(QStringLiteral("Direct Downloading"), s.name);
    m_log.logLine(QStringLiteral("Download URL:"), request.url);

    const RecordingNaming naming{m_settings.fileNameFormat, m_settings.mp3Folder, s.name, s.flags, 1};
    const OutputFilePath file = uniqueOutputFile(naming, downloadExtension(request.url), m_clock);
    m_log.logLine(QStringLiteral("Saving to file:"), file.path);
    Q_EMIT recordButtonText(kStopRecordingText);
    Q_EMIT statusLine(QStringLiteral("Downloading ") + s.name);
    Q_EMIT showListChanged();
    // The transfer runs beside the main loop; the window goes on painting
    // and the end time still ends it.
    const std::uint64_t id = m_recordingId;
    m_download.start(request.url, file.path,
                     [this, id](const DirectDownloadResult &result) { downloadFinished(id, result); });
}

void RecordingController::downloadFinished(std::uint64_t id, const DirectDownloadResult &result)
{
    if (id != m_recordingId)
        return;
    RecordingSession &s = m_session;
    // A live stream stopped at its end time is a complete recording.
    QString problem;
    if (result.bytes <= 0)
        problem = QStringLiteral("Nothing was downloaded from %1").arg(m_downloadUrl);
    else if (!result.complete && !m_downloadStopped)
        problem = QStringLiteral("The download of %1 ended early after %2 bytes").arg(m_downloadUrl).arg(result.bytes);
    if (!problem.isEmpty() && !result.reason.isEmpty())
        problem += QStringLiteral(": ") + result.reason;
    s.setOutcome(problem);
    m_log.logLine(problem.isEmpty() ? QStringLiteral("Download finished:") : QStringLiteral("Download failed:"),
                  problem.isEmpty() ? QStringLiteral("%1 bytes").arg(result.bytes) : problem);
    storeOutcome(problem, m_clock.now());
    rescheduleAndSave();
    Q_EMIT showListChanged();
    // A download the user started ends with its transfer; a scheduled one
    // holds its time slot until the end time.
    if ((s.flags & SHOW_MANUAL) && m_direct)
        endDownload();
}

void RecordingController::endDownload()
{
    const bool running = m_download.running();
    m_direct = false;
    if (running) {
        m_downloadStopped = true;
        m_download.stop();
    }
    m_session.recording = false;
    m_endTime = 0;
    Q_EMIT statusLine(QStringLiteral("Ready"));
    Q_EMIT showListChanged();
    Q_EMIT recordButtonText(kRecordNowText);
    Q_EMIT recordingEnded();
}

} // namespace skywell
