#include "mixer/sourcetest.h"

#include "core/activitylog.h"
#include "core/prompter.h"
#include "core/settingsstore.h"
#include "mixer/mixer.h"
#include "mixer/soundplayer.h"
#include "mixer/sourcetestcapture.h"
#include "mixer/testsound.h"
#include "recording/blocklevel.h"
#include "recording/captureblock.h"

#include <QThread>
#include <QTimer>

#include <algorithm>
#include <memory>

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
                                         Prompter &prompter, SettingsStore &settingsStore, ActivityLog &log,
                                         QString testSound)
    : m_mixer(mixer), m_capture(capture), m_player(player), m_prompter(prompter), m_settingsStore(settingsStore),
      m_log(log), m_testSound(std::move(testSound))
{
}

RecordingSourceTest::~RecordingSourceTest()
{
    // The player's own time limit ends the sound that is playing.
    if (m_playing) {
        m_playing->wait();
        delete m_playing;
    }
}

std::optional<SourceTestResult> RecordingSourceTest::start(const QString &card, bool ask)
{
    SourceTestResult result;
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
    setRunning(true);
    if (ask && !m_prompter.question(kConfirmText, kCaption)) {
        setRunning(false);
        return result;
    }

    m_card = card;
    m_result = SourceTestResult{};
    m_playError.clear();
    m_mixer.listRecordingSources(card);
    QString writeError;
    if (!ensureTestSound(m_testSound, &writeError))
        m_log.logLine(QStringLiteral("Cannot write the test sound "), m_testSound + QStringLiteral(": ") + writeError);
    m_active = true;
    m_index = 0;
    // Even a card without sources ends after start() has returned.
    QMetaObject::invokeMethod(this, &RecordingSourceTest::trySource, Qt::QueuedConnection);
    return std::nullopt;
}

void RecordingSourceTest::trySource()
{
    const int count = m_mixer.sourceCount();
    if (m_index >= count) {
        finish();
        return;
    }
    const QString name = m_mixer.sourceNameAt(m_index);
    if (m_progress)
        m_progress(m_index, count, name);
    m_soundDetected = false;
    m_log.logLine(QStringLiteral("Testing "), name);
    m_mixer.selectRecordingSource(name);
    m_capture.start(m_card);
    // Capture runs a little before and after the sound.
    QTimer::singleShot(kSettle, this, &RecordingSourceTest::playSound);
}

void RecordingSourceTest::playSound()
{
    // The player returns only when the sound has been played: off the
    // window's thread, so the windows keep answering meanwhile.
    auto outcome = std::make_shared<std::pair<bool, QString>>(false, QString());
    m_playing =
        QThread::create([this, outcome] { outcome->first = m_player.playToEnd(m_testSound, &outcome->second); });
    connect(m_playing, &QThread::finished, this, [this, outcome] {
        m_playing->deleteLater();
        m_playing = nullptr;
        soundPlayed(outcome->first, outcome->second);
    });
    m_playing->start();
}

void RecordingSourceTest::soundPlayed(bool played, const QString &error)
{
    m_played = played;
    if (!played)
        m_playError = error.isEmpty() ? QStringLiteral("unknown error") : error;
    QTimer::singleShot(kSettle, this, [this] {
        m_capture.stop();
        // The blocks captured were handed to the event loop before stop()
        // returned; a call queued now comes after them.
        QMetaObject::invokeMethod(this, &RecordingSourceTest::measure, Qt::QueuedConnection);
    });
}

void RecordingSourceTest::measure()
{
    m_capture.deliverCapturedBlocks();
    if (!m_played) {
        // Without the sound nothing can be heard on any source: say so
        // rather than blame the sources.
        m_log.logLine(QStringLiteral("Test sound could not be played: "), m_playError);
        finish();
        return;
    }
    if (m_soundDetected) {
        const QString name = m_mixer.sourceNameAt(m_index);
        if (m_mixer.isStereo(m_index)) {
            if (m_result.best.isEmpty()) {
                m_result.best = name;
                m_settingsStore.writeString(QStringLiteral("BestRecordSource"), m_result.best, SettingsGroup::Program);
            }
            appendName(m_result.heardStereo, name);
        } else {
            appendName(m_result.heardMono, name);
        }
    }
    ++m_index;
    trySource();
}

void RecordingSourceTest::finish()
{
    m_active = false;
    SourceTestResult &result = m_result;
    if (!m_playError.isEmpty()) {
        result.outcome = SourceTestResult::Outcome::SoundNotPlayed;
        result.message = kSoundNotPlayed.arg(m_testSound, m_playError);
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
            result.message = kNothingHeard.arg(m_card);
    }
    Q_EMIT finished(result);
    // Still running while the result is shown: no second test meanwhile.
    m_prompter.information(result.message, kSourceTestCaption);
    setRunning(false);
}

void RecordingSourceTest::setRunning(bool running)
{
    m_running = running;
    Q_EMIT runningChanged(running);
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
