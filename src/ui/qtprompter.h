#pragma once

#include "core/prompter.h"

class QDialog;
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
    bool question(const QString &text, const QString &caption = kCaption,
                  DefaultAnswer preset = DefaultAnswer::No) override;
    void error(const QString &text, const QString &caption = kErrorCaption) override;
    void fatal(const QString &text) override;
    bool hint(const QString &text) override;

    // The program is quitting: closes the box shown now and gives every
    // later question its default answer (OK, hint not ticked) unshown.
    void stopAsking();

private:
    // Runs a modal box unless asking has stopped.
    int run(QDialog &box);

    QWidget *m_parent;
    QDialog *m_shown = nullptr;
    bool m_stopped = false;
};

} // namespace skywell
