#include "shows/addshow.h"

#include "core/hint.h"
#include "shows/localtime.h"
#include "shows/scheduler.h"
#include "shows/showfile.h"

namespace skywell
{

void addShow(ShowList &shows, Show show, Scheduler &scheduler, const QString &programFolder, Registry &registry,
             Prompter &prompter)
{
    if (show.isRepeating()) {
        show.startTime = toStoredTime(std::int64_t{show.startTime} - kWeekSeconds);
        show.endTime = toStoredTime(std::int64_t{show.endTime} - kWeekSeconds);
    }
    shows.push_back(show);
    scheduler.reschedule(shows);
    saveShows(shows, programFolder);
    scheduler.checkConflicts(shows);
    showHintOnce(kTuneHintName, kTuneHintText, registry, prompter);
}

} // namespace skywell
