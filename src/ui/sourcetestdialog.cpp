#include "ui/sourcetestdialog.h"

#include "mixer/mixer.h"
#include "mixer/sourcetest.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace skywell
{

SourceTestDialog::SourceTestDialog(RecordingSourceTest &test, QWidget *parent)
    : QDialog(parent), m_test(test), m_begin(new QPushButton(kBeginSourceTest, this)), m_progress(new QLabel(this)),
      m_bar(new QProgressBar(this))
{
    setWindowTitle(kSourceTestCaption);
    auto *layout = new QVBoxLayout(this);
    for (const QString &text : {kSourceTestIntro, kSourceTestHowTo}) {
        auto *label = new QLabel(text, this);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    layout->addWidget(m_begin);
    layout->addWidget(m_progress);
    m_bar->setTextVisible(false);
    m_bar->setRange(0, 1);
    m_bar->setValue(0);
    layout->addWidget(m_bar);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Done"), QDialogButtonBox::AcceptRole);
    layout->addWidget(buttons);
    connect(m_begin, &QPushButton::clicked, this, &SourceTestDialog::begin);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(&m_test, &RecordingSourceTest::finished, this, &SourceTestDialog::ended);
    m_begin->setDefault(true);
}

SourceTestDialog::~SourceTestDialog()
{
    if (m_waiting)
        QApplication::restoreOverrideCursor();
    m_test.setProgress({});
}

void SourceTestDialog::begin()
{
    m_test.setProgress([this](int index, int count, const QString &source) {
        m_bar->setRange(0, count);
        m_bar->setValue(index);
        m_progress->setText(QStringLiteral("Testing %1 of %2: %3").arg(index + 1).arg(count).arg(source));
    });
    m_begin->setEnabled(false);
    if (m_test.start(kDefaultDevice, false)) {
        ended();
        return;
    }
    m_waiting = true;
    QApplication::setOverrideCursor(Qt::BusyCursor);
}

void SourceTestDialog::ended()
{
    if (m_waiting) {
        m_waiting = false;
        QApplication::restoreOverrideCursor();
    }
    m_test.setProgress({});
    m_progress->clear();
    m_bar->setRange(0, 1);
    m_bar->setValue(m_bar->maximum());
    m_begin->setEnabled(true);
}

void runSourceTestWaiting(RecordingSourceTest &test, const QString &card, bool ask)
{
    if (test.start(card, ask))
        return; // declined, refused or already running: nothing to wait for
    QApplication::setOverrideCursor(Qt::BusyCursor);
    auto once = std::make_shared<QMetaObject::Connection>();
    *once = QObject::connect(&test, &RecordingSourceTest::finished, &test, [once] {
        QObject::disconnect(*once);
        QApplication::restoreOverrideCursor();
    });
}

} // namespace skywell
