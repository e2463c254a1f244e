#include "core/hint.h"

#include "core/prompter.h"
#include "core/settingsstore.h"

namespace skywell
{

void showHintOnce(const QString &valueName, const QString &text, SettingsStore &settingsStore, Prompter &prompter)
{
    if (settingsStore.readBool(valueName, SettingsGroup::Program))
        return;
    if (prompter.hint(text))
        settingsStore.writeBool(valueName, true, SettingsGroup::Program);
}

} // namespace skywell
