// Takes a picture of every page of the settings sheet, the first-start
// wizard, the Show editor and the Add Show chooser on a real X server, so
// anyone can look at them: PNG files in the folder named by
// SKYWELL_SCREENSHOT_DIR.
#include "core/clock.h"
#include "core/registry.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "shows/show.h"
#include "ui/addshowchooser.h"
#include "ui/settingssheet.h"
#include "ui/showeditor.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QWizard>
#include <QtTest>

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

} // namespace

class Screenshots : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void settingsSheet();
    void firstStartWizard();
    void showEditor();
    void addShowChooser();

private:
    QTemporaryDir m_dir;
    ScriptedPrompter m_prompter;
    Registry m_registry{m_dir.filePath(QStringLiteral("u")), m_dir.filePath(QStringLiteral("m"))};
};

void Screenshots::settingsSheet()
{
    Settings settings = defaultSettings(QStringLiteral("/home/user/.local/share/Skywell/"));
    SettingsSheetContext context{m_registry,
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
    SettingsSheetContext context{m_registry,
                                 m_prompter,
                                 AutostartEntry(m_dir.path(), m_dir.path(), QStringLiteral("/usr/bin/skywell")),
                                 SettingsSheetServices{},
                                 {}};
    QTimer::singleShot(0, [] {
        auto *wizard = qobject_cast<QWizard *>(QApplication::activeModalWidget());
        QVERIFY(wizard);
        shoot(*wizard, QStringLiteral("wizard-1-folders"));
        wizard->next();
        shoot(*wizard, QStringLiteral("wizard-2-connections"));
        wizard->reject();
    });
    runSettingsSheet(nullptr, settings, true, context);
}

void Screenshots::showEditor()
{
    Settings settings = defaultSettings(m_dir.path() + QLatin1Char('/'));
    QDir().mkpath(settings.mp3Folder); // the name's test file goes there
    SystemClock clock;
    ShowEditorContext context{m_registry, m_prompter, clock, settings, m_dir.path() + QLatin1Char('/')};
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

QTEST_MAIN(Screenshots)
#include "screenshots.moc"
