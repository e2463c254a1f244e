#include "app/apprun.h"

#include "app/recordingparts.h"
#include "app/recordingservice.h"
#include "core/commandline.h"
#include "core/prompter.h"
#include "core/settingsstore.h"
#include "mixer/mixer.h"
#include "mixer/sourcetest.h"
#include "mixer/testsound.h"
#include "platform/pulseconnection.h"
#include "platform/pulseplayback.h"
#include "platform/waketimerfd.h"
#include "recording/mp3encoder.h"
#include "recording/tuningport.h"
#include "tuning/tuning.h"

#include <QCoreApplication>

namespace skywell
{

AppRun::AppRun(QString programFolder, SettingsStore &settingsStore)
    : m_programFolder(std::move(programFolder)), m_settingsStore(settingsStore), m_log(m_programFolder, m_clock)
{
}

AppRun::~AppRun()
{
    shutdown();
}

void AppRun::start(Prompter &prompter, const CommandLine &commandLine, AppCore::ConfigureSettings configure)
{
    m_core = std::make_unique<AppCore>(m_programFolder, m_clock, m_log, m_settingsStore, prompter);
    m_core->setConfigureSettings(std::move(configure));
    m_core->setShowEditor(m_showEditor);
    m_core->setWakeTimerFactory([this] { return WakeTimerFd::create(m_log, QCoreApplication::applicationFilePath()); });
    m_core->openRun();

    if (const QString problem = mp3EncoderProblem(); !problem.isEmpty())
        prompter.fatal(problem);
    // Each recording captures through devices of its own; this queue
    // serves the recording-source test.
    m_capture.init([this] {
        while (CaptureBlockPtr block = m_capture.takeBlock()) {
            if (m_sourceTest && m_sourceTest->active())
                m_sourceTest->takeTestBlock(*block);
        }
    });

    m_core->start();
    m_mixer = std::make_unique<Mixer>(m_mixerBackend, m_log, m_settingsStore, m_core->settings());
    m_mixer->logMixerData();
    // The test sound is the program's own; a failure here is reported by
    // the test that needs it.
    const QString testSound = testSoundPath(m_programFolder);
    ensureTestSound(testSound);
    m_sourceTest = std::make_unique<RecordingSourceTest>(*m_mixer, m_sourceTestCapture, m_speakers, prompter,
                                                         m_settingsStore, m_log, testSound);
    Settings &settings = m_core->settings();
    m_tuning = std::make_unique<Tuning>(m_settingsStore, m_log, prompter, settings, m_connection, m_windows,
                                        Tuning::defaultTunerProgram());
    m_tuning->setPlaybackProbe(playerPlaysOrEnded);
    m_tuningPort = std::make_unique<TuningPort>(*m_tuning, m_core->shows());
    m_parts = std::make_unique<ProgramRecordingParts>(m_log, settings, prompter, m_sourceChoice,
                                                      [this] { return m_tuning->isOnline(); });
    m_recordings = std::make_unique<RecordingService>(*m_core, *m_mixer, m_clock, m_log, prompter, m_settingsStore,
                                                      *m_tuningPort, *m_parts);
    RecordingRoster &roster = m_recordings->roster();
    QObject::connect(m_tuning.get(), &Tuning::captureCanStart, &roster, &RecordingRoster::captureCanStart);
    QObject::connect(m_tuning.get(), &Tuning::statusChanged, m_recordings.get(), &RecordingService::statusLine);
    // The test and a recording of the chosen source never share it.
    m_sourceTest->setRecordingCheck([&roster] { return roster.holdsChosenSource(); });
    QObject::connect(m_sourceTest.get(), &RecordingSourceTest::runningChanged, &roster,
                     &RecordingRoster::setSourceTestRunning);
    if (!commandLine.importPath.isEmpty())
        m_core->importShow(commandLine.importPath);
}

void AppRun::recordFromStreamsWithoutSoundServer()
{
    PulseConnection server(std::chrono::milliseconds(3000));
    if (server.connect() || !m_recordings)
        return;
    m_log.logLine(QStringLiteral("No sound server (PulseAudio or PipeWire) was found: Shows are recorded straight "
                                 "from their streams."));
    m_recordings->roster().setStreamOnly(true);
}

void AppRun::quitAfterRecording(std::function<void()> quit)
{
    if (m_quitting)
        return;
    m_quitting = true;
    if (!m_recordings) {
        quit();
        return;
    }
    // A scheduled Show stopped by the quit stays due: a start within its
    // time records the rest.
    m_recordings->roster().setQuitting();
    m_recordings->stopRecordingThen(std::move(quit));
}

void AppRun::shutdown()
{
    // A recording cut short by the end of the program leaves the source
    // volume as it found it.
    if (m_mixer)
        m_mixer->restoreSourceVolumes();
    if (m_core)
        m_core->shutdown();
    // Players Skywell started end with it.
    if (m_tuning)
        m_tuning->endStartedPlayers();
    m_recordings.reset();
    m_parts.reset();
    m_tuningPort.reset();
    m_tuning.reset();
    m_capture.shutdown();
}

} // namespace skywell
