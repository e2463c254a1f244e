#include "ui/qtprompter.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>

namespace skywell
{

int QtPrompter::run(QDialog &box)
{
    if (m_stopped)
        return QDialog::Rejected;
    QDialog *outer = m_shown;
    m_shown = &box;
    const int result = box.exec();
    m_shown = outer;
    return result;
}

void QtPrompter::stopAsking()
{
    m_stopped = true;
    if (m_shown)
        m_shown->reject();
}

void QtPrompter::information(const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, m_parent);
    run(box);
}

bool QtPrompter::question(const QString &text, const QString &caption, DefaultAnswer preset)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, m_parent);
    const bool yesByDefault = preset == DefaultAnswer::Yes;
    box.setDefaultButton(yesByDefault ? QMessageBox::Yes : QMessageBox::No);
    // Where Yes is what loses nothing, only a click on No says otherwise:
    // Escape and closing the box keep the default too.
    if (yesByDefault)
        box.setEscapeButton(QMessageBox::Yes);
    const int answer = run(box);
    if (m_stopped || (answer != QMessageBox::Yes && answer != QMessageBox::No))
        return yesByDefault;
    return answer == QMessageBox::Yes;
}

void QtPrompter::error(const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, m_parent);
    run(box);
}

void QtPrompter::fatal(const QString &text)
{
    if (m_stopped)
        return;
    // Not modal: the recording goes on behind the message.
    auto *box = new QMessageBox(QMessageBox::Critical, kFatalCaption, text, QMessageBox::Ok, m_parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

bool QtPrompter::hint(const QString &text)
{
    QDialog dialog(m_parent);
    dialog.setWindowTitle(kHintCaption);
    auto *layout = new QVBoxLayout(&dialog);
    auto *label = new QLabel(text, &dialog);
    label->setWordWrap(true);
    auto *dontShow = new QCheckBox(kDontShowAgain, &dialog);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(label);
    layout->addWidget(dontShow);
    layout->addWidget(buttons);
    return run(dialog) == QDialog::Accepted && dontShow->isChecked();
}

} // namespace skywell
