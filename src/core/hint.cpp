#include "core/hint.h"

#include "core/prompter.h"
#include "core/registry.h"

namespace skywell
{

void showHintOnce(const QString &valueName, const QString &text, Registry &registry, Prompter &prompter)
{
    if (registry.regReadInt(valueName, kSkywellKey) != 0)
        return;
    if (prompter.hint(text))
        registry.regWriteInt(valueName, 1, kSkywellKey);
}

} // namespace skywell
