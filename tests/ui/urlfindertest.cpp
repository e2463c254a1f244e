// The URL Finder: without its browser program pages go to the desktop's
// browser and the dialog says why; with it (here a script speaking its
// lines) addresses go both ways, and a browser that dies is reported while
// the dialog works on. The two address fields feed Add Show, Close adds
// nothing; and the rules that tell a stream's address from a page's.
#include "ui/urlfinder.h"
#include "core/scriptedprompter.h"
#include "tuning/streamaddressrules.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace skywell;

namespace
{

struct Rig {
    QStringList opened;
    QString popupAnswer;
    ScriptedPrompter prompter;
    QTemporaryDir folder;
    // A browser program made of a shell script.
    QString program(const QByteArray &script)
    {
        const QString path = folder.filePath(QStringLiteral("browser"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\n" + script) < 0)
            return {};
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    UrlFinderDeps deps(const QString &startPage = QStringLiteral("http://127.0.0.1:8/user/URL_Finder.htm"))
    {
        UrlFinderDeps deps;
        deps.startPage = startPage;
        deps.prompter = &prompter;
        deps.openInBrowser = [this](const QString &address) { opened << address; };
        deps.queryBrowserWindow = [this] { return popupAnswer; };
        return deps;
    }
};

template <typename T> T *child(QWidget &widget, const char *name)
{
    return widget.findChild<T *>(QString::fromLatin1(name));
}

QPushButton *buttonWithText(QWidget &widget, const QString &text)
{
    for (QPushButton *button : widget.findChildren<QPushButton *>()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

} // namespace

class UrlFinderTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void goOpensAndAddShowHandsTheAddressOver();
    void closeAfterBrowsingAddsNothing();
    void popupAddressIsEmptyWithoutAnAnswer();
    void browserProgramTalksBothWaysAndEndsWithTheFinder();
    void browserThatDiesIsReportedAndTheFinderWorksOn();
    void streamAddressesAreToldFromPages();
};

void UrlFinderTest::goOpensAndAddShowHandsTheAddressOver()
{
    Rig rig;
    UrlFinder finder(rig.deps());
    QCOMPARE(finder.windowTitle(), QStringLiteral("Skywell URL Finder"));
    QCOMPARE(child<QLineEdit>(finder, "address")->text(), QStringLiteral("http://127.0.0.1:8/user/URL_Finder.htm"));
    child<QLineEdit>(finder, "address")->setText(QStringLiteral(" http://radio.example/player "));
    // Without its browser program, Go opens the desktop's browser and the
    // finder says why.
    QCOMPARE(child<QLabel>(finder, "browserNote")->text(), UrlFinder::kBrowserMissingText);
    child<QPushButton>(finder, "goTop")->click();
    QCOMPARE(rig.opened, QStringList{QStringLiteral("http://radio.example/player")});
    finder.show();
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/dialog-screenshots");
    QDir().mkpath(folder);
    QVERIFY(finder.grab().save(folder + QStringLiteral("/urlfinder.png")));
    child<QPushButton>(finder, "addTop")->click();
    QVERIFY(!finder.isVisible());
    QCOMPARE(finder.chosen(), std::optional<QString>(QStringLiteral("http://radio.example/player")));

    // Add Show with nothing typed says what is missing and adds nothing.
    QTimer::singleShot(0, [] {
        auto *open = QApplication::activeModalWidget();
        QVERIFY(open);
        child<QLineEdit>(*open, "address")->clear();
        child<QPushButton>(*open, "addTop")->click();
        QVERIFY(open->isVisible());
        buttonWithText(*open, QStringLiteral("Close"))->click();
    });
    QVERIFY(!runUrlFinder(nullptr, rig.deps()));
    QCOMPARE(rig.prompter.prompts().size(), 1);
    QCOMPARE(rig.prompter.prompts().first().text, UrlFinder::kNoAddressText);
}

void UrlFinderTest::closeAfterBrowsingAddsNothing()
{
    Rig rig;
    QTimer::singleShot(0, [] {
        auto *open = QApplication::activeModalWidget();
        QVERIFY(open);
        child<QPushButton>(*open, "goTop")->click();
        buttonWithText(*open, QStringLiteral("Close"))->click();
    });
    QVERIFY(!runUrlFinder(nullptr, rig.deps()));
}

void UrlFinderTest::popupAddressIsEmptyWithoutAnAnswer()
{
    Rig rig;
    rig.popupAnswer = QStringLiteral("http://popup.example/stream.pls");
    UrlFinder finder(rig.deps());
    buttonWithText(finder, QStringLiteral("Get Popup URL:"))->click();
    QCOMPARE(child<QLineEdit>(finder, "popup")->text(), rig.popupAnswer);
    child<QPushButton>(finder, "goBottom")->click();
    QCOMPARE(rig.opened, QStringList{rig.popupAnswer});
    rig.popupAnswer.clear();
    buttonWithText(finder, QStringLiteral("Get Popup URL:"))->click();
    QVERIFY(child<QLineEdit>(finder, "popup")->text().isEmpty());
    child<QPushButton>(finder, "addBottom")->click();
    QVERIFY(!finder.chosen());
    QCOMPARE(rig.prompter.prompts().size(), 1);
}

void UrlFinderTest::streamAddressesAreToldFromPages()
{
    using K = StreamAddressKind;
    const QList<QPair<const char *, K>> cases = {
        {"http://radio.example/live.m3u", K::Playlist},
        {"https://radio.example/listen.PLS?sid=1", K::Playlist},
        {"http://radio.example/hls/master.m3u8#t=0", K::Playlist},
        {"http://radio.example:8000/stream.mp3", K::AudioFile},
        {"https://cdn.example/a/b/show.AAC?token=x.m3u", K::AudioFile},
        {"http://radio.example:8000/;", K::Unknown},
        {"http://radio.example/stream", K::Unknown},
        {"http://radio.example/player.html", K::NotAudio},
        {"http://radio.example/app.js?v=2.mp3", K::NotAudio},
        {"http://radio.example/logo.png", K::NotAudio},
        {"file:///home/me/a.mp3", K::NotAudio},
        {"data:audio/mpeg;base64,AAAA", K::NotAudio},
        {"http://radio.example/my.mp3s/", K::Unknown},
    };
    for (const auto &[address, kind] : cases)
        QVERIFY2(streamAddressKind(QString::fromLatin1(address)) == kind, address);

    for (const char *type : {"audio/mpeg", "Audio/AAC", "audio/x-mpegurl; charset=utf-8", "application/ogg",
                             "application/vnd.apple.mpegurl", "audio/x-scpls"})
        QVERIFY2(isAudioContentType(type), type);
    for (const char *type : {"text/html", "application/json", "", "image/png", "video/mp4"})
        QVERIFY2(!isAudioContentType(type), type);
}

void UrlFinderTest::browserProgramTalksBothWaysAndEndsWithTheFinder()
{
    Rig rig;
    const QString ended = rig.folder.filePath(QStringLiteral("ended"));
    UrlFinderDeps deps = rig.deps(QString());
    // It reports a page and a stream, answers each "load" with "add" and
    // leaves a mark once its input closes.
    deps.browserProgram = rig.program("echo 'address http://127.0.0.1:9/page.html'\n"
                                      "echo 'found http://127.0.0.1:9/live.mp3'\n"
                                      "while read -r word text; do\n"
                                      "  [ \"$word\" = load ] && echo \"add $text\"\n"
                                      "done\n"
                                      "touch '" +
                                      ended.toUtf8() + "'\n");
    {
        UrlFinder finder(deps);
        finder.show();
        QCOMPARE(child<QLabel>(finder, "browserNote")->text(), UrlFinder::kBrowserOpenText);
        QTRY_COMPARE(child<QLineEdit>(finder, "address")->text(), QStringLiteral("http://127.0.0.1:9/page.html"));
        buttonWithText(finder, QStringLiteral("Get Popup URL:"))->click();
        QCOMPARE(child<QLineEdit>(finder, "popup")->text(), QStringLiteral("http://127.0.0.1:9/live.mp3"));
        child<QLineEdit>(finder, "address")->setText(QStringLiteral("http://radio.example/a.pls"));
        child<QPushButton>(finder, "goTop")->click();
        QTRY_VERIFY(!finder.isVisible());
        QCOMPARE(finder.chosen(), std::optional<QString>(QStringLiteral("http://radio.example/a.pls")));
        QVERIFY(rig.opened.isEmpty());
    }
    QTRY_VERIFY(QFile::exists(ended));
}

void UrlFinderTest::browserThatDiesIsReportedAndTheFinderWorksOn()
{
    Rig rig;
    UrlFinderDeps deps = rig.deps(QString());
    deps.browserProgram = rig.program("kill -KILL $$\n");
    UrlFinder finder(deps);
    finder.show();
    QTRY_COMPARE(child<QLabel>(finder, "browserNote")->text(), UrlFinder::kBrowserEndedText);
    child<QLineEdit>(finder, "address")->setText(QStringLiteral("http://radio.example/b.pls"));
    child<QPushButton>(finder, "addTop")->click();
    QCOMPARE(finder.chosen(), std::optional<QString>(QStringLiteral("http://radio.example/b.pls")));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    UrlFinderTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "urlfindertest.moc"
