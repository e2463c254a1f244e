#include "ui/settingspages.h"

#include "core/settingssheetrules.h"
#include "ui/folderpicker.h"
#include "ui/numberedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace skywell
{

namespace
{

QLabel *wrappedLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

// A folder box with its caption above and "Browse" beside it.
QLineEdit *addFolderRow(QVBoxLayout *layout, const QString &caption, const QString &name, QWidget *page)
{
    auto *label = new QLabel(caption, page);
    auto *box = new QLineEdit(page);
    box->setObjectName(name);
    label->setBuddy(box);
    auto *browse = new QPushButton(QStringLiteral("Browse"), page);
    browse->setObjectName(name + QStringLiteral("Browse"));
    auto *row = new QHBoxLayout;
    row->addWidget(box, 1);
    row->addWidget(browse);
    layout->addWidget(label);
    layout->addLayout(row);
    QObject::connect(browse, &QPushButton::clicked, page, [page, box] { browseForFolder(page, box); });
    return box;
}

// A number box between two texts on one line.
NumberEdit *addNumberRow(QVBoxLayout *layout, const QString &before, const QString &after, const QString &name,
                         QWidget *page)
{
    auto *row = new QHBoxLayout;
    auto *label = new QLabel(before, page);
    auto *box = new NumberEdit(page);
    box->setObjectName(name);
    label->setBuddy(box);
    row->addWidget(label);
    row->addWidget(box);
    row->addWidget(new QLabel(after, page));
    row->addStretch(1);
    layout->addLayout(row);
    return box;
}

bool focusOn(QWidget *box)
{
    box->setFocus(Qt::OtherFocusReason);
    if (auto *edit = qobject_cast<QLineEdit *>(box))
        edit->selectAll();
    return true;
}

} // namespace

FoldersPage::FoldersPage(QWidget *parent) : SettingsPage(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        wrappedLabel(QStringLiteral("On this screen, tell Skywell where you want certain files to be saved."), this));
    m_mp3Folder = addFolderRow(layout, QStringLiteral("Save MP3 or WAV output files to this folder:"),
                               QStringLiteral("mp3Folder"), this);
    m_tempFolder = addFolderRow(layout, QStringLiteral("Temporary files folder (recommend 2 GB available)"),
                                QStringLiteral("tempFolder"), this);
    layout->addStretch(1);
}

void FoldersPage::fill(const Settings &settings)
{
    m_mp3Folder->setText(settings.mp3Folder);
    m_tempFolder->setText(settings.tempFolder);
}

void FoldersPage::read(Settings &settings) const
{
    settings.mp3Folder = m_mp3Folder->text().trimmed();
    settings.tempFolder = m_tempFolder->text().trimmed();
}

std::optional<QString> FoldersPage::problem()
{
    if (auto problem = folderProblem(m_mp3Folder->text().trimmed(), QStringLiteral("output files"))) {
        focusOn(m_mp3Folder);
        return problem;
    }
    if (auto problem = folderProblem(m_tempFolder->text().trimmed(), QStringLiteral("temporary files"))) {
        focusOn(m_tempFolder);
        return problem;
    }
    return std::nullopt;
}

TuningPage::TuningPage(QWidget *parent) : SettingsPage(parent)
{
    auto *layout = new QVBoxLayout(this);
    m_connectLead = addNumberRow(layout, QStringLiteral("Start connecting "),
                                 QStringLiteral("seconds before record time."), QStringLiteral("connectLead"), this);
    m_retune = addNumberRow(layout, QStringLiteral("Automatically retune after "),
                            QStringLiteral("seconds of silence."), QStringLiteral("retune"), this);
    m_tuner = new QRadioButton(QStringLiteral("Tune with Skywell Tuner "), this);
    m_browser = new QRadioButton(QStringLiteral("Tune by Opening Browser "), this);
    layout->addWidget(m_tuner);
    layout->addWidget(m_browser);
    // What Shows whose "Tune With" is "a command" run.
    auto *label = new QLabel(QStringLiteral("Player command (for Shows that tune with a command; the address "
                                            "goes where %u stands, else at the end):"),
                             this);
    label->setWordWrap(true);
    m_playerCommand = new QLineEdit(this);
    m_playerCommand->setObjectName(QStringLiteral("playerCommand"));
    m_playerCommand->setPlaceholderText(QStringLiteral("mpv --no-video"));
    label->setBuddy(m_playerCommand);
    layout->addWidget(label);
    layout->addWidget(m_playerCommand);
    layout->addStretch(1);
}

void TuningPage::fillExtras(const SheetExtras &extras)
{
    m_playerCommand->setText(extras.playerCommand);
}

void TuningPage::readExtras(SheetExtras &extras) const
{
    extras.playerCommand = m_playerCommand->text().trimmed();
}

