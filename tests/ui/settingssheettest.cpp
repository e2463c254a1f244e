#include "ui/settingssheet.h"
#include "core/activitylog.h"
#include "core/autostart.h"
#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "platform/mpdlibrary.h"
#include "support/tuningstubs.h"
#include "tuning/catalogueupdate.h"
#include "tuning/connectionstate.h"
#include "tuning/desktopwindows.h"
#include "tuning/tuning.h"
#include "ui/settingssheetservices.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWizard>
#include <QtTest>

using namespace skywell;

namespace
{

// A sheet on a temporary configuration: the per-user and machine-wide
// roots, a recordings folder, and the prompts it showed.
struct SheetSetup {
    QTemporaryDir dir;
    QString user = dir.filePath(QStringLiteral("user"));
    QString machine = dir.filePath(QStringLiteral("machine"));
    ScriptedPrompter prompter;
    SettingsStore settingsStore{user, machine};
    QStringList anchors;
    SettingsSheetContext context{settingsStore, prompter,
                                 AutostartEntry(user, machine, QStringLiteral("/opt/sky well/skywell")),
                                 SettingsSheetServices{}, [this](const QString &anchor) { anchors.append(anchor); }};
    Settings settings = [this] {
        // The defaults, with folders and start at login of this test's own.
        Settings d = defaultSettings(dir.filePath(QStringLiteral("home/")));
        d.mp3Folder = d.tempFolder = dir.filePath(QStringLiteral("home/Recordings/"));
        d.startOnBoot = true;
        return d;
    }();

    QString userEntry() const { return user + QStringLiteral("/autostart/skywell.desktop"); }
    QString machineEntry() const { return machine + QStringLiteral("/autostart/skywell.desktop"); }
    QStringList errors() const
    {
        QStringList out;
        for (const auto &p : prompter.prompts())
            out.append(p.text);
        return out;
    }
};

void clickOk(QDialog &dialog)
{
    auto *box = dialog.findChild<QDialogButtonBox *>();
    QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

template <class T> T *child(QWidget &parent, const char *name)
{
    T *found = parent.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

// Runs f on the modal dialog once it is shown (for dialogs run with exec).
void whenModal(std::function<void(QWidget *)> f)
{
    QTimer::singleShot(0, [f] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        f(modal);
    });
}

} // namespace

class SettingsSheetTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tuningNumbersAreCheckedOnLeavingAndOnOk();
    void foldersGetASlashAndBadFoldersAreRefused();
    void pagesNeverShownHandBackTheirValues();
    void captureDevicesAndProxyBoxes();
    void autostartEntryFollowsTheTick();
    void unwritableAutostartChangesNothing();
    void firstStartRunsTheTwoPageWizard();
    void fileNamingFormatNeedsOneName();
    void buttonsSayWhatIsMissing();
    void dialUpAndMusicLibraryBoxesTakeEffect();
    void browsePutsThePickedFolderIntoTheBox();
};

