// The URL Finder's browser window (skywell-urlfinder's) on a page served
// from 127.0.0.1 whose player asks for a playlist and for a stream known
// only by its type, and which links to another stream: all three are
// listed, and a double click chooses one. A pop-up player the page opens
// is found too. With nothing listening, the browser's error page shows and
// the address still reaches the finder.
#include "tuning/downloadtestserver.h"
#include "ui/urlfinderbrowser.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

using namespace skywell;
using skywell::test::DownloadTestServer;

class UrlFinderWebCheck : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void listsTheStreamsAPageRequestsOrLinks();
    void startsOnItsOwnPageAndFindsPopups();
    void unreachablePageStillReportsItsAddress();
};

void UrlFinderWebCheck::listsTheStreamsAPageRequestsOrLinks()
{
    DownloadTestServer server;
    server.serve("/player.html",
                 "<html><body><h1>Test Radio</h1><audio src=\"/live\" preload=\"auto\" controls></audio>"
                 "<a href=\"/about.html\">About</a> <a href=\"/hq.pls\">High quality</a>"
                 "<script>fetch('/radio.m3u');</script></body></html>",
                 200, "text/html");
    server.serve("/radio.m3u", "http://127.0.0.1/live\n", 200, "audio/x-mpegurl");
    server.serve("/live", QByteArray(4096, '\0'), 200, "audio/mpeg");
    UrlFinderBrowser browser;
    QSignalSpy addresses(&browser, &UrlFinderBrowser::addressChanged);
    QSignalSpy chosen(&browser, &UrlFinderBrowser::streamChosen);
    browser.load(server.url(QStringLiteral("/player.html")));
    browser.resize(900, 700);
    browser.show();
    auto *streams = browser.findChild<QListWidget *>(QStringLiteral("streams"));
    QVERIFY(streams);
    QTRY_COMPARE_WITH_TIMEOUT(streams->count(), 3, 30000);
    QStringList found;
    for (int row = 0; row < streams->count(); ++row)
        found << streams->item(row)->text();
    found.sort();
    QCOMPARE(found, (QStringList{server.url(QStringLiteral("/hq.pls")), server.url(QStringLiteral("/live")),
                                 server.url(QStringLiteral("/radio.m3u"))}));
    QVERIFY(!addresses.isEmpty());
    QCOMPARE(addresses.last().first().toString(), server.url(QStringLiteral("/player.html")));
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/dialog-screenshots");
    QDir().mkpath(folder);
    QVERIFY(browser.grab().save(folder + QStringLiteral("/urlfinder-browser.png")));

    QListWidgetItem *live = streams->findItems(server.url(QStringLiteral("/live")), Qt::MatchExactly).first();
    const QPoint at = streams->visualItemRect(live).center();
    QTest::mouseClick(streams->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(streams->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.first().first().toString(), server.url(QStringLiteral("/live")));
}

void UrlFinderWebCheck::startsOnItsOwnPageAndFindsPopups()
{
    UrlFinderBrowser browser;
    QSignalSpy found(&browser, &UrlFinderBrowser::found);
    browser.showStartPage();
    browser.show();
    auto *view = browser.findChild<QWebEngineView *>();
    QVERIFY(view);
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), QStringLiteral("How to find a stream address"), 60000);
    const QString player = QStringLiteral("http://127.0.0.1:9/player.html");
    browser.load(QStringLiteral("data:text/html,<script>window.open('%1')</script>").arg(player));
    QTRY_COMPARE_WITH_TIMEOUT(browser.lastFoundAddress(), player, 60000);
    QCOMPARE(found.last().first().toString(), player);
}

void UrlFinderWebCheck::unreachablePageStillReportsItsAddress()
{
    UrlFinderBrowser browser;
    QSignalSpy addresses(&browser, &UrlFinderBrowser::addressChanged);
    browser.load(QStringLiteral("http://127.0.0.1:9/nothing.html"));
    browser.show();
    QTRY_VERIFY_WITH_TIMEOUT(
        !addresses.isEmpty() && addresses.last().first().toString().contains(QStringLiteral("127.0.0.1:9")), 30000);
}

int main(int argc, char **argv)
{
    // Chromium's sandbox cannot start as root, which CI runs as.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --autoplay-policy=no-user-gesture-required");
    QApplication app(argc, argv);
    UrlFinderWebCheck check;
    return QTest::qExec(&check, argc, argv);
}

#include "urlfinderwebcheck.moc"
