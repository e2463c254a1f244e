// The URL Finder's embedded browser on a page served from 127.0.0.1 whose
// player asks for a playlist and for a stream known only by its type:
// both are listed, and a double click adds the stream as a Show. Then,
// with nothing listening, the browser's error page shows and the finder
// still works.
#include "tuning/downloadtestserver.h"
#include "ui/urlfinder.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace skywell;
using skywell::test::DownloadTestServer;

class UrlFinderWebCheck : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void listsTheStreamsAPageRequests();
    void unreachablePageLeavesTheFinderUsable();
};

void UrlFinderWebCheck::listsTheStreamsAPageRequests()
{
    DownloadTestServer server;
    server.serve("/player.html",
                 "<html><body><h1>Test Radio</h1><audio src=\"/live\" preload=\"auto\" controls></audio>"
                 "<script>fetch('/radio.m3u');</script></body></html>",
                 200, "text/html");
    server.serve("/radio.m3u", "http://127.0.0.1/live\n", 200, "audio/x-mpegurl");
    server.serve("/live", QByteArray(4096, '\0'), 200, "audio/mpeg");
    server.serve("/style.css", "h1{}", 200, "text/css");
    UrlFinderDeps deps;
    deps.startPage = server.url(QStringLiteral("/player.html"));
    UrlFinder finder(deps);
    finder.show();
    auto *streams = finder.findChild<QListWidget *>(QStringLiteral("streams"));
    QVERIFY(streams);
    QTRY_COMPARE_WITH_TIMEOUT(streams->count(), 2, 30000);
    QStringList found;
    for (int row = 0; row < streams->count(); ++row)
        found << streams->item(row)->text();
    found.sort();
    QCOMPARE(found, (QStringList{server.url(QStringLiteral("/live")), server.url(QStringLiteral("/radio.m3u"))}));
    QCOMPARE(finder.findChild<QLineEdit *>(QStringLiteral("address"))->text(), deps.startPage);
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/dialog-screenshots");
    QDir().mkpath(folder);
    QVERIFY(finder.grab().save(folder + QStringLiteral("/urlfinder-browser.png")));

    QListWidgetItem *live = streams->findItems(server.url(QStringLiteral("/live")), Qt::MatchExactly).first();
    const QPoint at = streams->visualItemRect(live).center();
    QTest::mouseClick(streams->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(streams->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(finder.chosen(), std::optional<QString>(server.url(QStringLiteral("/live"))));
}

void UrlFinderWebCheck::unreachablePageLeavesTheFinderUsable()
{
    UrlFinderDeps deps;
    deps.startPage = QStringLiteral("http://127.0.0.1:9/nothing.html");
    UrlFinder finder(deps);
    finder.show();
    QTRY_VERIFY_WITH_TIMEOUT(
        finder.findChild<QLineEdit *>(QStringLiteral("address"))->text().contains(QStringLiteral("127.0.0.1:9")),
        30000);
    QTest::qWait(500);
    finder.findChild<QLineEdit *>(QStringLiteral("address"))->setText(QStringLiteral("http://typed.example/a.pls"));
    finder.findChild<QPushButton *>(QStringLiteral("addTop"))->click();
    QCOMPARE(finder.chosen(), std::optional<QString>(QStringLiteral("http://typed.example/a.pls")));
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
