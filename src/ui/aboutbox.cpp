#include "ui/aboutbox.h"

#include "core/version.h"
#include "ui/skin.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace skywell
{

QString aboutText()
{
    return QStringLiteral(
        "<p>Skywell records internet radio shows on schedule, unattended, and keeps them as MP3 or WAV files, "
        "on CD or in your music library.</p>"
        "<p>Written by the Skywell developers, with thanks to everyone who reported faults, tested recordings "
        "and sent in stations for the catalogue.</p>"
        "<p><b>Built on</b></p><ul>"
        "<li>Qt 6: LGPL 3</li>"
        "<li>LAME (libmp3lame): LGPL 2</li>"
        "<li>SoundTouch: LGPL 2.1</li>"
        "<li>PulseAudio client library (libpulse): LGPL 2.1</li>"
        "<li>libcurl: curl licence (MIT style)</li>"
        "<li>libmpdclient: BSD 3-clause</li>"
        "<li>GLib: LGPL 2.1</li>"
        "<li>Xlib: MIT</li>"
        "<li>FFmpeg (libavformat, libavcodec, libswresample, libavutil), recording straight from the stream: "
        "LGPL 2.1 or later; GPL 2 or later as Debian builds it</li>"
        "<li>libmpv, in Skywell Tuner: GPL 2 or later (as Debian builds it)</li>"
        "</ul><p>Station directory data: radio-browser.info community, public domain.</p>");
}

AboutBox::AboutBox(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Skywell"));
    auto *layout = new QVBoxLayout(this);
    auto *banner = new QLabel(this);
    banner->setPixmap(Skin::splash(devicePixelRatioF()));
    layout->addWidget(banner);
    auto *heading = new QHBoxLayout;
    auto *icon = new QLabel(this);
    icon->setPixmap(Skin::applicationIcon().pixmap(32, 32));
    heading->addWidget(icon);
    auto *name = new QLabel(QStringLiteral("Skywell %1").arg(QString::fromLatin1(kVersionText)), this);
    name->setObjectName(QStringLiteral("version"));
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    heading->addWidget(name, 1);
    layout->addLayout(heading);
    auto *text = new QTextBrowser(this);
    text->setHtml(aboutText());
    text->setOpenExternalLinks(true);
    layout->addWidget(text);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    resize(460, 520);
}

void runAboutBox(QWidget *parent)
{
    AboutBox box(parent);
    box.exec();
}

} // namespace skywell
