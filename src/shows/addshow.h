#pragma once

#include "shows/show.h"

#include <QString>

namespace skywell
{

class Prompter;
class SettingsStore;
class Scheduler;
class ShowStore;

// Adds a confirmed new Show to the list: a repeating Show is first moved
// back one week so that rescheduling walks it forward onto its first
// matching weekday, past an occurrence already under way; then append, reschedule, save, conflict check and the
// "TuneHint" hint. Returns whether the list was saved; the Show stays in
// the list either way.
bool addShow(ShowList &shows, Show show, Scheduler &scheduler, ShowStore &store, SettingsStore &settingsStore,
             Prompter &prompter);

} // namespace skywell
