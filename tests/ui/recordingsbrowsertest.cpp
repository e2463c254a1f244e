// The recordings browser over a real recordings folder: what it lists and
// in which order, what the desktop's player is handed (xdg-open with a
// player set up as the desktop would), the CD list and the Trash.
#include "ui/recordingsbrowser.h"
#include "core/scriptedprompter.h"
#include "platform/desktopopener.h"
#include "postprocess/recordingsbrowserrules.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace skywell;

namespace
{

struct Rig {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    QList<QPair<QString, QString>> decoded;
    QString burnedList;
    bool burnedData = false;
    QString burnResult = QStringLiteral("Success");

    Rig() { QDir().mkpath(folder()); }
    QString folder() const { return dir.path() + QStringLiteral("/Recordings/"); }
    // Files written daysAgo[i] days ago, so the newest-first order is known.
    void addFiles(const QStringList &names, const QList<int> &daysAgo = {})
    {
        for (qsizetype i = 0; i < names.size(); ++i) {
            QFile file(folder() + names[i]);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.setFileTime(QDateTime::currentDateTime().addDays(-daysAgo.value(i, int(i))),
                             QFileDevice::FileModificationTime);
        }
    }
    RecordingsBrowserDeps deps()
    {
        RecordingsBrowserDeps deps{prompter, folder(), dir.path() + QLatin1Char('/'), openWithDesktop, {}, {}};
        deps.decodeForAudioCd = [this](const QString &track, const QString &wav) {
            decoded.append({track, wav});
            QFile file(wav);
            return file.open(QIODevice::WriteOnly);
        };
        deps.burn = [this](const QString &list, bool data) {
            burnedList = list;
            burnedData = data;
            return burnResult;
        };
        return deps;
    }
};

// The browser once it has read the folder.
struct Browser {
    RecordingsBrowser dialog;
    Browser(Rig &rig, const QString &filter) : dialog(rig.deps(), filter)
    {
        QSignalSpy spy(&dialog, &RecordingsBrowser::listed);
        QVERIFY(spy.wait(20000));
    }
    QStringList available() const { return dialog.available(); }
    QTreeWidget *list() { return dialog.findChild<QTreeWidget *>(QStringLiteral("recordings")); }
    QTreeWidgetItem *row(const QString &name) { return list()->topLevelItem(int(available().indexOf(name))); }
    void select(const QStringList &names)
    {
        list()->clearSelection();
        for (const QString &name : names)
            row(name)->setSelected(true);
    }
    void press(const QString &text, bool rereads = false)
    {
        QSignalSpy spy(&dialog, &RecordingsBrowser::listed);
        for (QPushButton *button : dialog.findChildren<QPushButton *>()) {
            if (button->text() == text)
                button->click();
        }
        if (rereads)
            QVERIFY(spy.wait(20000));
    }
    bool labelled(const QString &text)
    {
        for (QLabel *label : dialog.findChildren<QLabel *>()) {
            if (label->text().contains(text))
                return true;
        }
        return false;
    }
};

// Whether this process still has children (xdg-open and what it runs).
bool hasChildren()
{
    for (QDirIterator tasks(QStringLiteral("/proc/self/task"), QDir::Dirs | QDir::NoDotAndDotDot); tasks.hasNext();) {
        QFile children(tasks.next() + QStringLiteral("/children"));
        if (children.open(QIODevice::ReadOnly) && !children.readAll().trimmed().isEmpty())
            return true;
    }
    return false;
}

} // namespace

class RecordingsBrowserTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void listsFilteredNewestFirst();
    void doubleClickPlaysOnce();
    void deleteMovesToTheTrash();
    void audioCdDecodesCompressedTracksBesideThem();
    void emptySelectionAndMissingFolder();

private:
    QTemporaryDir m_home;
};

void RecordingsBrowserTest::initTestCase()
{
    // A desktop of our own: a player that notes what it was given, set
    // for MP3 files the way a desktop sets it, and a Trash.
    const QString home = m_home.path();
    const QString player = home + QStringLiteral("/player.sh");
    QFile script(player);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" >> \"$(dirname \"$0\")/played.txt\"\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    QDir().mkpath(home + QStringLiteral("/data/applications"));
    QDir().mkpath(home + QStringLiteral("/config"));
    QFile entry(home + QStringLiteral("/data/applications/testplayer.desktop"));
    QVERIFY(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=Test Player\nExec=" + player.toUtf8() +
                " %F\nMimeType=audio/mpeg;\n");
    QFile defaults(home + QStringLiteral("/config/mimeapps.list"));
    QVERIFY(defaults.open(QIODevice::WriteOnly));
    defaults.write("[Default Applications]\naudio/mpeg=testplayer.desktop\n");
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_DIRS", (home + QStringLiteral("/none")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", (home + QStringLiteral("/none")).toUtf8());
    // xdg-open only asks for the desktop's choice on a graphical session.
    qputenv("WAYLAND_DISPLAY", "wayland-test");
    qunsetenv("XDG_CURRENT_DESKTOP");
}

