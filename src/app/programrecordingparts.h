#pragma once

#include "recording/recordingports.h"

#include <QObject>
#include <functional>
#include <memory>

namespace skywell
{

class ActivityLog;
class Prompter;
class PulseSourceChoice;
struct Settings;

// The parts each recording of the program gets: capture from the sound
// server, the stream reader, a private sink and a web download.
class ProgramRecordingParts final : public RecordingParts
{
public:
    ProgramRecordingParts(ActivityLog &log, const Settings &settings, Prompter &prompter,
                          const PulseSourceChoice &chosenSource, std::function<bool()> isOnline);
    ~ProgramRecordingParts() override;

    std::unique_ptr<CaptureDevice> captureOf(const QString &source) override;
    std::unique_ptr<CaptureDevice> chosenSourceCapture() override;
    std::unique_ptr<CaptureDevice> streamDevice() override;
    std::unique_ptr<PrivateSink> privateSink() override;
    std::unique_ptr<DirectDownload> directDownload() override;

private:
    ActivityLog &m_log;
    const Settings &m_settings;
    Prompter &m_prompter;
    const PulseSourceChoice &m_chosenSource;
    std::function<bool()> m_isOnline;
    // The stream devices' log lines reach the log on the main thread; the
    // ones still queued when the run ends are dropped with this object.
    std::unique_ptr<QObject> m_logContext;
};

} // namespace skywell
