#include "app/recordingservice.h"

#include "app/appcore.h"
#include "core/activitylog.h"
#include "core/clock.h"
#include "mixer/mixer.h"
#include "recording/freespace.h"
#include "recording/recordingmarker.h"
#include "recording/recordingrecovery.h"

namespace skywell
{

RecordingService::RecordingService(AppCore &core, CaptureQueue &capture, Mixer &mixer, const Clock &clock,
                                   ActivityLog &log, Prompter &prompter, Registry &registry, StreamTuning &tuning,
                                   DirectDownload &download, QObject *parent)
    : QObject(parent), m_converters(
                           core.settings(), core.programFolder(), log, prompter, m_runner,
                           [this]() -> std::optional<RecordingSpan> {
                               if (!m_controller || !m_controller->recording())
                                   return std::nullopt;
                               return RecordingSpan{m_controller->startTime(), m_controller->endTime()};
                           },
                           [this](const QString &text) { Q_EMIT statusLine(text); }),
      m_cdWriter(core.programFolder(), registry, log, prompter, m_runner,
                 [this](const QString &text) { Q_EMIT statusLine(text); }),
      m_library(registry, log),
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
    CaptureSourceCalls mixerCalls{[&mixer](const QString &source) { mixer.selectRecordingSource(source); },
                                  [&mixer](const QString &source) { mixer.optimizeSourceVolume(source); },
                                  {}};
    RecordingSignals windowSignals{[this](int peak) { Q_EMIT levelMeter(peak); },
                                   [this](bool on) { Q_EMIT recordingIcon(on); },
                                   [this](const QString &text) { Q_EMIT statusLine(text); }};
    m_blocks = std::make_unique<BlockProcessor>(m_session, capture, core.settings(), clock, log, prompter, m_delivery,
                                                mixerCalls, windowSignals);
    m_controller =
        std::make_unique<RecordingController>(m_session, *m_blocks, core.shows(), core.scheduler(), core.showStore(),
                                              core.settings(), clock, log, tuning, download);
    m_controller->setMixer({[&mixer] { mixer.restoreSourceVolumes(); }});
    const Settings &settings = core.settings();
    m_controller->setSafety(
        {[&settings, this](std::uint32_t flags, std::int64_t seconds) {
             return freeSpaceProblem(settings, flags, seconds, m_session.splitEverySeconds);
         },
         [&settings](const RecordingSession &s, std::int64_t startTime) {
             RecordingMarker::write(settings.tempFolder, RecordingMarker::of(s, startTime));
         },
         [&settings] { RecordingMarker::clear(settings.tempFolder); },
         [&settings, &log, &clock](RecordingSession &s) { continueInterruptedSeries(settings, s, log, clock); }});
    // What a recording cut short by a crash or a power cut left behind is
    // saved before the next recording could overwrite it.
    recoverUnfinishedRecordings(settings, log, clock);
    connect(m_controller.get(), &RecordingController::statusLine, this, &RecordingService::statusLine);
    core.ticker().onEveryTick([this, &log] {
        // A Show that began while the computer slept is recorded from now,
        // not from the next tenth tick.
        if (m_resumeWatch.check()) {
            log.logLine(QStringLiteral("The computer woke up or its clock was set: looking for a due Show now."));
            m_controller->lookForDueShowNow();
        }
        m_controller->supervisionTick();
    });
}

RecordingService::~RecordingService() = default;

void RecordingService::stopRecordingThen(std::function<void()> done)
{
    if (!m_controller->recording() || m_controller->endRecording(false, true)) {
        done();
        return;
    }
    // A split is being delivered: the end follows at the tick after it.
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(m_controller.get(), &RecordingController::recordingEnded, this, [connection, done] {
        QObject::disconnect(*connection);
        done();
    });
}

} // namespace skywell
