// Takes a picture of every window on a real X server, so anyone can look
// at them: the main window, every page of the settings sheet and the Show
// editor, the first-start wizard, the Add Show chooser, Quick Record, the
// recordings browser, the URL Finder, Pick a Show, About and the question
// that ends a manual recording. PNG files in the folder named by
// SKYWELL_SCREENSHOT_DIR.
#include "windowrig.h"

#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "mixer/mixer.h"
#include "mixer/soundplayer.h"
#include "mixer/sourcetest.h"
#include "mixer/sourcetestcapture.h"
#include "postprocess/recordingsbrowserrules.h"
#include "recording/manualrecording.h"
#include "shows/show.h"
#include "support/memorymixer.h"
#include "tuning/cataloguemodel.h"
#include "ui/aboutbox.h"
#include "ui/addshowchooser.h"
#include "ui/firstrunwizard.h"
#include "ui/pickdialog.h"
#include "ui/qtprompter.h"
#include "ui/quickrecorddialog.h"
#include "ui/recordingsbrowser.h"
#include "ui/settingssheet.h"
#include "ui/showeditor.h"
#include "ui/sourcetestdialog.h"
#include "ui/urlfinder.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QWizard>
#include <QtTest>

#include <unistd.h>

using namespace skywell;

namespace
{

QString shotFolder()
{
    const QString dir = qEnvironmentVariable("SKYWELL_SCREENSHOT_DIR", QStringLiteral("screenshots"));
    QDir().mkpath(dir);
    return dir;
}

// Saves the window as the X server shows it and checks the picture holds
// more than one colour (a window drawn at all).
void shoot(QWidget &window, const QString &name)
{
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(150);
    QPixmap pixmap = window.screen()->grabWindow(window.winId());
    if (pixmap.isNull())
        pixmap = window.grab();
    const QImage image = pixmap.toImage();
    QVERIFY(!image.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < image.height() && colours.size() < 3; y += 7) {
        for (int x = 0; x < image.width() && colours.size() < 3; x += 7)
            colours.insert(image.pixel(x, y));
    }
    QVERIFY2(colours.size() >= 3, qPrintable(name));
    QVERIFY(image.save(shotFolder() + QLatin1Char('/') + name + QStringLiteral(".png")));
}

// The source test's dialog needs a test to start; this one hears nothing.
struct SilentCapture final : SourceTestCapture {
    void start(const QString &) override {}
    void stop() override {}
    void deliverCapturedBlocks() override {}
};
struct SilentPlayer final : SoundPlayer {
    bool playToEnd(const QString &, QString *) override { return true; }
};

} // namespace

class Screenshots : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void settingsSheet();
    void firstStartWizard();
    void showEditor();
    void addShowChooser();
    void mainWindow();
    void quickRecord();
    void recordingsBrowser();
    void smallDialogs();
    void saveRecordingQuestion();
    void sourceTest();
    void urlFinder();

private:
    QTemporaryDir m_dir;
    ScriptedPrompter m_prompter;
    SettingsStore m_settingsStore{m_dir.filePath(QStringLiteral("u")), m_dir.filePath(QStringLiteral("m"))};
};

void Screenshots::settingsSheet()
{
    Settings settings = defaultSettings(QStringLiteral("/home/user/.local/share/Skywell/"));
    SettingsSheetContext context{m_settingsStore,
                                 m_prompter,
                                 AutostartEntry(m_dir.path(), m_dir.path(), QStringLiteral("/usr/bin/skywell")),
                                 SettingsSheetServices{},
                                 {}};
    context.services.captureDevices = {QStringLiteral("Built-in Audio Analog Stereo"), QStringLiteral("USB Headset")};
    SettingsSheet sheet(settings, context);
    sheet.show();
    const char *names[] = {"folders", "tuning", "connections", "soundmixer", "other"};
    for (int i = 0; i < sheet.tabs()->count(); ++i) {
        sheet.tabs()->setCurrentIndex(i);
        QCOMPARE(sheet.tabs()->currentIndex(), i);
        shoot(sheet, QStringLiteral("settings-%1-%2").arg(i + 1).arg(QString::fromLatin1(names[i])));
    }
}

void Screenshots::firstStartWizard()
{
    Settings settings = defaultSettings(QStringLiteral("/home/user/.local/share/Skywell/"));
    FirstRunContext context{m_settingsStore, m_prompter,
                            AutostartEntry(m_dir.path(), m_dir.path(), QStringLiteral("/usr/bin/skywell"))};
    FirstRunWizard wizard(settings, context);
    wizard.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wizard));
    shoot(wizard, QStringLiteral("wizard-1-folders"));
    wizard.next();
    shoot(wizard, QStringLiteral("wizard-2-start"));
    wizard.reject();
}

