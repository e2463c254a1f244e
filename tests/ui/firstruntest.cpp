// What a new user meets first: the first-start wizard, whose choices land
// in the saved settings, and the user guide that every Help opens at the
// window's own section in the desktop's browser.
#include "core/firstrunsetup.h"
#include "core/scriptedprompter.h"
#include "core/settingsstore.h"
#include "core/userguide.h"
#include "ui/firstrunwizard.h"
#include "ui/userguideopener.h"
#include "windowrig.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace skywell;

namespace
{

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void writeScript(const QString &path, const QByteArray &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

// Every anchor the windows' sources hand to the help: the page tables
// (kPageAnchors) and literal setHelpAnchor calls.
QSet<QString> anchorsInSources()
{
    QSet<QString> anchors;
    const QRegularExpression table(QStringLiteral("k\\w*PageAnchors\\[\\]\\s*=\\s*\\{([^}]*)\\}"));
    const QRegularExpression literal(QStringLiteral("setHelpAnchor\\(QStringLiteral\\(\"([a-z_]+)\"\\)\\)"));
    const QRegularExpression quoted(QStringLiteral("\"([a-z_]+)\""));
    for (const char *folder : {"/src/ui", "/src/app"}) {
        QDirIterator files(QStringLiteral(SKYWELL_SOURCE_DIR) + QLatin1String(folder), {QStringLiteral("*.cpp")});
        while (files.hasNext()) {
            const QString text = readText(files.next());
            for (auto m = table.globalMatch(text); m.hasNext();) {
                for (auto q = quoted.globalMatch(m.next().captured(1)); q.hasNext();)
                    anchors.insert(q.next().captured(1));
            }
            for (auto m = literal.globalMatch(text); m.hasNext();)
                anchors.insert(m.next().captured(1));
        }
    }
    return anchors;
}

} // namespace

class FirstRunTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void wizardChoicesLandInTheSettings();
    void guideHasASectionForEveryAnchor();
    void helpOpensTheSectionOrSaysWhereTheGuideIs();
    void windowHelpAndTheAddShowHint();
};

void FirstRunTest::wizardChoicesLandInTheSettings()
{
    QTemporaryDir dir;
    const QString user = dir.filePath(QStringLiteral("user"));
    ScriptedPrompter prompter;
    SettingsStore settingsStore(user, dir.filePath(QStringLiteral("machine")));
    FirstRunContext context{
        settingsStore, prompter,
        AutostartEntry(user, dir.filePath(QStringLiteral("machine")), QStringLiteral("/usr/bin/skywell"))};
    Settings settings;
    settings.mp3Folder = dir.filePath(QStringLiteral("Music/Skywell/"));
    settings.tempFolder = dir.filePath(QStringLiteral("cache/skywell/"));
    settings.firstTime = false;

    FirstRunWizard wizard(settings, context);
    wizard.show();
    QCOMPARE(wizard.windowTitle(), QStringLiteral("Skywell Setup"));
    QCOMPARE(wizard.recordingsBox()->text(), settings.mp3Folder);
    QVERIFY2(!wizard.startAtLoginBox()->isChecked(), "starting at login is off until ticked");
    QVERIFY(wizard.sourceTestBox()->isChecked());
    const QString shots = QCoreApplication::applicationDirPath() + QStringLiteral("/dialog-screenshots/");
    QDir().mkpath(shots);
    QVERIFY(wizard.grab().save(shots + QStringLiteral("first-start-folders.png")));

    // One folder for both is refused, and the wizard stays on its page.
    wizard.tempBox()->setText(wizard.recordingsBox()->text());
    wizard.button(QWizard::NextButton)->click();
    QCOMPARE(prompter.count(ScriptedPrompter::Kind::Error), 1);
    QCOMPARE(prompter.prompts().last().text, kSameFolderText);
    QCOMPARE(wizard.currentId(), wizard.startId());

    const QString temp = dir.filePath(QStringLiteral("tmp"));
    wizard.tempBox()->setText(temp);
    wizard.button(QWizard::NextButton)->click();
    QVERIFY(wizard.currentId() != wizard.startId());
    QVERIFY(QDir(settings.mp3Folder).exists());
    QVERIFY(wizard.grab().save(shots + QStringLiteral("first-start-options.png")));
    wizard.startAtLoginBox()->setChecked(true);
    wizard.sourceTestBox()->setChecked(false);
    wizard.button(QWizard::FinishButton)->click();
    QCOMPARE(wizard.result(), int(QDialog::Accepted));
    QVERIFY(!wizard.choices().runSourceTest);

    // What a second start reads.
    Settings loaded;
    QVERIFY2(loadSettings(loaded, settingsStore, dir.filePath(QStringLiteral("program/"))), "First Time stored as 0");
    QCOMPARE(loaded.mp3Folder, dir.filePath(QStringLiteral("Music/Skywell/")));
    QCOMPARE(loaded.tempFolder, temp + QLatin1Char('/'));
    QVERIFY(loaded.startOnBoot);
    QVERIFY(readText(user + QStringLiteral("/autostart/skywell.desktop")).contains(QStringLiteral("-quiet")));
}

