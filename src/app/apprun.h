#pragma once

#include "app/appcore.h"
#include "core/activitylog.h"
#include "core/clock.h"
#include "core/sleeper.h"
#include "mixer/sourcetestcapture.h"
#include "platform/pulsecapture.h"
#include "platform/pulsedevices.h"
#include "platform/pulsemixer.h"
#include "platform/pulsesoundplayer.h"
#include "platform/routeconnectionstate.h"
#include "platform/x11windows.h"
#include "recording/capturequeue.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace skywell
{

class Mixer;
class Prompter;
class RecordingService;
class RecordingSourceTest;
class SettingsStore;
class Tuning;
class TuningPort;
class RecordingParts;
struct CommandLine;

// One run of the program as both front ends share it: the clock and the
// log, the sound server back ends, the capture library and the core, put
// together and started in start-up order, and shut down in reverse.
class AppRun final
{
public:
    AppRun(QString programFolder, SettingsStore &settingsStore);
    ~AppRun();

    ActivityLog &log() { return m_log; }
    AppCore &core() { return *m_core; }
    // The recording-source test its dialog runs; null before start().
    RecordingSourceTest *sourceTest() { return m_sourceTest.get(); }
    // The mixer the Show editor's source list comes from; null before
    // start(). The capture devices the settings sheet lists.
    Mixer *mixer() { return m_mixer.get(); }
    QStringList captureDeviceNames() { return m_captureDevice.deviceNames(); }
    // Recordings, tuning and their signals for the window; null before
    // start().
    RecordingService *recordings() { return m_recordings.get(); }
    Tuning *tuning() { return m_tuning.get(); }

    // Quitting: a recording in progress is first ended as Stop Recording
    // ends it (its last track saved and delivered), then quit is called.
    void quitAfterRecording(std::function<void()> quit);

    // The editor step of imports, the command line's included; set before
    // start(). Without one a Show is imported as if the editor's OK were
    // pressed unchanged.
    void setShowEditor(ShowEditorStep editor) { m_showEditor = std::move(editor); }

    // Opens the run in the log, checks the encoder, prepares capture, runs
    // the core's start-up, writes the sound-card report and imports the
    // Show file of the command line. configure is empty without a desktop.
    void start(Prompter &prompter, const CommandLine &commandLine, AppCore::ConfigureSettings configure);

    // Stops the timers and shuts capture down; safe to call twice.
    void shutdown();

    // Without a sound server (PulseAudio or PipeWire) a sound card records
    // nothing: says so once in the log and has every recording taken
    // straight from its stream. After start().
    void recordFromStreamsWithoutSoundServer();

private:
    QString m_programFolder;
    SettingsStore &m_settingsStore;
    SystemClock m_clock;
    ActivityLog m_log;
    PulseSourceChoice m_sourceChoice;
    PulseCaptureDevice m_captureDevice{m_sourceChoice};
    // The recording-source test's capture.
    CaptureQueue m_capture{m_captureDevice};
    PulseMixer m_mixerBackend{m_sourceChoice};
    std::unique_ptr<AppCore> m_core;
    std::unique_ptr<Mixer> m_mixer;
    PulseSoundPlayer m_speakers;
    QueueSourceTestCapture m_sourceTestCapture{m_capture};
    std::unique_ptr<RecordingSourceTest> m_sourceTest;
    RouteConnectionState m_connection;
    X11Windows m_windows;
    std::unique_ptr<Tuning> m_tuning;
    std::unique_ptr<TuningPort> m_tuningPort;
    std::unique_ptr<RecordingParts> m_parts;
    std::unique_ptr<RecordingService> m_recordings;
    ShowEditorStep m_showEditor;
    bool m_quitting = false;
};

} // namespace skywell