void SettingsSheetTest::tuningNumbersAreCheckedOnLeavingAndOnOk()
{
    SheetSetup s;
    SettingsSheet sheet(s.settings, s.context);
    sheet.show();
    QCOMPARE(sheet.windowTitle(), QStringLiteral("Skywell Settings"));
    QCOMPARE(s.anchors, (QStringList{QStringLiteral("configuring"), QStringLiteral("settings_folders")}));
    sheet.tabs()->setCurrentIndex(1);
    auto *lead = child<QLineEdit>(sheet, "connectLead");
    lead->setText(QStringLiteral("121"));

    sheet.tabs()->setCurrentIndex(2); // leaving the page
    QCOMPARE(sheet.tabs()->currentIndex(), 1);
    QCOMPARE(s.prompter.prompts().last().text, QStringLiteral("Please enter an integer between 0 and 120."));
    QCOMPARE(s.prompter.prompts().last().caption, QStringLiteral("Skywell"));

    clickOk(sheet);
    QVERIFY(sheet.isVisible());
    QCOMPARE(s.prompter.count(ScriptedPrompter::Kind::Error), 2);

    lead->setText(QString());
    clickOk(sheet);
    QCOMPARE(s.prompter.prompts().last().text, QStringLiteral("Please enter an integer."));
    QVERIFY(sheet.isVisible());

    child<QLineEdit>(sheet, "retune")->setText(QStringLiteral("181"));
    lead->setText(QStringLiteral("120"));
    clickOk(sheet);
    QCOMPARE(s.prompter.prompts().last().text, QStringLiteral("Please enter an integer between 0 and 180."));

    child<QLineEdit>(sheet, "retune")->setText(QStringLiteral("180"));
    clickOk(sheet);
    QVERIFY(!sheet.isVisible());
    QCOMPARE(sheet.result(), int(QDialog::Accepted));
    Settings loaded;
    QVERIFY(loadSettings(loaded, s.settingsStore, s.dir.path()));
    QCOMPARE(loaded.connectLeadSeconds, 120);
    QCOMPARE(loaded.retuneSeconds, 180);
}

