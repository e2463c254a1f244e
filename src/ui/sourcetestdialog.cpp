#include "ui/sourcetestdialog.h"

#include "mixer/mixer.h"
#include "mixer/sourcetest.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace skywell
{

SourceTestDialog::SourceTestDialog(RecordingSourceTest &test, QWidget *parent)
    : QDialog(parent), m_test(test), m_progress(new QLabel(this))
{
    setWindowTitle(kSourceTestCaption);
    auto *layout = new QVBoxLayout(this);
    for (const QString &text : {kSourceTestIntro, kSourceTestHowTo}) {
        auto *label = new QLabel(text, this);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    auto *beginButton = new QPushButton(kBeginSourceTest, this);
    layout->addWidget(beginButton);
    layout->addWidget(m_progress);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Done"), QDialogButtonBox::AcceptRole);
    layout->addWidget(buttons);
    connect(beginButton, &QPushButton::clicked, this, &SourceTestDialog::begin);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    beginButton->setDefault(true);
}

void SourceTestDialog::begin()
{
    m_test.setProgress([this](int index, int count, const QString &source) {
        m_progress->setText(QStringLiteral("%1 / %2: %3").arg(index + 1).arg(count).arg(source));
    });
    runSourceTestWaiting(m_test, kDefaultDevice, false);
    m_test.setProgress({});
    m_progress->clear();
}

void runSourceTestWaiting(RecordingSourceTest &test, const QString &card, bool ask)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    test.run(card, ask);
    QApplication::restoreOverrideCursor();
}

} // namespace skywell