void Screenshots::showEditor()
{
    Settings settings = defaultSettings(m_dir.path() + QLatin1Char('/'));
    QDir().mkpath(settings.mp3Folder); // the name's test file goes there
    SystemClock clock;
    ShowEditorContext context{m_settingsStore, m_prompter, clock, settings, m_dir.path() + QLatin1Char('/')};
    context.recordingSources = [](const QString &) {
        return SourceCombo{
            {QStringLiteral("alsa_output.pci-0000_00_1f.3.analog-stereo.monitor"), QStringLiteral("Direct Download")},
            0};
    };
    Show show;
    setFieldText(show.name, QStringLiteral("Morning Jazz"));
    setFieldText(show.url, QStringLiteral("http://radio.example/jazz.mp3"));
    setFieldText(show.lastStatus, QStringLiteral("Last Recording was OK"));
    show.flags |= OPT_SILENCE_SPLIT;
    show.silenceMs = 2500;
    show.splitAtMinute[0] = 0;
    show.splitAtMinute[1] = 30;
    ShowEditor editor(show, context);
    editor.show();
    const char *names[] = {"summary", "tuning", "schedule", "output", "recording"};
    for (int i = 0; i < editor.tabs()->count(); ++i) {
        editor.tabs()->setCurrentIndex(i);
        QCOMPARE(editor.tabs()->currentIndex(), i);
        shoot(editor, QStringLiteral("editor-%1-%2").arg(i + 1).arg(QString::fromLatin1(names[i])));
    }
}

void Screenshots::addShowChooser()
{
    AddShowChooser chooser;
    chooser.show();
    shoot(chooser, QStringLiteral("addshow"));
}

void Screenshots::mainWindow()
{
    test::WindowRig rig;
    const std::int64_t now = rig.clock.now();
    rig.shows.push_back(
        rig.makeShow(QStringLiteral("Morning Jazz Hour"), now + 3600 * 20, OUT_MP3_FM | 0x1f | SHOW_REPEATING));
    rig.shows.push_back(rig.makeShow(QStringLiteral("World News Tonight"), now + 7200, OUT_MP3_FM));
    rig.shows.push_back(rig.makeShow(QStringLiteral("Classical Evening"), now + 600, OUT_MP3_FM));
    rig.scheduler.reschedule(rig.shows);
    MainWindow &window = rig.open();
    window.show();
    shoot(window, QStringLiteral("mainwindow"));
}

void Screenshots::quickRecord()
{
    SystemClock clock;
    QuickRecordDeps deps{m_settingsStore, m_prompter, clock, m_dir.path() + QLatin1Char('/'), {}, {}, {}, {}, {}, {}};
    deps.fillSources = [](const QString &) {
        return SourceCombo{{QStringLiteral("Built-in Audio Analog Stereo (monitor)")}, 0};
    };
    QuickRecordDialog dialog(deps);
    dialog.show();
    shoot(dialog, QStringLiteral("quickrecord"));
}

void Screenshots::recordingsBrowser()
{
    const QString folder = m_dir.path() + QStringLiteral("/recordings/");
    QDir().mkpath(folder);
    for (const QString &name :
         {QStringLiteral("Morning Jazz Hour Dec 7.wav"), QStringLiteral("World News Dec 8.wav")}) {
        QCOMPARE(QProcess::execute(QStringLiteral("sox"),
                                   {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("8000"), folder + name,
                                    QStringLiteral("synth"), QStringLiteral("75"), QStringLiteral("sine"),
                                    QStringLiteral("440")}),
                 0);
    }
    QFile(folder + QStringLiteral("Evening News Dec 9.mp3")).open(QIODevice::WriteOnly);
    RecordingsBrowser browser(RecordingsBrowserDeps{m_prompter, folder, m_dir.path() + QLatin1Char('/'), {}, {}, {}},
                              kAllRecordings);
    QSignalSpy listed(&browser, &RecordingsBrowser::listed);
    QVERIFY(listed.wait(20000));
    browser.show();
    shoot(browser, QStringLiteral("recordingsbrowser"));
}

void Screenshots::smallDialogs()
{
    CatalogueModel model(CatalogueMode::Show, m_dir.path() + QLatin1Char('/'));
    PickDialog pick(model, PickDialogDeps{}, QDateTime::currentSecsSinceEpoch());
    pick.show();
    shoot(pick, QStringLiteral("pickshow"));
    pick.close();

    AboutBox about;
    about.show();
    shoot(about, QStringLiteral("about"));
}

void Screenshots::saveRecordingQuestion()
{
    QTimer::singleShot(0, [] {
        QWidget *box = QApplication::activeModalWidget();
        QVERIFY(box);
        shoot(*box, QStringLiteral("saverecording"));
        box->close();
    });
    QtPrompter prompter;
    prompter.question(kSaveRecordingQuestion);
}

void Screenshots::urlFinder()
{
    // An embedded web view's sandbox refuses root; these pictures need none.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
    UrlFinder finder(UrlFinderDeps{});
    finder.show();
    shoot(finder, QStringLiteral("urlfinder"));
}

void Screenshots::sourceTest()
{
    ManualClock clock(1700000000);
    ActivityLog log(m_dir.path() + QLatin1Char('/'), clock);
    Settings settings;
    settings.soundCard = kDefaultDevice;
    MemoryMixer backend;
    Mixer mixer(backend, log, m_settingsStore, settings);
    SilentCapture capture;
    SilentPlayer player;
    RecordingSourceTest test(mixer, capture, player, m_prompter, m_settingsStore, log,
                             m_dir.path() + QStringLiteral("/zoom.wav"));
    SourceTestDialog dialog(test);
    dialog.show();
    shoot(dialog, QStringLiteral("sourcetest"));
}

QTEST_MAIN(Screenshots)
#include "screenshots.moc"
