// Feeds arbitrary bytes to the Show file loader, then runs what the
// program does with a loaded list: reschedule, due-show search, conflict
// check, texts, summary and output names.
#include "core/activitylog.h"
#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "shows/outputnaming.h"
#include "shows/scheduler.h"
#include "shows/showfile.h"
#include "shows/showsummary.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace skywell;
    static const bool zoneSet = [] {
        setenv("TZ", "Europe/Berlin", 1);
        return true;
    }();
    (void)zoneSet;
    static ManualClock clock(1796680800);
    // Nothing here is written: the wake-up timer is absent and the time-zone
    // check is not run.
    static ActivityLog log(QStringLiteral("/nonexistent/"), clock);
    static SettingsStore settingsStore(QStringLiteral("/nonexistent/u"), QStringLiteral("/nonexistent/m"));
    static ScriptedPrompter prompter;
    static Settings settings;

    ShowList shows;
    appendShowRecords(shows, reinterpret_cast<const char *>(data), size);
    if (shows.size() != (size + kShowRecordSize - 1) / kShowRecordSize)
        std::abort();

    Scheduler scheduler(clock, settings, settingsStore, log, prompter);
    scheduler.reschedule(shows, size % 3 == 0 ? 3600 : 0);
    findDueShow(shows, clock.now());
    scheduler.checkConflicts(shows);
    prompter.clear();
    for (const Show &show : shows) {
        showSummary(show, clock);
        clockText(show.endTime);
        RecordingNaming naming;
        naming.fileNameFormat = fieldText(show.lastStatus);
        naming.recordingName = fieldText(show.name);
        naming.trackNumber = show.splitMinutes;
        if (outputFileName(naming, QStringLiteral("mp3"), show.deadAirMs % 101, clock).toUtf8().size() >
            kMaxFileNameBytes)
            std::abort();
    }
    return 0;
}
