#include "shows/editoraccept.h"

#include "core/clock.h"
#include "shows/showeditorvalues.h"

namespace skywell
{

bool acceptShowUnchanged(Show &show, std::int64_t now, Registry &registry, Prompter &prompter)
{
    ManualClock clock(now);
    return acceptShowEditor(openShowEditor(show, now, registry, clock), show, now, registry, prompter);
}

} // namespace skywell