void RecordingsBrowserTest::listsFilteredNewestFirst()
{
    Rig rig;
    rig.addFiles({QStringLiteral("News Jan 5.mp3"), QStringLiteral("Evening News Feb 2.wav"),
                  QStringLiteral("news Mar 1.mp3"), QStringLiteral("News notes.txt"), QStringLiteral("Show.MP3"),
                  QStringLiteral("Show.mp3.bak"), QStringLiteral("Jazz.wav")},
                 {5, 2, 1, 0, 0, 3, 4});
    Browser browser(rig, QStringLiteral("News"));
    QCOMPARE(browser.available(),
             (QStringList{QStringLiteral("Evening News Feb 2.wav"), QStringLiteral("News Jan 5.mp3")}));
    QVERIFY(browser.labelled(QStringLiteral("Currently Showing: News")));
    QCOMPARE(browser.row(QStringLiteral("News Jan 5.mp3"))->text(2), QStringLiteral("News Jan 5"));

    browser.press(QStringLiteral("View ALL"), true);
    QCOMPARE(browser.available(), (QStringList{QStringLiteral("news Mar 1.mp3"),
                                               QStringLiteral("Evening News Feb 2.wav"), QStringLiteral("Show.mp3.bak"),
                                               QStringLiteral("Jazz.wav"), QStringLiteral("News Jan 5.mp3")}));
    QVERIFY(browser.labelled(QStringLiteral("Currently Showing: ALL SHOWS")));
    QVERIFY(browser.labelled(QStringLiteral("5 recordings")));

    browser.dialog.show();
    browser.select({QStringLiteral("Jazz.wav"), QStringLiteral("Show.mp3.bak")});
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/dialog-screenshots");
    QDir().mkpath(folder);
    QVERIFY(browser.dialog.grab().save(folder + QStringLiteral("/recordingsbrowser.png")));
}

void RecordingsBrowserTest::doubleClickPlaysOnce()
{
    Rig rig;
    const QString wav = rig.folder() + QStringLiteral("Jazz.wav");
    QVERIFY(
        QProcess::execute(QStringLiteral("sox"), {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("22050"),
                                                  wav, QStringLiteral("synth"), QStringLiteral("0.5"),
                                                  QStringLiteral("sine"), QStringLiteral("440")}) == 0);
    const QString mp3 = rig.folder() + QStringLiteral("Evening News.mp3");
    QVERIFY(QProcess::execute(QStringLiteral("lame"), {QStringLiteral("--quiet"), wav, mp3}) == 0);
    Browser browser(rig, kAllRecordings);
    browser.dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&browser.dialog));
    QTreeWidget *list = browser.list();
    const QPoint row = list->visualItemRect(browser.row(QStringLiteral("Evening News.mp3"))).center();
    // As the window system delivers a double click: a click, then the second press.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);

    // Once every xdg-open has ended, the player was started exactly once.
    QTRY_VERIFY_WITH_TIMEOUT(!hasChildren(), 20000);
    QFile played(m_home.path() + QStringLiteral("/played.txt"));
    QVERIFY2(played.open(QIODevice::ReadOnly),
             qPrintable(rig.prompter.prompts().isEmpty() ? QString() : rig.prompter.prompts().first().text));
    QCOMPARE(played.readAll(), mp3.toUtf8() + '\n');
    QVERIFY(rig.prompter.prompts().isEmpty());

    // No player is set for WAV files: the user is told, not left waiting.
    browser.select({QStringLiteral("Jazz.wav")});
    browser.press(QStringLiteral("Play"));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.prompter.prompts().isEmpty(), 20000);
    QVERIFY2(rig.prompter.prompts().first().text.contains(QStringLiteral("no program is set")),
             qPrintable(rig.prompter.prompts().first().text));
}

