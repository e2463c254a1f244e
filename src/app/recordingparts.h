#pragma once

#include "recording/recordingports.h"

#include <QObject>
#include <chrono>
#include <functional>
#include <memory>

namespace skywell
{

class ActivityLog;
class Prompter;
class PulseSourceChoice;
struct Settings;

// The program's parts of a recording on the sound server, FFmpeg and
// libcurl: each call makes a new part that the recording owns alone.
// Lives on the main thread; what the parts log reaches the log there.
class ProgramRecordingParts final : public RecordingParts
{
public:
    // sourceChoice is the mixer's selection, shared with the mixer;
    // isOnline tells the web download whether the machine has a network.
    ProgramRecordingParts(ActivityLog &log, const Settings &settings, Prompter &prompter,
                          const PulseSourceChoice &sourceChoice, std::function<bool()> isOnline);
    ~ProgramRecordingParts() override;
    ProgramRecordingParts(const ProgramRecordingParts &) = delete;
    ProgramRecordingParts &operator=(const ProgramRecordingParts &) = delete;

    std::unique_ptr<SoundCardCapture> captureOf(const QString &source) override;
    std::unique_ptr<SoundCardCapture> chosenSourceCapture() override;
    std::unique_ptr<StreamCapture> streamDevice(const QString &recordingName) override;
    std::unique_ptr<PrivateSink> privateSink() override;
    std::unique_ptr<DirectDownload> directDownload() override;

    // How long privateSink() waits for the sound server to answer.
    static constexpr std::chrono::milliseconds kServerCheckTimeout{2000};

private:
    ActivityLog &m_log;
    const Settings &m_settings;
    Prompter &m_prompter;
    const PulseSourceChoice &m_sourceChoice;
    std::function<bool()> m_isOnline;
    // The stream devices' log lines reach the log through this object's
    // thread; each device holds it, so that a line is never sent to an
    // object gone.
    std::shared_ptr<QObject> m_logContext;
};

} // namespace skywell