void SettingsSheetTest::foldersGetASlashAndBadFoldersAreRefused()
{
    SheetSetup s;
    SettingsSheet sheet(s.settings, s.context);
    sheet.show();
    auto *mp3 = child<QLineEdit>(sheet, "mp3Folder");
    auto *temp = child<QLineEdit>(sheet, "tempFolder");

    mp3->setText(QString());
    clickOk(sheet);
    QVERIFY(sheet.isVisible());
    QCOMPARE(s.prompter.prompts().last().text, QStringLiteral("Please enter a folder for output files."));

    // A folder below a plain file can never be created.
    QFile file(s.dir.filePath(QStringLiteral("plain")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    mp3->setText(s.dir.filePath(QStringLiteral("plain/Rec")));
    clickOk(sheet);
    QVERIFY(sheet.isVisible());
    QVERIFY(s.prompter.prompts().last().text.startsWith(QStringLiteral("The folder ")));
    QVERIFY(s.prompter.prompts().last().text.contains(QStringLiteral("cannot be used for output files")));
    QVERIFY(mp3->hasFocus() || !QApplication::focusWidget());

    mp3->setText(s.dir.filePath(QStringLiteral("Rec")));
    temp->setText(s.dir.filePath(QStringLiteral("Temp/")));
    clickOk(sheet);
    QVERIFY(!sheet.isVisible());
    QCOMPARE(sheet.savedSettings().mp3Folder, s.dir.filePath(QStringLiteral("Rec/")));
    QCOMPARE(sheet.savedSettings().tempFolder, s.dir.filePath(QStringLiteral("Temp/")));
    QVERIFY(QFileInfo(s.dir.filePath(QStringLiteral("Rec"))).isDir());
    Settings loaded;
    loadSettings(loaded, s.settingsStore, s.dir.path());
    QCOMPARE(loaded.mp3Folder, s.dir.filePath(QStringLiteral("Rec/")));
    QVERIFY(!loaded.firstTime);
}

void SettingsSheetTest::pagesNeverShownHandBackTheirValues()
{
    SheetSetup s;
    // Values no page would accept stay, because their pages are never
    // shown.
    s.settings.connectLeadSeconds = 999;
    s.settings.soundCard = QStringLiteral("Default Device");
    s.settings.fileNameFormat = QStringLiteral("odd");
    s.settings.startOnBoot = false;
    s.context.services.captureDevices = {QStringLiteral("Card A")};
    SettingsSheet sheet(s.settings, s.context);
    sheet.show();
    child<QLineEdit>(sheet, "mp3Folder")->setText(s.dir.filePath(QStringLiteral("New")));
    clickOk(sheet);
    QVERIFY(!sheet.isVisible());
    const Settings &saved = sheet.savedSettings();
    QCOMPARE(saved.connectLeadSeconds, 999);
    QCOMPARE(saved.soundCard, QStringLiteral("Default Device"));
    QCOMPARE(saved.fileNameFormat, QStringLiteral("odd"));
    QCOMPARE(saved.mp3Folder, s.dir.filePath(QStringLiteral("New/")));
    QCOMPARE(s.prompter.prompts().size(), 0);
}

void SettingsSheetTest::captureDevicesAndProxyBoxes()
{
    SheetSetup s;
    s.settings.soundCard = QStringLiteral("usb");
    s.settings.useProxy = false;
    s.settings.proxyAddress = QStringLiteral("proxy.example");
    s.context.services.captureDevices = {QStringLiteral("Default Device"), QStringLiteral("Built-in Audio"),
                                         QStringLiteral("Skywell private sink"), QStringLiteral("USB Headset")};
    SettingsSheet sheet(s.settings, s.context);
    sheet.show();
    sheet.tabs()->setCurrentIndex(2);
    auto *address = child<QLineEdit>(sheet, "proxyAddress");
    auto *port = child<QLineEdit>(sheet, "proxyPort");
    QVERIFY(!address->isEnabled());
    QVERIFY(!port->isEnabled());
    auto *proxy = sheet.tabs()->currentWidget()->findChildren<QCheckBox *>().at(1);
    QTest::mouseClick(proxy, Qt::LeftButton);
    QVERIFY(address->isEnabled());
    port->setText(QStringLiteral("70000"));
    sheet.tabs()->setCurrentIndex(3);
    QCOMPARE(s.prompter.prompts().last().text, QStringLiteral("Please enter a port between 1 and 65535."));
    port->setText(QStringLiteral("8080"));
    QTest::mouseClick(proxy, Qt::LeftButton); // unticked: boxes off, texts kept
    QVERIFY(!port->isEnabled());

    sheet.tabs()->setCurrentIndex(3);
    QCOMPARE(sheet.tabs()->currentIndex(), 3);
    auto *cards = child<QComboBox>(sheet, "soundCard");
    QCOMPARE(cards->count(), 2);
    QCOMPARE(cards->currentText(), QStringLiteral("USB Headset"));
    clickOk(sheet);
    QVERIFY(!sheet.isVisible());
    QCOMPARE(sheet.savedSettings().soundCard, QStringLiteral("USB Headset"));
    QCOMPARE(sheet.savedSettings().proxyPort, QStringLiteral("8080"));
    QCOMPARE(sheet.savedSettings().proxyAddress, QStringLiteral("proxy.example"));
    QVERIFY(!sheet.savedSettings().useProxy);

    // No capture device listed: the card chosen before stays.
    SheetSetup none;
    none.settings.soundCard = QStringLiteral("Old Card");
    SettingsSheet empty(none.settings, none.context);
    empty.show();
    empty.tabs()->setCurrentIndex(3);
    clickOk(empty);
    QCOMPARE(empty.savedSettings().soundCard, QStringLiteral("Old Card"));
}

void SettingsSheetTest::autostartEntryFollowsTheTick()
{
    SheetSetup s;
    QDir().mkpath(s.machine + QStringLiteral("/autostart"));
    QFile machine(s.machineEntry());
    QVERIFY(machine.open(QIODevice::WriteOnly));
    machine.close();

    {
        SettingsSheet sheet(s.settings, s.context);
        sheet.show();
        sheet.tabs()->setCurrentIndex(4);
        QVERIFY(child<QCheckBox>(sheet, "startOnBoot")->isChecked());
        clickOk(sheet);
        QVERIFY(!sheet.isVisible());
    }
    QFile entry(s.userEntry());
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(entry.readAll());
    QVERIFY2(text.contains(QStringLiteral("\nExec=\"/opt/sky well/skywell\" -quiet\n")), qPrintable(text));
    QVERIFY(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
    QVERIFY(!QFile::exists(s.machineEntry()));

    QVERIFY(machine.open(QIODevice::WriteOnly));
    machine.close();
    SettingsSheet sheet(s.settings, s.context);
    sheet.show();
    sheet.tabs()->setCurrentIndex(4);
    QTest::mouseClick(child<QCheckBox>(sheet, "startOnBoot"), Qt::LeftButton);
    clickOk(sheet);
    QVERIFY(!sheet.isVisible());
    QVERIFY(!QFile::exists(s.userEntry()));
    QVERIFY(!QFile::exists(s.machineEntry()));
    QVERIFY(!sheet.savedSettings().startOnBoot);
}

void SettingsSheetTest::unwritableAutostartChangesNothing()
{
    SheetSetup s;
    // "autostart" is a file: no entry can be written below it.
    QDir().mkpath(s.user);
    QFile blocker(s.user + QStringLiteral("/autostart"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsSheet sheet(s.settings, s.context);
    sheet.show();
    sheet.tabs()->setCurrentIndex(1);
    child<QLineEdit>(sheet, "connectLead")->setText(QStringLiteral("45"));
    clickOk(sheet);
    QVERIFY(sheet.isVisible());
    QCOMPARE(s.prompter.count(ScriptedPrompter::Kind::Error), 1);
    QVERIFY(s.prompter.prompts().last().text.startsWith(QStringLiteral("Settings Error: settings cannot be saved to ") +
                                                        s.userEntry() + QStringLiteral(": ")));
    Settings loaded;
    QVERIFY(!loadSettings(loaded, s.settingsStore, s.dir.path())); // still a first start
    QCOMPARE(loaded.connectLeadSeconds, 30);
}

void SettingsSheetTest::firstStartRunsTheTwoPageWizard()
{
    SheetSetup s;
    s.settings.mp3Folder = s.dir.filePath(QStringLiteral("FirstRec"));
    QStringList titles;
    whenModal([&titles](QWidget *modal) {
        auto *wizard = qobject_cast<QWizard *>(modal);
        QVERIFY(wizard);
        titles.append(wizard->windowTitle());
        titles.append(wizard->currentPage()->title());
        QVERIFY(!wizard->button(QWizard::BackButton)->isVisible() || !wizard->button(QWizard::BackButton)->isEnabled());
        QCOMPARE(wizard->buttonText(QWizard::NextButton), QStringLiteral("Next"));
        QTest::mouseClick(wizard->button(QWizard::NextButton), Qt::LeftButton);
        titles.append(wizard->currentPage()->title());
        QVERIFY(wizard->currentPage()->findChild<QLineEdit *>(QStringLiteral("proxyAddress")));
        QCOMPARE(wizard->buttonText(QWizard::FinishButton), QStringLiteral("Finish"));
        QTest::mouseClick(wizard->button(QWizard::FinishButton), Qt::LeftButton);
    });
    Settings settings = s.settings;
    QVERIFY(runSettingsSheet(nullptr, settings, true, s.context));
    QCOMPARE(titles, (QStringList{QStringLiteral("Skywell Settings"), QStringLiteral("Folders"),
                                  QStringLiteral("Connections")}));
    QCOMPARE(settings.mp3Folder, s.dir.filePath(QStringLiteral("FirstRec/")));
    Settings loaded;
    QVERIFY(loadSettings(loaded, s.settingsStore, s.dir.path())); // "First Time" = 0
    QCOMPARE(loaded.mp3Folder, settings.mp3Folder);
    QVERIFY(QFile::exists(s.userEntry())); // startOnBoot is 1 here

    // Cancel: nothing stored, the first start comes back.
    SheetSetup cancelled;
    whenModal([](QWidget *modal) { qobject_cast<QWizard *>(modal)->reject(); });
    Settings untouched = cancelled.settings;
    QVERIFY(!runSettingsSheet(nullptr, untouched, true, cancelled.context));
    QVERIFY(!loadSettings(loaded, cancelled.settingsStore, cancelled.dir.path()));
    QVERIFY(!QFile::exists(cancelled.userEntry()));
}

void SettingsSheetTest::fileNamingFormatNeedsOneName()
{
    SheetSetup s;
    SettingsSheet sheet(s.settings, s.context);
    sheet.show();
    sheet.tabs()->setCurrentIndex(4);
    auto *format = child<QLineEdit>(sheet, "fileNameFormat");
    for (const char *bad : {"%%s %Q", "%%s %%s", "%%s %n", "%%s 100%", "%%s %%d"}) {
        format->setText(QString::fromLatin1(bad));
        clickOk(sheet);
        QVERIFY2(sheet.isVisible(), bad);
    }
    QCOMPARE(s.prompter.count(ScriptedPrompter::Kind::Error), 5);
    // A pattern without the name is the date alone.
    format->setText(QStringLiteral("%Y-%m-%d %H.%M"));
    clickOk(sheet);
    QVERIFY(!sheet.isVisible());
    QCOMPARE(sheet.savedSettings().fileNameFormat, QStringLiteral("%Y-%m-%d %H.%M"));
}

// The dial-up commands and the music library's server typed into the sheet
// are what the tuning runs and the library connects to (the real mpd that
// test.sh starts).
void SettingsSheetTest::dialUpAndMusicLibraryBoxesTakeEffect()
{
    const QString mpdHost = qEnvironmentVariable("SKYWELL_TEST_MPD_HOST");
    const int mpdPort = qEnvironmentVariableIntValue("SKYWELL_TEST_MPD_PORT");
    QVERIFY2(!mpdHost.isEmpty() && mpdPort != 0,
             "SKYWELL_TEST_MPD_HOST/PORT are not set: run the tests through ./test.sh, which starts mpd");
    SheetSetup s;
    const QString script = s.dir.filePath(QStringLiteral("my poff"));
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\ntouch \"$1\"\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString hungUp = s.dir.filePath(QStringLiteral("hung-up"));

    SettingsSheet sheet(s.settings, s.context);
    sheet.show();
    sheet.tabs()->setCurrentIndex(2);
    // Dial-up is asked about once there is a command that dials.
    auto *dial = child<QLineEdit>(sheet, "dialCommand");
    QVERIFY(child<QWidget>(sheet, "dialupSettings")->isHidden());
    dial->setText(QStringLiteral("pon"));
    QVERIFY(!child<QWidget>(sheet, "dialupSettings")->isHidden());
    child<QCheckBox>(sheet, "useDialup")->setChecked(true);
    const QList<QPair<QString, QString>> refused = {
        {QString(), kNoDialCommandText},
        {QStringLiteral("/nonexistent/pon"),
         kCommandNotFoundText.arg(QStringLiteral("/nonexistent/pon"), QStringLiteral("/nonexistent/pon"))}};
    for (const auto &[command, message] : refused) {
        dial->setText(command);
        clickOk(sheet);
        QVERIFY(sheet.isVisible());
        QCOMPARE(s.prompter.prompts().last().text, message);
    }
    dial->setText(QStringLiteral("true"));
    child<QLineEdit>(sheet, "hangUpCommand")->setText(QStringLiteral("'%1' \"%2\"").arg(script, hungUp));

    sheet.tabs()->setCurrentIndex(4);
    auto *host = child<QLineEdit>(sheet, "libraryHost");
    auto *catalogue = child<QLineEdit>(sheet, "catalogueAddress");
    for (const auto &[box, text, message] : {std::tuple{host, QStringLiteral("http://") + mpdHost, kLibraryHostText},
                                             std::tuple{catalogue, QStringLiteral("lists.example.org"),
                                                        kServerAddressText.arg(QStringLiteral("catalogue server"))}}) {
        box->setText(text);
        clickOk(sheet);
        QVERIFY(sheet.isVisible());
        QCOMPARE(s.prompter.prompts().last().text, message);
        box->clear();
    }
    host->setText(mpdHost);
    catalogue->setText(QStringLiteral("http://127.0.0.1:9"));
    auto *port = child<QLineEdit>(sheet, "libraryPort");
    port->setText(QStringLiteral("0"));
    clickOk(sheet);
    QVERIFY(sheet.isVisible());
    QCOMPARE(s.prompter.prompts().last().text, kProxyPortText);
    port->setText(QString::number(mpdPort));
    clickOk(sheet);
    QVERIFY(!sheet.isVisible());

    const Settings saved = sheet.savedSettings();
    QVERIFY(saved.useDialup);
    ManualClock clock{1700000000};
    ActivityLog log(s.dir.filePath(QStringLiteral("home/")), clock);
    test::AlwaysOnline online;
    test::NoDesktopWindows windows;
    Tuning tuning(s.settingsStore, log, s.prompter, saved, online, windows, QStringLiteral("/nonexistent/tuner"));
    tuning.hangUp();
    QVERIFY(QFile::exists(hungUp));
    MpdLibrary library(s.settingsStore, log);
    QVERIFY(library.isMusicLibraryInstalled());
    QCOMPARE(s.settingsStore.readString(kCatalogueAddressSetting, SettingsGroup::Options),
             QStringLiteral("http://127.0.0.1:9"));
}

void SettingsSheetTest::buttonsSayWhatIsMissing()
{
    SheetSetup s;
    QTemporaryDir emptyPath;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", emptyPath.path().toUtf8()); // no sound mixer program
    s.context.services = desktopSheetServices(s.prompter, {QStringLiteral("Card")}, {}, {}, QString());
    SettingsSheet sheet(s.settings, s.context);
    sheet.show();
    sheet.tabs()->setCurrentIndex(3);
    QTest::mouseClick(child<QPushButton>(sheet, "soundMixer"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(sheet, "testSources"), Qt::LeftButton);
    sheet.tabs()->setCurrentIndex(4);
    for (auto *button : sheet.tabs()->currentWidget()->findChildren<QPushButton *>())
        QTest::mouseClick(button, Qt::LeftButton); // "What's This?", "Setup CD Burner"
    qputenv("PATH", path);
    QStringList texts;
    for (const auto &p : s.prompter.prompts())
        texts.append(p.text);
    QCOMPARE(texts, (QStringList{kNoSoundMixerText, kNotStartedText, kNoSiteAddressText, kNotStartedText}));
}

void SettingsSheetTest::browsePutsThePickedFolderIntoTheBox()
{
    SheetSetup s;
    const QString start = s.dir.filePath(QStringLiteral("start"));
    const QString picked = s.dir.filePath(QStringLiteral("picked"));
    QDir().mkpath(start);
    QDir().mkpath(picked);
    s.settings.mp3Folder = start + QLatin1Char('/');
    SettingsSheet sheet(s.settings, s.context);
    sheet.show();
    QString title, opened;
    whenModal([&](QWidget *modal) {
        auto *picker = qobject_cast<QFileDialog *>(modal);
        QVERIFY(picker);
        title = picker->windowTitle();
        opened = picker->directory().absolutePath();
        picker->selectFile(picked);
        QMetaObject::invokeMethod(picker, "accept");
    });
    QTest::mouseClick(child<QPushButton>(sheet, "mp3FolderBrowse"), Qt::LeftButton);
    QCOMPARE(title, QStringLiteral("Select A Folder"));
    QCOMPARE(opened, start);
    QCOMPARE(child<QLineEdit>(sheet, "mp3Folder")->text(), picked);

    whenModal([](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); });
    QTest::mouseClick(child<QPushButton>(sheet, "mp3FolderBrowse"), Qt::LeftButton);
    QCOMPARE(child<QLineEdit>(sheet, "mp3Folder")->text(), picked); // Cancel leaves it
}

QTEST_MAIN(SettingsSheetTest)
#include "settingssheettest.moc"
