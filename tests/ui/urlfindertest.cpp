// The URL Finder without an embedded browser: pages go to the desktop's
// browser, the two address fields feed Add Show, Close adds nothing; and
// the rules that tell a stream's address from a page's.
#include "ui/urlfinder.h"
#include "core/scriptedprompter.h"
#include "tuning/streamaddressrules.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#ifdef SKYWELL_WITH_WEBENGINE
#include <QWebEngineView>
#endif

using namespace skywell;

namespace
{

struct Rig {
    QStringList opened;
    QString popupAnswer;
    ScriptedPrompter prompter;
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
    void streamAddressesAreToldFromPages();
#ifdef SKYWELL_WITH_WEBENGINE
    void startsOnItsOwnPageAndGetsPopupAndStreamAddresses();
#endif
};

void UrlFinderTest::goOpensAndAddShowHandsTheAddressOver()
{
    Rig rig;
    UrlFinder finder(rig.deps());
    QCOMPARE(finder.windowTitle(), QStringLiteral("Skywell URL Finder"));
    QCOMPARE(child<QLineEdit>(finder, "address")->text(), QStringLiteral("http://127.0.0.1:8/user/URL_Finder.htm"));
    child<QLineEdit>(finder, "address")->setText(QStringLiteral(" http://radio.example/player "));
#ifndef SKYWELL_WITH_WEBENGINE
    // Without the embedded browser, Go opens the desktop's.
    child<QPushButton>(finder, "goTop")->click();
    QCOMPARE(rig.opened, QStringList{QStringLiteral("http://radio.example/player")});
#endif
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
#ifndef SKYWELL_WITH_WEBENGINE
    child<QPushButton>(finder, "goBottom")->click();
    QCOMPARE(rig.opened, QStringList{rig.popupAnswer});
#endif
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

#ifdef SKYWELL_WITH_WEBENGINE
void UrlFinderTest::startsOnItsOwnPageAndGetsPopupAndStreamAddresses()
{
    Rig rig;
    UrlFinder finder(rig.deps(QString()));
    finder.show();
    auto *view = finder.findChild<QWebEngineView *>();
    QVERIFY(view);
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), QStringLiteral("How to find a stream address"), 60000);
    QVERIFY(child<QLineEdit>(finder, "address")->text().isEmpty());

    // A page that asks for a stream, then one that opens a pop-up player.
    const QString stream = QStringLiteral("http://127.0.0.1:9/live.mp3");
    const QString player = QStringLiteral("http://127.0.0.1:9/player.html");
    auto *popupButton = buttonWithText(finder, QStringLiteral("Get Popup URL:"));
    auto *popup = child<QLineEdit>(finder, "popup");
    child<QLineEdit>(finder, "address")->setText(QStringLiteral("data:text/html,<img src='%1'>").arg(stream));
    child<QPushButton>(finder, "goTop")->click();
    QTRY_VERIFY_WITH_TIMEOUT((popupButton->click(), popup->text() == stream), 60000);
    child<QLineEdit>(finder, "address")
        ->setText(QStringLiteral("data:text/html,<script>window.open('%1')</script>").arg(player));
    child<QPushButton>(finder, "goTop")->click();
    QTRY_VERIFY_WITH_TIMEOUT((popupButton->click(), popup->text() == player), 60000);
    QTRY_COMPARE_WITH_TIMEOUT(child<QLineEdit>(finder, "address")->text(), player, 60000);
    child<QPushButton>(finder, "addBottom")->click();
    QCOMPARE(finder.chosen(), std::optional<QString>(player));
}
#endif

int main(int argc, char **argv)
{
    // With the embedded browser built: Chromium's sandbox cannot start as
    // root, which CI runs as.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    UrlFinderTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "urlfindertest.moc"