void TuningPage::fill(const Settings &settings)
{
    m_connectLead->setNumber(settings.connectLeadSeconds);
    m_retune->setNumber(settings.retuneSeconds);
    (settings.tuneInBrowser ? m_browser : m_tuner)->setChecked(true);
}

void TuningPage::read(Settings &settings) const
{
    settings.connectLeadSeconds = m_connectLead->text().toInt();
    settings.retuneSeconds = m_retune->text().toInt();
    settings.tuneInBrowser = m_browser->isChecked();
}

std::optional<QString> TuningPage::problem()
{
    if (auto problem = integerProblem(m_connectLead->text(), 0, kMaxConnectLeadSeconds)) {
        focusOn(m_connectLead);
        return problem;
    }
    if (auto problem = integerProblem(m_retune->text(), 0, kMaxRetuneSeconds)) {
        focusOn(m_retune);
        return problem;
    }
    if (auto problem = commandProblem(m_playerCommand->text(), false)) {
        focusOn(m_playerCommand);
        return problem;
    }
    return std::nullopt;
}

ConnectionsPage::ConnectionsPage(QWidget *parent) : SettingsPage(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(wrappedLabel(QStringLiteral("Set up your Internet connections on this screen. "), this));
    // Dial-up: only the command that dials (run without a shell, e.g.
    // "pon") is asked for; the rest appears once there is one.
    auto *dialForm = new QFormLayout;
    m_dialCommand = new QLineEdit(this);
    m_dialCommand->setObjectName(QStringLiteral("dialCommand"));
    m_dialCommand->setPlaceholderText(QStringLiteral("only for dial-up, e.g. pon"));
    dialForm->addRow(QStringLiteral("Dial command:"), m_dialCommand);
    layout->addLayout(dialForm);
    m_dialupBox = new QWidget(this);
    m_dialupBox->setObjectName(QStringLiteral("dialupSettings"));
    auto *dialLayout = new QVBoxLayout(m_dialupBox);
    dialLayout->setContentsMargins(0, 0, 0, 0);
    m_dialup = new QCheckBox(QStringLiteral("Connect via default Dial-up connection"), m_dialupBox);
    m_dialup->setObjectName(QStringLiteral("useDialup"));
    dialLayout->addWidget(m_dialup);
    dialLayout->addWidget(wrappedLabel(
        QStringLiteral("(Leave this unchecked if you connect via a LAN, DSL or Cable Modem.)"), m_dialupBox));
    auto *hangUpForm = new QFormLayout;
    m_hangUpCommand = new QLineEdit(m_dialupBox);
    m_hangUpCommand->setObjectName(QStringLiteral("hangUpCommand"));
    m_hangUpCommand->setPlaceholderText(QStringLiteral("poff"));
    hangUpForm->addRow(QStringLiteral("Hang-up command:"), m_hangUpCommand);
    dialLayout->addLayout(hangUpForm);
    // Dial-up is started by the tuning step when it is needed; the button
    // has nothing of its own to do.
    auto *testDialup = new QPushButton(QStringLiteral("Test Dial-up Connection"), m_dialupBox);
    auto *dialRow = new QHBoxLayout;
    dialRow->addWidget(testDialup);
    dialRow->addStretch(1);
    dialLayout->addLayout(dialRow);
    layout->addWidget(m_dialupBox);
    m_proxy = new QCheckBox(QStringLiteral("Internet Connections use a Proxy Server. "), this);
    layout->addWidget(m_proxy);
    layout->addWidget(wrappedLabel(QStringLiteral("If you're not sure, leave this item UNCHECKED."), this));
    auto *form = new QFormLayout;
    m_proxyAddress = new QLineEdit(this);
    m_proxyAddress->setObjectName(QStringLiteral("proxyAddress"));
    m_proxyPort = new QLineEdit(this);
    m_proxyPort->setObjectName(QStringLiteral("proxyPort"));
    form->addRow(QStringLiteral("Proxy Address:"), m_proxyAddress);
    form->addRow(QStringLiteral("Port:"), m_proxyPort);
    layout->addLayout(form);
    layout->addStretch(1);
    connect(m_proxy, &QCheckBox::toggled, this, &ConnectionsPage::enableProxyBoxes);
    connect(m_dialup, &QCheckBox::toggled, this, &ConnectionsPage::enableDialupBoxes);
    connect(m_dialCommand, &QLineEdit::textChanged, this, &ConnectionsPage::enableDialupBoxes);
}

void ConnectionsPage::enableDialupBoxes()
{
    m_dialupBox->setVisible(dialupShown(m_dialup->isChecked(), m_dialCommand->text()));
    m_hangUpCommand->setEnabled(m_dialup->isChecked());
}

