#include "ui/qtprompter.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>

namespace skywell
{

void QtPrompter::information(const QString &text, const QString &caption)
{
    QMessageBox::information(m_parent, caption, text, QMessageBox::Ok);
}

bool QtPrompter::question(const QString &text, const QString &caption)
{
    return QMessageBox::question(m_parent, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

void QtPrompter::error(const QString &text, const QString &caption)
{
    QMessageBox::critical(m_parent, caption, text, QMessageBox::Ok);
}

void QtPrompter::fatal(const QString &text)
{
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
    return dialog.exec() == QDialog::Accepted && dontShow->isChecked();
}

} // namespace skywell
