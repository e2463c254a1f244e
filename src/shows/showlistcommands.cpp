#include "shows/showlistcommands.h"

#include "core/clock.h"
#include "shows/addshow.h"
#include "shows/localtime.h"
#include "shows/scheduler.h"
#include "shows/showstore.h"

#include <algorithm>
#include <cstring>

namespace skywell
{

bool showsAsUnscheduled(const Show &show)
{
    return (show.flags & SHOW_UNSCHEDULED) || ((show.flags & SHOW_REPEATING) && !(show.flags & SHOW_DAYS));
}

QString nextRecordingColumn(const Show &show, const Clock &clock)
{
    if (showsAsUnscheduled(show))
        return kUnscheduledText;
    return nextRecordingText(show.startTime, show.endTime, show.isRepeating(), clock);
}

QString showRowText(const Show &show, const QString &recordingName, std::int64_t recordingEnd, const Clock &clock)
{
    if (!recordingName.isEmpty() && fieldText(show.name) == recordingName)
        return QStringLiteral("RECORDING until ") + clockText(recordingEnd);
    return nextRecordingColumn(show, clock);
}

QString nothingSelectedText(const QString &text, const QString &button)
{
    return QStringLiteral("%1.\n\nClick a Show in the list, then click \"%2\" again.").arg(text, button);
}

ShowListCommands::ShowListCommands(ShowList &shows, Scheduler &scheduler, ShowStore &store,
                                   SettingsStore &settingsStore, Prompter &prompter, const Clock &clock)
    : m_shows(shows), m_scheduler(scheduler), m_store(store), m_settingsStore(settingsStore), m_prompter(prompter),
      m_clock(clock)
{
}

void ShowListCommands::add(const Show &show)
{
    addShow(m_shows, show, m_scheduler, m_store, m_settingsStore, m_prompter);
}

void ShowListCommands::replace(int index, Show edited)
{
    if (!validIndex(index))
        return;
    if (edited.isRepeating()) {
        edited.startTime = toStoredTime(std::int64_t{edited.startTime} - kWeekSeconds);
        edited.endTime = toStoredTime(std::int64_t{edited.endTime} - kWeekSeconds);
    }
    m_shows[std::size_t(index)] = edited;
    rescheduleAndSave(true);
}

void ShowListCommands::remove(int index)
{
    if (!validIndex(index))
        return;
    m_shows.erase(m_shows.begin() + index);
    rescheduleAndSave(true);
}

int ShowListCommands::moveUp(int index)
{
    if (!validIndex(index) || index == 0)
        return index;
    std::swap(m_shows[std::size_t(index)], m_shows[std::size_t(index - 1)]);
    m_store.save(m_shows);
    return index - 1;
}

int ShowListCommands::moveDown(int index)
{
    if (!validIndex(index) || std::size_t(index) + 1 == m_shows.size())
        return index;
    std::swap(m_shows[std::size_t(index)], m_shows[std::size_t(index + 1)]);
    m_store.save(m_shows);
    return index + 1;
}

void ShowListCommands::sortBy(SortColumn column)
{
    if (column == SortColumn::Name) {
        // Byte order of the UTF-8 names, letter case counting.
        std::stable_sort(m_shows.begin(), m_shows.end(),
                         [](const Show &a, const Show &b) { return std::strncmp(a.name, b.name, sizeof a.name) < 0; });
    } else {
        // Unscheduled Shows last whatever their stored start, which may be
        // any old time.
        std::stable_sort(m_shows.begin(), m_shows.end(), [](const Show &a, const Show &b) {
            const bool ua = showsAsUnscheduled(a);
            const bool ub = showsAsUnscheduled(b);
            if (ua != ub)
                return ub;
            return !ua && a.startTime < b.startTime;
        });
    }
    rescheduleAndSave(false);
}

void ShowListCommands::rescheduleAndSave(bool checkConflicts)
{
    m_scheduler.reschedule(m_shows);
    m_store.save(m_shows);
    if (checkConflicts)
        m_scheduler.checkConflicts(m_shows);
}

} // namespace skywell