void FirstRunTest::guideHasASectionForEveryAnchor()
{
    const QString guide = findUserGuide(QCoreApplication::applicationDirPath());
    QVERIFY2(!guide.isEmpty(), "the user guide is found from the build tree");
    const QString html = readText(guide);
    QSet<QString> ids;
    for (auto m = QRegularExpression(QStringLiteral("id=\"([^\"]+)\"")).globalMatch(html); m.hasNext();)
        ids.insert(m.next().captured(1));

    QSet<QString> wanted = anchorsInSources();
    QVERIFY2(wanted.contains(QStringLiteral("settings_folders")) && wanted.contains(QStringLiteral("schedule")),
             "the sources' anchor tables were found");
    for (const QString &anchor : userGuideAnchors())
        wanted.insert(anchor);
    // The guide's own links lead somewhere too.
    for (auto m = QRegularExpression(QStringLiteral("href=\"#([^\"]+)\"")).globalMatch(html); m.hasNext();)
        wanted.insert(m.next().captured(1));
    for (const QString &anchor : wanted) {
        if (!anchor.isEmpty())
            QVERIFY2(ids.contains(anchor), qPrintable(anchor));
    }
    QVERIFY2(!html.contains(QStringLiteral("=\"http")), "the guide needs no network");
}

void FirstRunTest::helpOpensTheSectionOrSaysWhereTheGuideIs()
{
    const QString guide = findUserGuide(QCoreApplication::applicationDirPath());
    QTemporaryDir bin;
    const QString opened = bin.filePath(QStringLiteral("opened.txt"));
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("XDG_CACHE_HOME", bin.filePath(QStringLiteral("cache")).toUtf8());
    struct Case {
        const char *name;
        QByteArray script; // empty: no xdg-open on the PATH
        bool started;
    };
    const Case cases[] = {
        {"browser", "#!/bin/sh\nprintf '%s' \"$1\" > '" + opened.toUtf8() + "'\n", true},
        {"no browser registered", "#!/bin/sh\necho 'xdg-open: no method available' >&2\nexit 3\n", false},
        {"no xdg-open", QByteArray(), false},
    };
    for (const Case &c : cases) {
        QFile::remove(bin.filePath(QStringLiteral("xdg-open")));
        if (!c.script.isEmpty())
            writeScript(bin.filePath(QStringLiteral("xdg-open")), c.script);
        qputenv("PATH", bin.path().toUtf8());
        ScriptedPrompter prompter;
        UserGuideOpener opener(prompter, QCoreApplication::applicationDirPath());
        QSignalSpy done(&opener, &UserGuideOpener::opened);
        opener.open(QStringLiteral("settings_folders"));
        QVERIFY2(done.count() == 1 || done.wait(20000), c.name);
        QCOMPARE(done.first().first().toBool(), c.started);
        if (c.started) {
            QCOMPARE(prompter.prompts().size(), 0);
            // The browser gets a page that forwards to the guide's section
            // (xdg-open drops the "#anchor" of a file address).
            const QUrl url(readText(opened));
            QVERIFY(url.isLocalFile());
            const QString target = userGuideUrl(guide, QStringLiteral("settings_folders")).toString();
            QVERIFY2(readText(url.toLocalFile()).contains(QStringLiteral("url=") + target), qPrintable(target));
        } else {
            QCOMPARE(prompter.count(ScriptedPrompter::Kind::Information), 1);
            QVERIFY2(prompter.prompts().first().text.contains(guide), c.name);
        }
    }
    qputenv("PATH", oldPath);
}

void FirstRunTest::windowHelpAndTheAddShowHint()
{
    test::WindowRig rig;
    QStringList anchors;
    rig.dialogs.openHelp = [&anchors](const QString &anchor) { anchors << anchor; };
    MainWindow &window = rig.open();
    window.showHelp();
    rig.prompter.queueAnswer(true); // "learn how to do this now?"
    window.showNothingRecorded();
    QCOMPARE(anchors, (QStringList{GuideSection::mainWindow, GuideSection::nothingRecorded}));
    QVERIFY2(rig.prompter.count(ScriptedPrompter::Kind::Information) == 0, "no word of a web site");

    // The Add Show hint only while there is no Show to record.
    rig.shows.push_back(rig.makeShow(QStringLiteral("Evening News"), rig.clock.now() + 3600, 0));
    window.showAddShowHint();
    QCOMPARE(rig.prompter.count(ScriptedPrompter::Kind::Hint), 0);
    rig.shows.clear();
    window.showAddShowHint();
    QCOMPARE(rig.prompter.count(ScriptedPrompter::Kind::Hint), 1);
}

QTEST_MAIN(FirstRunTest)
#include "firstruntest.moc"
