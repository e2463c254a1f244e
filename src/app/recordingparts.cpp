#include "app/recordingparts.h"

#include "app/webdirectdownload.h"
#include "core/activitylog.h"
#include "platform/pulsecapture.h"
#include "platform/pulseconnection.h"
#include "platform/pulseprivatesink.h"
#include "platform/streamcapturedevice.h"
#include "recording/recordingports.h"

#include <QMetaObject>

namespace skywell
{

ProgramRecordingParts::ProgramRecordingParts(ActivityLog &log, const Settings &settings, Prompter &prompter,
                                             const PulseSourceChoice &sourceChoice, std::function<bool()> isOnline)
    : m_log(log), m_settings(settings), m_prompter(prompter), m_sourceChoice(sourceChoice),
      m_isOnline(std::move(isOnline)), m_logContext(std::make_shared<QObject>())
{
}

ProgramRecordingParts::~ProgramRecordingParts() = default;

std::unique_ptr<SoundCardCapture> ProgramRecordingParts::captureOf(const QString &source)
{
    return std::make_unique<PulseCaptureDevice>(source);
}

std::unique_ptr<SoundCardCapture> ProgramRecordingParts::chosenSourceCapture()
{
    return std::make_unique<PulseCaptureDevice>(m_sourceChoice);
}

std::unique_ptr<StreamCapture> ProgramRecordingParts::streamDevice(const QString &recordingName)
{
    // Lines still queued when the parts are gone are dropped with the
    // context's last holder.
    const QString scope = QStringLiteral("[%1] ").arg(recordingName);
    return std::make_unique<StreamCaptureDevice>([context = m_logContext, &log = m_log, scope](const QString &line) {
        QMetaObject::invokeMethod(
            context.get(), [&log, line, scope] { log.logLine(scope + line); }, Qt::QueuedConnection);
    });
}

std::unique_ptr<PrivateSink> ProgramRecordingParts::privateSink()
{
    PulseConnection server(kServerCheckTimeout);
    if (!server.connect())
        return nullptr;
    return std::make_unique<PulsePrivateSink>();
}

std::unique_ptr<DirectDownload> ProgramRecordingParts::directDownload()
{
    return std::make_unique<WebDirectDownload>(m_settings, m_prompter, m_isOnline);
}

} // namespace skywell