void ConnectionsPage::fillExtras(const SheetExtras &extras)
{
    m_dialCommand->setText(extras.dialCommand);
    m_hangUpCommand->setText(extras.hangUpCommand);
    enableDialupBoxes();
}

void ConnectionsPage::readExtras(SheetExtras &extras) const
{
    extras.dialCommand = m_dialCommand->text().trimmed();
    extras.hangUpCommand = m_hangUpCommand->text().trimmed();
}

void ConnectionsPage::enableProxyBoxes()
{
    m_proxyAddress->setEnabled(m_proxy->isChecked());
    m_proxyPort->setEnabled(m_proxy->isChecked());
}

void ConnectionsPage::fill(const Settings &settings)
{
    m_dialup->setChecked(settings.useDialup);
    m_proxy->setChecked(settings.useProxy);
    m_proxyAddress->setText(settings.proxyAddress);
    m_proxyPort->setText(settings.proxyPort);
    enableProxyBoxes();
    enableDialupBoxes();
}

void ConnectionsPage::read(Settings &settings) const
{
    settings.useDialup = m_dialup->isChecked();
    settings.useProxy = m_proxy->isChecked();
    settings.proxyAddress = m_proxyAddress->text().trimmed();
    settings.proxyPort = m_proxyPort->text().trimmed();
}

std::optional<QString> ConnectionsPage::problem()
{
    // Unused dial-up and proxy boxes keep whatever they hold.
    if (m_dialup->isChecked()) {
        if (auto problem = commandProblem(m_dialCommand->text(), true)) {
            focusOn(m_dialCommand);
            return problem;
        }
        if (auto problem = commandProblem(m_hangUpCommand->text(), false)) {
            focusOn(m_hangUpCommand);
            return problem;
        }
    }
    if (!m_proxy->isChecked())
        return std::nullopt;
    if (auto problem = proxyPortProblem(m_proxyPort->text())) {
        focusOn(m_proxyPort);
        return problem;
    }
    return std::nullopt;
}

