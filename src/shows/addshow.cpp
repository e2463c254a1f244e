#include "shows/addshow.h"

#include "core/hint.h"
#include "shows/localtime.h"
#include "shows/scheduler.h"
#include "shows/showstore.h"

namespace skywell
{

bool addShow(ShowList &shows, Show show, Scheduler &scheduler, ShowStore &store, SettingsStore &settingsStore,
             Prompter &prompter)
{
    if (show.isRepeating()) {
        show.startTime = toStoredTime(std::int64_t{show.startTime} - kWeekSeconds);
        show.endTime = toStoredTime(std::int64_t{show.endTime} - kWeekSeconds);
    }
    shows.push_back(show);
    scheduler.reschedule(shows);
    // A new repeating Show begins with an occurrence still to come: one
    // already under way (or about to be tuned to) counts as passed, so
    // adding a Show never starts a recording by itself.
    Show &added = shows.back();
    if (added.isRepeating() && added.startTime < scheduler.firstStartAhead()) {
        added.lastRecorded = added.startTime;
        scheduler.reschedule(shows);
    }
    const bool saved = store.save(shows);
    scheduler.checkConflicts(shows);
    showHintOnce(kTuneHintName, kTuneHintText, settingsStore, prompter);
    return saved;
}

} // namespace skywell
