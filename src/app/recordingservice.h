#pragma once

#include "core/resumewatch.h"
#include "platform/mpdlibrary.h"
#include "postprocess/cdwriter.h"
#include "postprocess/converters.h"
#include "postprocess/processrunner.h"
#include "recording/blockprocessor.h"
#include "recording/recordingcontroller.h"
#include "recording/recordingsession.h"
#include "recording/trackdelivery.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace skywell
{

class ActivityLog;
class AppCore;
class CaptureQueue;
class Clock;
class Mixer;
class Prompter;
class Registry;

// The road of a recording put together: the controller on the core's Show
// list and tick, block processing on the capture queue, and delivery
// through the converters, the CD writer and the music library. The window
// connects to its signals; the headless program only runs it.
class RecordingService final : public QObject
{
    Q_OBJECT
public:
    RecordingService(AppCore &core, CaptureQueue &capture, Mixer &mixer, const Clock &clock, ActivityLog &log,
                     Prompter &prompter, Registry &registry, StreamTuning &tuning, DirectDownload &download,
                     QObject *parent = nullptr);
    ~RecordingService() override;

    RecordingController &controller() { return *m_controller; }
    BlockProcessor &blocks() { return *m_blocks; }
    RecordingSession &session() { return m_session; }
    // The delivery parts the dialogs use too (CD burning, the library).
    Converters &converters() { return m_converters; }
    CdWriter &cdWriter() { return m_cdWriter; }
    MusicLibrary &musicLibrary() { return m_library; }

    // Ends a running recording as Stop Recording does (the last track saved
    // and delivered), then calls done; at once when none runs.
    void stopRecordingThen(std::function<void()> done);

Q_SIGNALS:
    // The peak of each block while recording (0 when capture stops).
    void levelMeter(int peak);
    void recordingIcon(bool recording);
    void statusLine(const QString &text);

private:
    RecordingSession m_session;
    ProcessRunner m_runner;
    Converters m_converters;
    CdWriter m_cdWriter;
    MpdLibrary m_library;
    TrackDelivery m_delivery;
    std::unique_ptr<BlockProcessor> m_blocks;
    std::unique_ptr<RecordingController> m_controller;
    ResumeWatch m_resumeWatch;
};

} // namespace skywell
