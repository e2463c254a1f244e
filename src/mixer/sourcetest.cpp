#include "mixer/sourcetest.h"

#include "core/activitylog.h"
#include "core/prompter.h"
#include "core/registry.h"
#include "core/sleeper.h"
#include "mixer/mixer.h"
#include "mixer/soundplayer.h"
#include "mixer/sourcetestcapture.h"
#include "mixer/testsound.h"
#include "recording/blocklevel.h"
#include "recording/captureblock.h"

#include <algorithm>

namespace skywell
{

namespace
{
const QString kConfirmText = QStringLiteral(
    "Use this test to determine the best Recording Source selection for capturing what you hear on your PC's "
    "speakers. This will test all available Recording Sources by trying to record sounds on each source.  When "
    "finished, you will see recommendations for the best Recording Source selection.  This test takes up to 15 "
    "seconds, and will make some test sounds.\n\nWould you like to proceed?");
const QString kNothingHeard = QStringLiteral(
    "No sound was detected on any available recording source for this sound card: %1.\n\nYou should update your "
    "sound card driver.");
const QString kStereoOnly = QStringLiteral("Use one of these stereo recording sources: %1\n\nYour default recording "
                                           "source for scheduled recordings is set to %2.");
const QString kMonoOnly = QStringLiteral("Use one of these recording sources (mono only): %1");
const QString kStereoAndMono =
    QStringLiteral("The best recording source is: %1\nYou can also use this mono recording source: %2\n\nYour "
                   "default recording source for scheduled recordings is set to %3.");
const QString kStopRecordingFirst =
    QStringLiteral("A recording is running.  Please stop the recording first, then test the recording sources again.");
const QString kSoundNotPlayed = QStringLiteral("The test sound %1 could not be played: %2\n\nThe recording sources "
                                               "were not tested.  Please check that the sound server is running.");

// Around the test sound: capture runs a little before and after it.
constexpr std::chrono::milliseconds kSettle{50};
} // namespace

RecordingSourceTest::RecordingSourceTest(Mixer &mixer, SourceTestCapture &capture, SoundPlayer &player,
                                         Sleeper &sleeper, Prompter &prompter, Registry &registry, ActivityLog &log,
                                         QString testSound)
    : m_mixer(mixer), m_capture(capture), m_player(player), m_sleeper(sleeper), m_prompter(prompter),
      m_registry(registry), m_log(log), m_testSound(std::move(testSound))
{
}

SourceTestResult RecordingSourceTest::run(const QString &card, bool ask)
{
    SourceTestResult result;
    // The wait for captured blocks runs the event loop, where the test's
    // own button may be pressed again.
    if (m_running) {
        result.outcome = SourceTestResult::Outcome::Busy;
        return result;
    }
    if (m_recordingRuns && m_recordingRuns()) {
        result.outcome = SourceTestResult::Outcome::Refused;
        result.message = kStopRecordingFirst;
        m_prompter.information(result.message, kSourceTestCaption);
        return result;
    }
    m_running = true;
    if (ask && !m_prompter.question(kConfirmText, kCaption)) {
        m_running = false;
        return result;
    }

    QString playError;
    testSources(card, result, playError);
    m_running = false;

    if (!playError.isEmpty()) {
        result.outcome = SourceTestResult::Outcome::SoundNotPlayed;
        result.message = kSoundNotPlayed.arg(m_testSound, playError);
    } else {
        result.outcome = SourceTestResult::Outcome::Tested;
        const bool stereo = !result.heardStereo.isEmpty();
        const bool mono = !result.heardMono.isEmpty();
        if (stereo && mono)
            result.message = kStereoAndMono.arg(result.heardStereo, result.heardMono, result.best);
        else if (stereo)
            result.message = kStereoOnly.arg(result.heardStereo, result.best);
        else if (mono)
            result.message = kMonoOnly.arg(result.heardMono);
        else
            result.message = kNothingHeard.arg(card);
    }
    m_prompter.information(result.message, kSourceTestCaption);
    return result;
}

void RecordingSourceTest::testSources(const QString &card, SourceTestResult &result, QString &playError)
{
    m_mixer.listRecordingSources(card);
    QString writeError;
    if (!ensureTestSound(m_testSound, &writeError))
        m_log.logLine(QStringLiteral("Cannot write the test sound "), m_testSound + QStringLiteral(": ") + writeError);

    m_active = true;
    const int count = m_mixer.sourceCount();
    for (int i = 0; i < count; ++i) {
        const QString name = m_mixer.sourceNameAt(i);
        if (m_progress)
            m_progress(i, count, name);
        m_soundDetected = false;
        m_log.logLine(QStringLiteral("Testing "), name);
        m_mixer.selectRecordingSource(name);
        m_capture.start(card);
        m_sleeper.sleepFor(kSettle);
        QString error;
        const bool played = m_player.playToEnd(m_testSound, &error);
        m_sleeper.sleepFor(kSettle);
        m_capture.stop();
        m_capture.deliverCapturedBlocks();
        if (!played) {
            // Without the sound nothing can be heard on any source: say so
            // rather than blame the sources.
            playError = error.isEmpty() ? QStringLiteral("unknown error") : error;
            m_log.logLine(QStringLiteral("Test sound could not be played: "), playError);
            break;
        }
        if (!m_soundDetected)
            continue;
        if (m_mixer.isStereo(i)) {
            if (result.best.isEmpty()) {
                result.best = name;
                m_registry.regWriteString(QStringLiteral("BestRecordSource"), result.best, kSkywellKey);
            }
            appendName(result.heardStereo, name);
        } else {
            appendName(result.heardMono, name);
        }
    }
    m_active = false;
}

void RecordingSourceTest::appendName(QString &list, const QString &name)
{
    const QString separator = list.isEmpty() ? QString() : QStringLiteral(", ");
    // A name that does not fit is left out whole, never cut.
    if (list.size() + separator.size() + name.size() <= kMaxListLength)
        list += separator + name;
}

void RecordingSourceTest::takeTestBlock(const CaptureBlock &block)
{
    if (m_active && peakToPeak(block) > kSoundSpan)
        m_soundDetected = true;
}

int RecordingSourceTest::peakToPeak(const CaptureBlock &block)
{
    // Never past the bytes the block really holds, whatever it claims; the
    // same scan window as the recording's level measurement.
    const std::size_t bytes = std::min<std::size_t>(block.sampleBytes(), block.capacity());
    return measureLevel(block.samples(), bytes).peakToPeak();
}

} // namespace skywell
