#pragma once

#include "core/prompter.h"

#include <QList>
#include <QString>
#include <mutex>

namespace skywell
{

class ActivityLog;

// A Prompter without a display: it records every prompt, answers questions
// from a script (the question's default answer when the script is empty) and, when
// given a log, writes each prompt there. Used by --headless and by tests.
class ScriptedPrompter final : public Prompter
{
public:
    enum class Kind { Information, Question, Error, Fatal, Hint };
    struct Prompt {
        Kind kind;
        QString caption;
        QString text;
    };

    explicit ScriptedPrompter(ActivityLog *log = nullptr) : m_log(log) {}

    void information(const QString &text, const QString &caption = kCaption) override;
    bool question(const QString &text, const QString &caption = kCaption,
                  DefaultAnswer preset = DefaultAnswer::No) override;
    void error(const QString &text, const QString &caption = kErrorCaption) override;
    void fatal(const QString &text) override;
    bool hint(const QString &text) override;

    // Answers for the next questions (true = Yes) and hints (true = box
    // ticked), used in order.
    void queueAnswer(bool answer);

    QList<Prompt> prompts() const;
    int count(Kind kind) const;
    void clear();

private:
    void record(Kind kind, const QString &caption, const QString &text);
    bool nextAnswer(bool fallback = false);

    ActivityLog *m_log;
    mutable std::mutex m_mutex;
    QList<Prompt> m_prompts;
    QList<bool> m_answers;
};

} // namespace skywell
