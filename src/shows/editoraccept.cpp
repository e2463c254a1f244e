#include "shows/editoraccept.h"

#include "core/clock.h"
#include "shows/showeditorvalues.h"

namespace skywell
{

bool acceptShowUnchanged(Show &show, std::int64_t now, SettingsStore &settingsStore, Prompter &prompter)
{
    ManualClock clock(now);
    return acceptShowEditor(openShowEditor(show, now, settingsStore, clock), show, now, settingsStore, prompter);
}

} // namespace skywell
