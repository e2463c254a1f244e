#pragma once

#include "core/prompter.h"

class QWidget;

namespace skywell
{

// The desktop's message boxes.
class QtPrompter final : public Prompter
{
public:
    explicit QtPrompter(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    void information(const QString &text, const QString &caption = kCaption) override;
    bool question(const QString &text, const QString &caption = kCaption) override;
    void error(const QString &text, const QString &caption = kErrorCaption) override;
    void fatal(const QString &text) override;
    bool hint(const QString &text) override;

private:
    QWidget *m_parent;
};

} // namespace skywell
