#include "app/programrecordingparts.h"

#include "app/webdirectdownload.h"
#include "core/activitylog.h"
#include "platform/pulsecapture.h"
#include "platform/pulsedevices.h"
#include "platform/pulseprivatesink.h"
#include "platform/streamcapturedevice.h"

namespace skywell
{

namespace
{

// A capture device that always records one source, with the choice it
// reads kept beside it.
class FixedSourceCapture final : public CaptureDevice
{
public:
    explicit FixedSourceCapture(const QString &source) { m_choice.set(source); }
    QStringList deviceNames() override { return m_device.deviceNames(); }
    bool start(const QString &deviceName, BlockSink sink) override { return m_device.start(deviceName, sink); }
    void stop() override { m_device.stop(); }

private:
    PulseSourceChoice m_choice;
    PulseCaptureDevice m_device{m_choice};
};

} // namespace

ProgramRecordingParts::ProgramRecordingParts(ActivityLog &log, const Settings &settings, Prompter &prompter,
                                             const PulseSourceChoice &chosenSource, std::function<bool()> isOnline)
    : m_log(log), m_settings(settings), m_prompter(prompter), m_chosenSource(chosenSource),
      m_isOnline(std::move(isOnline)), m_logContext(std::make_unique<QObject>())
{
}

ProgramRecordingParts::~ProgramRecordingParts() = default;

std::unique_ptr<CaptureDevice> ProgramRecordingParts::captureOf(const QString &source)
{
    return std::make_unique<FixedSourceCapture>(source);
}

std::unique_ptr<CaptureDevice> ProgramRecordingParts::chosenSourceCapture()
{
    return std::make_unique<PulseCaptureDevice>(m_chosenSource);
}

std::unique_ptr<CaptureDevice> ProgramRecordingParts::streamDevice()
{
    return std::make_unique<StreamCaptureDevice>([context = m_logContext.get(), this](const QString &line) {
        QMetaObject::invokeMethod(
            context, [this, line] { m_log.logLine(line); }, Qt::QueuedConnection);
    });
}

std::unique_ptr<PrivateSink> ProgramRecordingParts::privateSink()
{
    return std::make_unique<PulsePrivateSink>();
}

std::unique_ptr<DirectDownload> ProgramRecordingParts::directDownload()
{
    return std::make_unique<WebDirectDownload>(m_settings, m_prompter, m_isOnline);
}

} // namespace skywell
