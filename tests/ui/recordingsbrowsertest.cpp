// The recordings browser over a real recordings folder: what it lists,
// the playlist it writes, the CD list it hands over and what Delete removes.
#include "ui/recordingsbrowser.h"
#include "core/scriptedprompter.h"
#include "postprocess/recordingsbrowserrules.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace skywell;

namespace
{

struct Rig {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    QStringList opened;
    QList<QPair<QString, QString>> decoded;
    QString burnedList;
    bool burnedData = false;
    QString burnResult = QStringLiteral("Success");

    Rig() { QDir().mkpath(folder()); }
    QString folder() const { return dir.path() + QStringLiteral("/Recordings/"); }
    void addFiles(const QStringList &names)
    {
        for (const QString &name : names) {
            QFile file(folder() + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }
    RecordingsBrowserDeps deps()
    {
        RecordingsBrowserDeps deps{prompter, folder(), dir.path() + QLatin1Char('/'), {}, {}, {}};
        deps.openFile = [this](const QString &path) { opened << path; };
        deps.decodeMp3 = [this](const QString &mp3, const QString &wav) {
            decoded.append({mp3, wav});
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

QListWidget *list(QDialog &dialog, const char *name)
{
    return dialog.findChild<QListWidget *>(QString::fromLatin1(name));
}

void clickRow(QListWidget *widget, const QString &text)
{
    const QList<QListWidgetItem *> items = widget->findItems(text, Qt::MatchExactly);
    QVERIFY(!items.isEmpty());
    QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, widget->visualItemRect(items.first()).center());
}

void press(QDialog &dialog, const QString &text)
{
    for (QPushButton *button : dialog.findChildren<QPushButton *>()) {
        if (button->text() == text) {
            button->click();
            return;
        }
    }
    QFAIL("no such button");
}

} // namespace

class RecordingsBrowserTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void listsWhatTheFilterHolds();
    void playWritesTheSelectionTwiceOver();
    void audioCdDecodesMp3sBesideThem();
    void deleteRemovesAndRefreshes();
    void emptySelectionAndMissingFolder();
};

void RecordingsBrowserTest::listsWhatTheFilterHolds()
{
    Rig rig;
    rig.addFiles({QStringLiteral("News Jan 5.mp3"), QStringLiteral("Evening News Feb 2.wav"),
                  QStringLiteral("news Mar 1.mp3"), QStringLiteral("News notes.txt"), QStringLiteral("Show.MP3"),
                  QStringLiteral("Show.mp3.bak"), QStringLiteral("Jazz.wav")});
    RecordingsBrowser browser(rig.deps(), QStringLiteral("News"));
    QCOMPARE(browser.available(),
             (QStringList{QStringLiteral("Evening News Feb 2.wav"), QStringLiteral("News Jan 5.mp3")}));
    bool labelled = false;
    for (QLabel *label : browser.findChildren<QLabel *>())
        labelled |= label->text() == QStringLiteral("Currently Showing: News");
    QVERIFY(labelled);

    press(browser, QStringLiteral("View ALL"));
    QCOMPARE(browser.available(), (QStringList{QStringLiteral("Evening News Feb 2.wav"), QStringLiteral("Jazz.wav"),
                                               QStringLiteral("News Jan 5.mp3"), QStringLiteral("news Mar 1.mp3"),
                                               QStringLiteral("Show.mp3.bak")}));
    labelled = false;
    for (QLabel *label : browser.findChildren<QLabel *>())
        labelled |= label->text() == QStringLiteral("Currently Showing: ALL SHOWS");
    QVERIFY(labelled);

    browser.show();
    clickRow(list(browser, "available"), QStringLiteral("Jazz.wav"));
    clickRow(list(browser, "available"), QStringLiteral("Show.mp3.bak"));
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/dialog-screenshots");
    QDir().mkpath(folder);
    QVERIFY(browser.grab().save(folder + QStringLiteral("/recordingsbrowser.png")));
}

void RecordingsBrowserTest::playWritesTheSelectionTwiceOver()
{
    Rig rig;
    rig.addFiles({QStringLiteral("A.mp3"), QStringLiteral("B.wav")});
    RecordingsBrowser browser(rig.deps(), kAllRecordings);
    browser.show();
    clickRow(list(browser, "available"), QStringLiteral("B.wav"));
    clickRow(list(browser, "available"), QStringLiteral("A.mp3"));
    clickRow(list(browser, "available"), QStringLiteral("B.wav"));
    QCOMPARE(browser.selection(),
             (QStringList{QStringLiteral("B.wav"), QStringLiteral("A.mp3"), QStringLiteral("B.wav")}));
    // A click on the right takes that entry off again.
    clickRow(list(browser, "selected"), QStringLiteral("A.mp3"));
    clickRow(list(browser, "available"), QStringLiteral("A.mp3"));
    press(browser, QStringLiteral("Play"));

    const QString playlist = rig.dir.path() + QStringLiteral("/temp.m3u");
    QCOMPARE(rig.opened, QStringList{playlist});
    QFile file(playlist);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray b = (rig.folder() + QStringLiteral("B.wav")).toUtf8();
    const QByteArray a = (rig.folder() + QStringLiteral("A.mp3")).toUtf8();
    QCOMPARE(file.readAll(), b + "\r\n" + b + "\r\n" + a + "\r\n");
}

void RecordingsBrowserTest::audioCdDecodesMp3sBesideThem()
{
    Rig rig;
    rig.addFiles({QStringLiteral("a.mp3"), QStringLiteral("b.wav"), QStringLiteral("c.mp3"), QStringLiteral("c.wav")});
    RecordingsBrowser browser(rig.deps(), kAllRecordings);
    browser.show();
    for (const char *name : {"a.mp3", "b.wav", "c.mp3"})
        clickRow(list(browser, "available"), QString::fromLatin1(name));
    rig.prompter.queueAnswer(true);
    press(browser, QStringLiteral("Burn Audio CD"));
    // c.wav was there already: the decoded copy goes beside it.
    const QString f = rig.folder();
    QCOMPARE(rig.burnedList,
             f + QStringLiteral("a.wav?") + f + QStringLiteral("b.wav?") + f + QStringLiteral("c (2).wav"));
    QVERIFY(!rig.burnedData);
    QCOMPARE(rig.decoded.size(), 2);
    QCOMPARE(rig.prompter.prompts().last().text, QStringLiteral("CD created successfully"));

    // An MP3 CD takes the files as they are; a failure shows the writer's text.
    rig.burnResult = QStringLiteral("No disc in the drive");
    rig.prompter.queueAnswer(true);
    press(browser, QStringLiteral("Burn MP3 CD"));
    QVERIFY(rig.burnedData);
    QCOMPARE(rig.burnedList, f + QStringLiteral("a.mp3?") + f + QStringLiteral("b.wav?") + f + QStringLiteral("c.mp3"));
    QCOMPARE(rig.prompter.prompts().last().caption, QStringLiteral("Error Burning CD"));
    QCOMPARE(rig.prompter.prompts().last().text, rig.burnResult);

    // Cancel at the blank-disc question burns nothing.
    rig.burnedList.clear();
    rig.prompter.queueAnswer(false);
    press(browser, QStringLiteral("Burn MP3 CD"));
    QVERIFY(rig.burnedList.isEmpty());
}

void RecordingsBrowserTest::deleteRemovesAndRefreshes()
{
    Rig rig;
    rig.addFiles({QStringLiteral("Keep.mp3"), QStringLiteral("Gone.mp3")});
    RecordingsBrowser browser(rig.deps(), kAllRecordings);
    browser.show();
    clickRow(list(browser, "available"), QStringLiteral("Gone.mp3"));
    rig.prompter.queueAnswer(false);
    press(browser, QStringLiteral("Delete"));
    QVERIFY(QFile::exists(rig.folder() + QStringLiteral("Gone.mp3")));

    rig.prompter.queueAnswer(true);
    press(browser, QStringLiteral("Delete"));
    QVERIFY(!QFile::exists(rig.folder() + QStringLiteral("Gone.mp3")));
    QVERIFY(browser.isVisible());
    QCOMPARE(browser.available(), QStringList{QStringLiteral("Keep.mp3")});
    QVERIFY(browser.selection().isEmpty());
    QCOMPARE(list(browser, "selected")->count(), 0);
}

void RecordingsBrowserTest::emptySelectionAndMissingFolder()
{
    Rig rig;
    QVERIFY(QDir(rig.folder()).removeRecursively());
    RecordingsBrowser browser(rig.deps(), kAllRecordings);
    QVERIFY(browser.available().isEmpty());
    for (const char *button : {"Play", "Burn Audio CD", "Burn MP3 CD", "Delete"}) {
        rig.prompter.clear();
        press(browser, QString::fromLatin1(button));
        QCOMPARE(rig.prompter.prompts().size(), 1);
        QCOMPARE(rig.prompter.prompts().first().text, QStringLiteral("Please choose at least one show."));
    }
    QVERIFY(rig.opened.isEmpty());
    QVERIFY(rig.burnedList.isEmpty());
}

QTEST_MAIN(RecordingsBrowserTest)
#include "recordingsbrowsertest.moc"
