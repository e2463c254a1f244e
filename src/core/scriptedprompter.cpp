#include "core/scriptedprompter.h"

#include "core/activitylog.h"

namespace skywell
{

void ScriptedPrompter::record(Kind kind, const QString &caption, const QString &text)
{
    {
        std::lock_guard lock(m_mutex);
        m_prompts.append({kind, caption, text});
    }
    if (m_log)
        m_log->logLine(caption + QLatin1Char(':'), text);
}

bool ScriptedPrompter::nextAnswer(bool fallback)
{
    std::lock_guard lock(m_mutex);
    return m_answers.isEmpty() ? fallback : m_answers.takeFirst();
}

void ScriptedPrompter::information(const QString &text, const QString &caption)
{
    record(Kind::Information, caption, text);
}

bool ScriptedPrompter::question(const QString &text, const QString &caption, DefaultAnswer preset)
{
    record(Kind::Question, caption, text);
    const bool yes = nextAnswer(preset == DefaultAnswer::Yes);
    if (m_log)
        m_log->logLine(caption + QLatin1Char(':'),
                       yes ? QStringLiteral("answered Yes") : QStringLiteral("answered No"));
    return yes;
}

void ScriptedPrompter::error(const QString &text, const QString &caption)
{
    record(Kind::Error, caption, text);
}

void ScriptedPrompter::fatal(const QString &text)
{
    record(Kind::Fatal, kFatalCaption, text);
}

bool ScriptedPrompter::hint(const QString &text)
{
    record(Kind::Hint, kHintCaption, text);
    return nextAnswer();
}

void ScriptedPrompter::queueAnswer(bool answer)
{
    std::lock_guard lock(m_mutex);
    m_answers.append(answer);
}

QList<ScriptedPrompter::Prompt> ScriptedPrompter::prompts() const
{
    std::lock_guard lock(m_mutex);
    return m_prompts;
}

int ScriptedPrompter::count(Kind kind) const
{
    std::lock_guard lock(m_mutex);
    int n = 0;
    for (const Prompt &p : m_prompts)
        n += p.kind == kind ? 1 : 0;
    return n;
}

void ScriptedPrompter::clear()
{
    std::lock_guard lock(m_mutex);
    m_prompts.clear();
    m_answers.clear();
}

} // namespace skywell