void RecordingsBrowserTest::deleteMovesToTheTrash()
{
    Rig rig;
    rig.addFiles({QStringLiteral("Keep.mp3"), QStringLiteral("Gone.mp3")});
    Browser browser(rig, kAllRecordings);
    browser.select({QStringLiteral("Gone.mp3")});
    rig.prompter.queueAnswer(false);
    browser.press(QStringLiteral("Delete"));
    QVERIFY(QFile::exists(rig.folder() + QStringLiteral("Gone.mp3")));

    rig.prompter.queueAnswer(true);
    browser.press(QStringLiteral("Delete"), true);
    QVERIFY(!QFile::exists(rig.folder() + QStringLiteral("Gone.mp3")));
    QVERIFY(QFile::exists(m_home.path() + QStringLiteral("/data/Trash/files/Gone.mp3")));
    QCOMPARE(browser.available(), QStringList{QStringLiteral("Keep.mp3")});

    // Without a usable Trash the file stays, and the user is told why.
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    const QString blocked = m_home.path() + QStringLiteral("/not-a-folder");
    QFile(blocked).open(QIODevice::WriteOnly);
    qputenv("XDG_DATA_HOME", blocked.toUtf8());
    browser.select({QStringLiteral("Keep.mp3")});
    rig.prompter.clear();
    rig.prompter.queueAnswer(true);
    browser.press(QStringLiteral("Delete"), true);
    qputenv("XDG_DATA_HOME", dataHome);
    QVERIFY(QFile::exists(rig.folder() + QStringLiteral("Keep.mp3")));
    QCOMPARE(rig.prompter.prompts().size(), 2);
    QVERIFY(rig.prompter.prompts().last().text.contains(QStringLiteral("could not be moved to the Trash")));
    QVERIFY(rig.prompter.prompts().last().text.contains(QStringLiteral("Keep.mp3")));
}

void RecordingsBrowserTest::audioCdDecodesCompressedTracksBesideThem()
{
    Rig rig;
    rig.addFiles({QStringLiteral("a.mp3"), QStringLiteral("b.wav"), QStringLiteral("c.mp3"), QStringLiteral("c.wav"),
                  QStringLiteral("d.ogg"), QStringLiteral("e.aac")});
    Browser browser(rig, kAllRecordings);
    QCOMPARE(browser.available().size(), 6);
    browser.select({QStringLiteral("a.mp3"), QStringLiteral("b.wav"), QStringLiteral("c.mp3"), QStringLiteral("d.ogg"),
                    QStringLiteral("e.aac")});
    rig.prompter.queueAnswer(true);
    browser.press(QStringLiteral("Burn Audio CD"));
    // c.wav was there already: the decoded copy goes beside it. The list
    // follows the rows, newest first.
    const QString f = rig.folder();
    QCOMPARE(rig.burnedList, f + QStringLiteral("a.wav?") + f + QStringLiteral("b.wav?") + f +
                                 QStringLiteral("c (2).wav?") + f + QStringLiteral("d.wav?") + f +
                                 QStringLiteral("e.wav"));
    QVERIFY(!rig.burnedData);
    QCOMPARE(rig.decoded.size(), 4);
    QCOMPARE(rig.prompter.prompts().last().text, QStringLiteral("CD created successfully"));

    // An MP3 CD takes the files as they are; a failure shows the writer's text.
    rig.burnResult = QStringLiteral("No disc in the drive");
    rig.prompter.queueAnswer(true);
    browser.press(QStringLiteral("Burn MP3 CD"));
    QVERIFY(rig.burnedData);
    QCOMPARE(rig.burnedList, f + QStringLiteral("a.mp3?") + f + QStringLiteral("b.wav?") + f +
                                 QStringLiteral("c.mp3?") + f + QStringLiteral("d.ogg?") + f + QStringLiteral("e.aac"));
    QCOMPARE(rig.prompter.prompts().last().caption, QStringLiteral("Error Burning CD"));
    QCOMPARE(rig.prompter.prompts().last().text, rig.burnResult);
}

void RecordingsBrowserTest::emptySelectionAndMissingFolder()
{
    Rig rig;
    QVERIFY(QDir(rig.folder()).removeRecursively());
    Browser browser(rig, kAllRecordings);
    QVERIFY(browser.available().isEmpty());
    QVERIFY(browser.labelled(QStringLiteral("cannot be read")));
    for (const char *button : {"Play", "Burn Audio CD", "Burn MP3 CD", "Delete"}) {
        rig.prompter.clear();
        browser.press(QString::fromLatin1(button));
        QCOMPARE(rig.prompter.prompts().size(), 1);
        QCOMPARE(rig.prompter.prompts().first().text, QStringLiteral("Please choose at least one show."));
    }
    QVERIFY(rig.burnedList.isEmpty());
}

QTEST_MAIN(RecordingsBrowserTest)
#include "recordingsbrowsertest.moc"
