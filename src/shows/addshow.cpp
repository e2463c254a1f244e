#include "shows/addshow.h"

#include "core/hint.h"
#include "shows/localtime.h"
#include "shows/scheduler.h"
#include "shows/showstore.h"

namespace skywell
{

bool addShow(ShowList &shows, Show show, Scheduler &scheduler, ShowStore &store, Registry &registry, Prompter &prompter)
{
    if (show.isRepeating()) {
        show.startTime = toStoredTime(std::int64_t{show.startTime} - kWeekSeconds);
        show.endTime = toStoredTime(std::int64_t{show.endTime} - kWeekSeconds);
    }
    shows.push_back(show);
    scheduler.reschedule(shows);
    const bool saved = store.save(shows);
    scheduler.checkConflicts(shows);
    showHintOnce(kTuneHintName, kTuneHintText, registry, prompter);
    return saved;
}

} // namespace skywell
