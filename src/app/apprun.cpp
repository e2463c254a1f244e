#include "app/apprun.h"

#include "core/commandline.h"
#include "core/registry.h"
#include "mixer/mixer.h"
#include "mixer/sourcetest.h"
#include "mixer/testsound.h"
#include "platform/waketimerfd.h"
#include "recording/mp3encoder.h"

namespace skywell
{

AppRun::AppRun(QString programFolder, Registry &registry)
    : m_programFolder(std::move(programFolder)), m_registry(registry), m_log(m_programFolder, m_clock)
{
}

AppRun::~AppRun()
{
    shutdown();
}

void AppRun::start(Prompter &prompter, const CommandLine &commandLine, AppCore::ConfigureSettings configure)
{
    m_core = std::make_unique<AppCore>(m_programFolder, m_clock, m_log, m_registry, prompter);
    m_core->setConfigureSettings(std::move(configure));
    m_core->setWakeTimerFactory([this] { return WakeTimerFd::create(m_log); });
    m_core->openRun();

    checkMp3Encoder(prompter);
    // Until recordings run, captured blocks are only measured by a running
    // recording-source test and given straight back.
    m_capture.init([this] {
        CaptureBlock *block = nullptr;
        while (m_capture.takeBlock(block)) {
            if (m_sourceTest && m_sourceTest->active())
                m_sourceTest->takeTestBlock(*block);
            m_capture.release(block);
        }
    });

    m_core->start();
    m_mixer = std::make_unique<Mixer>(m_mixerBackend, m_log, m_registry, m_core->settings());
    m_mixer->logMixerData();
    // The test sound is the program's own; a failure here is reported by
    // the test that needs it.
    const QString testSound = testSoundPath(m_programFolder);
    ensureTestSound(testSound);
    m_sourceTest = std::make_unique<RecordingSourceTest>(*m_mixer, m_sourceTestCapture, m_speakers, m_sleeper, prompter,
                                                         m_registry, m_log, testSound);
    // Capture runs only for a recording when the test is not running.
    m_sourceTest->setRecordingCheck([this] { return m_capture.isRecording(); });
    if (!commandLine.importPath.isEmpty())
        m_core->importShow(commandLine.importPath);
}

void AppRun::shutdown()
{
    // A recording cut short by the end of the program leaves the source
    // volume as it found it.
    if (m_mixer)
        m_mixer->restoreSourceVolumes();
    if (m_core)
        m_core->shutdown();
    m_capture.shutdown();
}

} // namespace skywell
