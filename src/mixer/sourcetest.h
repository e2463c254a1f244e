#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QThread;

namespace skywell
{

class ActivityLog;
class CaptureBlock;
class Mixer;
class Prompter;
class SettingsStore;
class SoundPlayer;
class SourceTestCapture;

// What one run of the recording-source test ended with.
struct SourceTestResult {
    enum class Outcome {
        Tested,        // every source was tried; message holds the findings
        Declined,      // the user answered No; nothing changed
        Refused,       // a recording runs; message says to stop it first
        Busy,          // a test already runs (asked again while it waits)
        SoundNotPlayed // the test sound failed; message says why
    };
    Outcome outcome = Outcome::Declined;
    QString heardStereo; // names separated by ", "
    QString heardMono;
    // The first stereo source that heard the sound, whole: sound server
    // source names often pass 63 characters, and a shortened name would
    // never be found again.
    QString best;
    QString message;
};

// The recording-source test: selects each recording source of a sound
// card in turn, captures while the test sound plays, and finds the sources
// on which the captured audio moved. The first stereo one becomes
// "BestRecordSource". It runs beside the event loop, never inside it: the
// sound plays on a thread of its own and the pauses are timers, so the
// windows stay usable and the captured blocks reach the test by the
// ordinary event loop. The test's dialog only starts it and shows progress.
class RecordingSourceTest final : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxListLength = 511;
    // A block counts as sound when its samples span more than this.
    static constexpr int kSoundSpan = 2048;

    RecordingSourceTest(Mixer &mixer, SourceTestCapture &capture, SoundPlayer &player, Prompter &prompter,
                        SettingsStore &settingsStore, ActivityLog &log, QString testSound);
    ~RecordingSourceTest() override;

    // Tells whether a recording runs; the test refuses to start then.
    void setRecordingCheck(std::function<bool()> recordingRuns) { m_recordingRuns = std::move(recordingRuns); }
    // Called before each source is tried (index from 0).
    using Progress = std::function<void(int index, int count, const QString &source)>;
    void setProgress(Progress progress) { m_progress = std::move(progress); }

    // Starts the test on card (a capture device, or "Default Device"),
    // asking first when ask is set. Nothing when it started: finished
    // follows when every source has been tried, and the result is shown
    // right after it. The outcome at once when it
    // did not start (declined, refused, or already running).
    std::optional<SourceTestResult> start(const QString &card, bool ask);

    // True while sources are being tried: captured blocks then belong to
    // the test, and no recording may start.
    bool active() const { return m_active; }
    // True from the question to the result: the search for a due Show
    // waits meanwhile, so no recording starts under the test.
    bool running() const { return m_running; }
    // The block handler's measuring-only path while the test is active.
    void takeTestBlock(const CaptureBlock &block);

    // Largest minus smallest sample in the window the level measurement
    // scans (16-bit values, the first 12 and last 20 skipped); 0 for a
    // block too short to have such a window.
    static int peakToPeak(const CaptureBlock &block);

Q_SIGNALS:
    void finished(const skywell::SourceTestResult &result);
    // running() changed: no recording of the chosen source starts while it
    // is true.
    void runningChanged(bool running);

private:
    void setRunning(bool running);
    void trySource();
    void playSound();
    void soundPlayed(bool played, const QString &error);
    void measure();
    void finish();
    static void appendName(QString &list, const QString &name);

    Mixer &m_mixer;
    SourceTestCapture &m_capture;
    SoundPlayer &m_player;
    Prompter &m_prompter;
    SettingsStore &m_settingsStore;
    ActivityLog &m_log;
    QString m_testSound;
    std::function<bool()> m_recordingRuns;
    Progress m_progress;
    bool m_running = false;
    bool m_active = false;
    bool m_soundDetected = false;
    // The run under way.
    QString m_card;
    int m_index = 0;
    bool m_played = false;
    QString m_playError;
    SourceTestResult m_result;
    QThread *m_playing = nullptr;
};

// The test's dialog: caption, texts and its button (the other is "Done").
inline const QString kSourceTestCaption = QStringLiteral("Recording Source Test");
inline const QString kSourceTestIntro =
    QStringLiteral("Skywell needs to configure itself by testing the various recording sources.  This will "
                   "pre-configure Skywell so that recording works the first time.");
inline const QString kSourceTestHowTo = QStringLiteral(
    "Click the button below to start the test.\n\nWhen you don't hear any more sounds, the test is done.");
inline const QString kBeginSourceTest = QStringLiteral("Begin Recording Source Test");

} // namespace skywell