SoundMixerPage::SoundMixerPage(const SettingsSheetServices &services, QWidget *parent)
    : SettingsPage(parent), m_services(services)
{
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Sound device to record from:"), this);
    m_devices = new QComboBox(this);
    m_devices->setObjectName(QStringLiteral("soundCard"));
    label->setBuddy(m_devices);
    layout->addWidget(label);
    layout->addWidget(m_devices);
    m_optimize = new QCheckBox(QStringLiteral("Optimize Mixer Volume for Recording"), this);
    layout->addWidget(m_optimize);
    auto *mixer = new QPushButton(QStringLiteral("Open Sound Settings"), this);
    mixer->setObjectName(QStringLiteral("soundMixer"));
    auto *test = new QPushButton(QStringLiteral("Test Recording Sources"), this);
    test->setObjectName(QStringLiteral("testSources"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(mixer);
    buttons->addWidget(test);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(1);
    connect(mixer, &QPushButton::clicked, this, [this] {
        if (m_services.startSoundMixer)
            m_services.startSoundMixer();
    });
    connect(test, &QPushButton::clicked, this, [this] {
        if (m_services.testSources)
            m_services.testSources(m_devices->currentText());
    });
}

void SoundMixerPage::fill(const Settings &settings)
{
    m_soundCard = settings.soundCard;
    m_optimize->setChecked(settings.optimizeVolume);
}

void SoundMixerPage::firstShown()
{
    const CaptureDeviceList list = captureDeviceList(m_services.captureDevices, m_soundCard);
    m_devices->clear();
    m_devices->addItems(list.items);
    m_devices->setCurrentIndex(list.selected);
}

void SoundMixerPage::read(Settings &settings) const
{
    settings.soundCard = m_devices->currentText();
    settings.optimizeVolume = m_optimize->isChecked();
}

OtherPage::OtherPage(const SettingsSheetServices &services, QWidget *parent) : SettingsPage(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("File naming format:"), this);
    m_format = new QLineEdit(this);
    m_format->setObjectName(QStringLiteral("fileNameFormat"));
    label->setBuddy(m_format);
    auto *whatsThis = new QPushButton(QStringLiteral("What's This?"), this);
    auto *row = new QHBoxLayout;
    row->addWidget(m_format, 1);
    row->addWidget(whatsThis);
    layout->addWidget(label);
    layout->addLayout(row);
    m_startOnBoot = new QCheckBox(QStringLiteral("Start Skywell when I log in"), this);
    m_startOnBoot->setObjectName(QStringLiteral("startOnBoot"));
    layout->addWidget(m_startOnBoot, 0, Qt::AlignLeft);
    auto *burner = new QPushButton(QStringLiteral("Setup CD Burner"), this);
    auto *burnerRow = new QHBoxLayout;
    burnerRow->addWidget(burner);
    burnerRow->addStretch(1);
    layout->addLayout(burnerRow);
    // The music library recordings are added to: a Music Player Daemon.
    layout->addWidget(wrappedLabel(QStringLiteral("Music library (Music Player Daemon; leave the server empty "
                                                  "if you have none):"),
                                   this));
    auto *library = new QFormLayout;
    QFormLayout *form = library;
    const auto libraryBox = [this, &form](const QString &label, const QString &name, const QString &hint) {
        auto *box = new QLineEdit(this);
        box->setObjectName(name);
        box->setPlaceholderText(hint);
        form->addRow(label, box);
        return box;
    };
    m_libraryHost = libraryBox(QStringLiteral("Server:"), QStringLiteral("libraryHost"), QStringLiteral("localhost"));
    m_libraryPort = libraryBox(QStringLiteral("Port:"), QStringLiteral("libraryPort"),
                               QString::number(MusicLibrarySettingNames::defaultPort));
    m_libraryPassword = libraryBox(QStringLiteral("Password:"), QStringLiteral("libraryPassword"), QString());
    m_libraryPassword->setEchoMode(QLineEdit::Password);
    m_libraryFolder = libraryBox(QStringLiteral("Music folder:"), QStringLiteral("libraryFolder"),
                                 QStringLiteral("the music folder of your home"));
    m_librarySubfolder = libraryBox(QStringLiteral("Recordings go to its folder:"), QStringLiteral("librarySubfolder"),
                                    MusicLibrarySettingNames::defaultSubfolder);
    layout->addLayout(library);
    // Where Add Show's lists of shows and stations come from.
    layout->addWidget(wrappedLabel(QStringLiteral("Show and station lists:"), this));
    form = new QFormLayout;
    m_catalogueAddress = libraryBox(QStringLiteral("Catalogue server:"), QStringLiteral("catalogueAddress"),
                                    QStringLiteral("none: the catalogue is not updated"));
    m_directoryAddress = libraryBox(QStringLiteral("Station directory server:"), QStringLiteral("directoryAddress"),
                                    QStringLiteral("the public radio-browser.info servers"));
    layout->addLayout(form);
    layout->addStretch(1);
    connect(whatsThis, &QPushButton::clicked, this, [&services] {
        if (services.openFileNamesHelp)
            services.openFileNamesHelp();
    });
    connect(burner, &QPushButton::clicked, this, [&services] {
        if (services.setupCdBurner)
            services.setupCdBurner();
    });
}

void OtherPage::fill(const Settings &settings)
{
    m_format->setText(settings.fileNameFormat);
    m_startOnBoot->setChecked(settings.startOnBoot);
}

void OtherPage::read(Settings &settings) const
{
    settings.fileNameFormat = m_format->text();
    settings.startOnBoot = m_startOnBoot->isChecked();
}

void OtherPage::fillExtras(const SheetExtras &extras)
{
    m_libraryHost->setText(extras.libraryHost);
    m_libraryPort->setText(extras.libraryPort);
    m_libraryPassword->setText(extras.libraryPassword);
    m_libraryFolder->setText(extras.libraryFolder);
    m_librarySubfolder->setText(extras.librarySubfolder);
    m_catalogueAddress->setText(extras.catalogueAddress);
    m_directoryAddress->setText(extras.directoryAddress);
}

void OtherPage::readExtras(SheetExtras &extras) const
{
    extras.libraryHost = m_libraryHost->text().trimmed();
    extras.libraryPort = m_libraryPort->text().trimmed();
    extras.libraryPassword = m_libraryPassword->text();
    extras.libraryFolder = m_libraryFolder->text().trimmed();
    extras.librarySubfolder = m_librarySubfolder->text().trimmed();
    extras.catalogueAddress = m_catalogueAddress->text().trimmed();
    extras.directoryAddress = m_directoryAddress->text().trimmed();
}

std::optional<QString> OtherPage::problem()
{
    if (auto problem = fileNameFormatProblem(m_format->text())) {
        focusOn(m_format);
        return problem;
    }
    if (auto problem = libraryHostProblem(m_libraryHost->text())) {
        focusOn(m_libraryHost);
        return problem;
    }
    if (auto problem = libraryPortProblem(m_libraryPort->text())) {
        focusOn(m_libraryPort);
        return problem;
    }
    if (auto problem = libraryFolderProblem(m_libraryFolder->text())) {
        focusOn(m_libraryFolder);
        return problem;
    }
    if (auto problem = serverAddressProblem(m_catalogueAddress->text(), QStringLiteral("catalogue server"))) {
        focusOn(m_catalogueAddress);
        return problem;
    }
    if (auto problem = serverAddressProblem(m_directoryAddress->text(), QStringLiteral("station directory server"))) {
        focusOn(m_directoryAddress);
        return problem;
    }
    return std::nullopt;
}

} // namespace skywell
