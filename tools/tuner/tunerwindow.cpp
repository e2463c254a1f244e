#include "tunerwindow.h"

#include "streamplayer.h"
#include "tunerstatus.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace skywell::tuner
{

TunerWindow::TunerWindow(StreamPlayer &player, QWidget *parent)
    : QWidget(parent), m_player(player), m_title(new QLabel(this)), m_status(new QLabel(this)),
      m_stop(new QPushButton(tr("Stop"), this)), m_volume(new QSlider(Qt::Horizontal, this)),
      m_volumeText(new QLabel(this))
{
    setWindowTitle(kTunerTitle);
    m_title->setTextFormat(Qt::PlainText);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_volume->setRange(0, 100);
    m_volume->setValue(player.volume());
    m_volume->setAccessibleName(tr("Volume"));
    m_volumeText->setText(tr("%1 %").arg(player.volume()));

    auto *controls = new QHBoxLayout;
    controls->addWidget(m_stop);
    controls->addWidget(new QLabel(tr("Volume"), this));
    controls->addWidget(m_volume, 1);
    controls->addWidget(m_volumeText);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_status);
    layout->addLayout(controls);

    connect(&player, &StreamPlayer::statusChanged, m_status, &QLabel::setText);
    connect(&player, &StreamPlayer::streamTitleChanged, this, &TunerWindow::showTitle);
    connect(m_stop, &QPushButton::clicked, this, &TunerWindow::toggle);
    connect(m_volume, &QSlider::valueChanged, this, [this](int value) {
        m_player.setVolume(value);
        m_volumeText->setText(tr("%1 %").arg(value));
    });
    showTitle(QString());
}

void TunerWindow::place(int left, int top, int right)
{
    if (right - left < 100)
        return;
    adjustSize();
    setGeometry(left, top, right - left, sizeHint().height());
}

void TunerWindow::showTitle(const QString &title)
{
    m_title->setText(title);
    m_title->setVisible(!title.isEmpty());
    setWindowTitle(windowTitleFor(title));
}

void TunerWindow::toggle()
{
    if (m_player.isStopped()) {
        m_player.play(m_player.address());
        m_stop->setText(tr("Stop"));
    } else {
        m_player.stop();
        m_stop->setText(tr("Play"));
    }
}

} // namespace skywell::tuner
