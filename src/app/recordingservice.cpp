#include "app/recordingservice.h"

#include "app/appcore.h"
#include "core/activitylog.h"
#include "core/clock.h"
#include "mixer/mixer.h"
#include "recording/recordingrecovery.h"

namespace skywell
{

RecordingService::RecordingService(AppCore &core, Mixer &mixer, const Clock &clock, ActivityLog &log,
                                   Prompter &prompter, SettingsStore &settingsStore, StreamTuning &tuning,
                                   RecordingParts &parts, QObject *parent)
    : QObject(parent),
      m_converters(
          core.settings(), core.programFolder(), log, prompter, m_runner,
          [this]() -> std::optional<RecordingSpan> {
              // The longest of the recordings running.
              std::optional<RecordingSpan> longest;
              for (const RunningRecording &r : m_roster ? m_roster->running() : std::vector<RunningRecording>{}) {
                  if (!longest || r.endTime - r.startTime > longest->endTime - longest->startTime)
                      longest = RecordingSpan{r.startTime, r.endTime};
              }
              return longest;
          },
          [this](const QString &text) { Q_EMIT statusLine(text); }),
      m_cdWriter(core.programFolder(), settingsStore, log, prompter, m_runner,
                 [this](const QString &text) { Q_EMIT statusLine(text); }),
      m_library(settingsStore, log),
      m_delivery(
          core.settings(), log,
          [this](const QString &tempName, const QString &prefix, auto done) {
              m_converters.runCustomConversion(tempName, prefix, std::move(done));
          },
          [this](const QString &list, bool dataCD, auto done) { m_cdWriter.burnCD(list, dataCD, std::move(done)); },
          &m_library)
{
    // The speakers are never muted through the mixer: that would silence
    // what is recorded. A muted recording plays into a sink of its own.
    m_roster = std::make_unique<RecordingRoster>(RosterContext{core.shows(), core.scheduler(), core.showStore(),
                                                               core.settings(), clock, log, tuning, parts, m_delivery,
                                                               &mixer});
    const Settings &settings = core.settings();
    // What recordings cut short by a crash or a power cut left behind is
    // saved before the next recording could overwrite it.
    recoverUnfinishedRecordings(settings, log, clock);
    core.ticker().onEveryTick([this, &log] {
        // A Show that began while the computer slept is recorded from now,
        // not from the next tenth tick.
        if (m_resumeWatch.check()) {
            log.logLine(QStringLiteral("The computer woke up or its clock was set: looking for a due Show now."));
            m_roster->lookForDueShowNow();
        }
        m_roster->supervisionTick();
    });
}

RecordingService::~RecordingService() = default;

void RecordingService::stopRecordingThen(std::function<void()> done)
{
    m_roster->endAll(std::move(done));
}

} // namespace skywell
