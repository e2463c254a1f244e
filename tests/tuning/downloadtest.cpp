#include "tuning/download.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "platform/curltransfer.h"
#include "support/eventloop.h"
#include "support/tempenv.h"
#include "tuning/downloadtestserver.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace skywell;
using skywell::test::DownloadTestServer;
using skywell::test::TempFolder;

namespace
{

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(42);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(generator.generate() & 0xff);
    return bytes;
}

// Sends blocks of 10000 bytes without a length until the client goes,
// or (so that a test of a limit fails rather than hangs) 50 MB are out.
void endlessBody(DownloadTestServer::Connection &c, const DownloadTestServer::Request &)
{
    if (!c.send(DownloadTestServer::statusLine(200) + "Content-Type: audio/mpeg\r\n\r\n"))
        return;
    const QByteArray block(10000, 'x');
    for (int i = 0; i < 5000 && c.send(block); ++i)
        c.pause(1);
}

class DownloadTest : public ::testing::Test
{
protected:
    DownloadSetup setup(int stallIntervalMs = 500)
    {
        DownloadSetup s;
        s.transfers = makeCurlTransfer;
        s.prompter = &prompter;
        s.stallIntervalMs = stallIntervalMs;
        return s;
    }
    DownloadRequest request(const QString &path, const QString &file = QStringLiteral("out.bin"))
    {
        DownloadRequest r;
        r.address = server.url(path);
        r.path = folder.file(file);
        return r;
    }
    QByteArray fileBytes(const QString &file = QStringLiteral("out.bin")) { return test::readAll(folder.file(file)); }
    bool fileExists(const QString &file = QStringLiteral("out.bin")) { return QFile::exists(folder.file(file)); }

    TempFolder folder;
    DownloadTestServer server;
    ScriptedPrompter prompter;
};

} // namespace

TEST_F(DownloadTest, BodiesArriveByteExactAndAnEmptyBodyGivesAnEmptyFile)
{
    const QByteArray body = randomBytes(5 * 1024 * 1024);
    server.serve("/big", body);
    server.serve("/empty", QByteArray());

    const DownloadResult big = downloadToFile(setup(), request(QStringLiteral("/big")));
    EXPECT_EQ(big.end, DownloadEnd::Complete);
    EXPECT_EQ(big.bytes, body.size());
    EXPECT_TRUE(fileBytes() == body) << "the file differs from what the server sent";

    const DownloadResult empty = downloadToFile(setup(), request(QStringLiteral("/empty"), QStringLiteral("e.bin")));
    EXPECT_EQ(empty.end, DownloadEnd::Complete);
    EXPECT_EQ(empty.bytes, 0);
    EXPECT_TRUE(fileExists(QStringLiteral("e.bin")));
    EXPECT_EQ(fileBytes(QStringLiteral("e.bin")).size(), 0);
    EXPECT_TRUE(prompter.prompts().isEmpty());
}

TEST_F(DownloadTest, AServerThatStopsSendingIsGivenUpKeepingTheBytesSoFar)
{
    std::atomic<bool> serverGaveUp{false};
    server.route("/stall", [&](DownloadTestServer::Connection &c, const DownloadTestServer::Request &) {
        c.send(DownloadTestServer::statusLine(200) + "Content-Length: 1000000\r\n\r\n" + QByteArray(3000, 's'));
        if (c.pause(20000))
            serverGaveUp = true;
    });
    // 7 idle intervals of 150 ms: about a second.
    const DownloadResult result = downloadToFile(setup(150), request(QStringLiteral("/stall")));
    EXPECT_FALSE(serverGaveUp) << "the download ended only when the server closed the connection";
    EXPECT_EQ(result.end, DownloadEnd::Stalled);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.bytes, 3000);
    EXPECT_EQ(fileBytes(), QByteArray(3000, 's'));

    // A server that accepts and sends nothing at all, not even headers.
    server.route("/silent",
                 [](DownloadTestServer::Connection &c, const DownloadTestServer::Request &) { c.pause(20000); });
    const DownloadResult silent = downloadToFile(setup(150), request(QStringLiteral("/silent"), QStringLiteral("s")));
    EXPECT_EQ(silent.end, DownloadEnd::Stalled);
    EXPECT_EQ(silent.bytes, 0);
}

TEST_F(DownloadTest, ATrickleBelowTheMinimumRateIsGivenUp)
{
    // A byte every 200 ms: a new block in every supervision interval, but
    // far below 100 bytes a second.
    server.route("/trickle", [](DownloadTestServer::Connection &c, const DownloadTestServer::Request &) {
        c.send(DownloadTestServer::statusLine(200) + "Content-Length: 100\r\n\r\n");
        for (int i = 0; i < 100 && c.pause(200) && c.send("t"); ++i) {
        }
    });
    DownloadSetup s = setup(300);
    s.minBytesPerSecond = 100;
    s.slowSeconds = 2;
    const DownloadResult result = downloadToFile(s, request(QStringLiteral("/trickle")));
    EXPECT_EQ(result.end, DownloadEnd::Stalled);
    EXPECT_GT(result.bytes, 0);
    EXPECT_LT(result.bytes, 100);
    EXPECT_EQ(fileBytes().size(), result.bytes) << "the bytes so far are kept";
}

TEST_F(DownloadTest, ADownloadIsNamedFromThePathsLastSegmentOrItsType)
{
    const QByteArray signature = "X-Amz-Signature=" + QByteArray(300, 'f');
    const struct {
        const char *address;
        QByteArray type;
        const char *extension;
    } cases[] = {
        {"http://cdn.example.com/ep/01.mp3", "", "mp3"},
        {"https://cdn.example.com/show.M4A?X-Amz-Date=20260101T000000Z&X-Amz-Signature=abc.def", "", "m4a"},
        {"http://cdn.example.com/a.b/episode.ogg#t=10.5", "audio/mpeg", "ogg"},
        {"http://radio.example.com/live", "", "mp3"},
        {"http://stream.example.net:8000/1-19025-live", "audio/aacp", "aac"},
        {"http://cdn.example.com/get.php?id=3.mp3", "audio/ogg; charset=x", "ogg"},
        {"http://cdn.example.com/episode.html", "text/html", "mp3"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(downloadExtension(QString::fromLatin1(c.address), c.type), QString::fromLatin1(c.extension))
            << c.address;
    EXPECT_EQ(downloadExtension(QStringLiteral("https://s3.example.com/p/ep.mp3?") + QString::fromLatin1(signature)),
              QStringLiteral("mp3"));

    // Without an audio name in the address the answer's type names the file.
    server.serve("/feed/latest", QByteArray(2000, 'o'), 200, "audio/ogg");
    DownloadRequest r = request(QStringLiteral("/feed/latest"), QStringLiteral("Show - 01.mp3"));
    r.extensionFromType = true;
    const DownloadResult result = downloadToFile(setup(), r);
    EXPECT_EQ(result.end, DownloadEnd::Complete);
    EXPECT_EQ(result.path, folder.file(QStringLiteral("Show - 01.ogg")));
    EXPECT_EQ(fileBytes(QStringLiteral("Show - 01.ogg")).size(), 2000);
    EXPECT_FALSE(fileExists(QStringLiteral("Show - 01.mp3")));
}

TEST_F(DownloadTest, ASlowButMovingTransferRunsToItsEnd)
{
    // A block every 100 ms for 1.5 s, supervised every 60 ms: each
    // interval may be idle, but never seven in a row.
    server.route("/slow", [](DownloadTestServer::Connection &c, const DownloadTestServer::Request &) {
        c.send(DownloadTestServer::statusLine(200) + "Content-Length: 1500\r\n\r\n");
        for (int i = 0; i < 15 && c.pause(100); ++i)
            c.send(QByteArray(100, char('a' + i)));
    });
    const DownloadResult result = downloadToFile(setup(60), request(QStringLiteral("/slow")));
    EXPECT_EQ(result.end, DownloadEnd::Complete);
    EXPECT_EQ(result.bytes, 1500);
}

TEST_F(DownloadTest, AnErrorStatusGivesZeroAndLeavesNoFile)
{
    server.serve("/gone", "<html>Not Found</html>", 404, "text/html");
    QFile old(folder.file(QStringLiteral("out.bin")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older list");
    old.close();

    const DownloadResult missing = downloadToFile(setup(), request(QStringLiteral("/nothing-here")));
    EXPECT_EQ(missing.end, DownloadEnd::HttpError);
    EXPECT_EQ(missing.bytes, 0);
    EXPECT_EQ(missing.httpStatus, 404);
    EXPECT_FALSE(fileExists());

    const DownloadResult page = downloadToFile(setup(), request(QStringLiteral("/gone")));
    EXPECT_EQ(page.bytes, 0);
    EXPECT_FALSE(fileExists()) << "an error page must not be kept as the download";
}

TEST_F(DownloadTest, TheProxyOfTheSettingsCarriesEveryRequest)
{
    server.serve("/list.txt", "via the proxy");
    Settings settings;
    settings.useProxy = true;
    settings.proxyAddress = QStringLiteral("127.0.0.1");
    settings.proxyPort = QString::number(server.port());
    DownloadSetup s = setup();
    s.proxy = proxyText(settings);
    EXPECT_EQ(s.proxy, "http://127.0.0.1:" + QByteArray::number(server.port()));

    DownloadRequest r = request(QStringLiteral("/unused"));
    r.address = QStringLiteral("http://catalogue.skywell.invalid/list.txt");
    const DownloadResult result = downloadToFile(s, r);
    EXPECT_EQ(result.end, DownloadEnd::Complete);
    EXPECT_EQ(fileBytes(), "via the proxy");
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests()[0].target, "http://catalogue.skywell.invalid/list.txt");

    settings.proxyPort.clear();
    settings.proxyAddress = QStringLiteral("proxy.local");
    EXPECT_EQ(proxyText(settings), "http://proxy.local");
    settings.useProxy = false;
    EXPECT_EQ(proxyText(settings), QByteArray());
}

TEST_F(DownloadTest, CredentialsTravelAsABasicAuthorizationHeader)
{
    server.serve("/private", "secret list");
    DownloadRequest r = request(QStringLiteral("/private"));
    r.user = QStringLiteral("user");
    r.password = QStringLiteral("pass");
    EXPECT_EQ(downloadToFile(setup(), r).end, DownloadEnd::Complete);
    r.user.clear();
    EXPECT_EQ(downloadToFile(setup(), r).end, DownloadEnd::Complete);

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests[0].header("Authorization"), "Basic dXNlcjpwYXNz");
    EXPECT_EQ(requests[0].header("Accept"), "*/*");
    EXPECT_EQ(requests[0].header("User-Agent"), "Skywell");
    EXPECT_EQ(requests[1].header("Authorization"), QByteArray());
}

TEST_F(DownloadTest, OfflineOrUncreatableFilesEndAtOnce)
{
    QFile old(folder.file(QStringLiteral("out.bin")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("kept");
    old.close();
    DownloadSetup offline = setup();
    offline.isOnline = [] { return false; };
    const DownloadResult result = downloadToFile(offline, request(QStringLiteral("/any")));
    EXPECT_EQ(result.end, DownloadEnd::Offline);
    EXPECT_EQ(result.bytes, 0);
    EXPECT_EQ(fileBytes(), "kept") << "offline, the file is not touched";
    EXPECT_TRUE(server.requests().isEmpty());

    DownloadRequest r = request(QStringLiteral("/any"), QStringLiteral("no/such/folder/out.bin"));
    EXPECT_EQ(downloadToFile(setup(), r).end, DownloadEnd::CannotCreateFile);
    ASSERT_EQ(prompter.prompts().size(), 1);
    EXPECT_EQ(prompter.prompts()[0].caption, QStringLiteral("Cannot create file"));
    EXPECT_EQ(prompter.prompts()[0].text, r.path);
}

TEST_F(DownloadTest, AnAddressNobodyAnswersGivesZeroAndLeavesNoFile)
{
    quint16 closedPort = 0;
    {
        DownloadTestServer gone;
        closedPort = gone.port();
    }
    DownloadRequest r = request(QStringLiteral("/"));
    r.address = QStringLiteral("http://127.0.0.1:%1/list.txt").arg(closedPort);
    const DownloadResult result = downloadToFile(setup(), r);
    EXPECT_EQ(result.end, DownloadEnd::OpenFailed);
    EXPECT_EQ(result.bytes, 0);
    EXPECT_FALSE(fileExists()) << "a failed download leaves no empty file";
}

TEST_F(DownloadTest, ALiveStreamRunsUntilStoppedWithoutBlockingTheCaller)
{
    server.route("/live", endlessBody);
    Download download(setup());
    QSignalSpy finished(&download, &Download::finished);
    ASSERT_TRUE(download.start(request(QStringLiteral("/live"))));
    // The caller's event loop keeps running while the stream arrives.
    ASSERT_TRUE(test::spinUntil([&] { return download.bytesSoFar() > 200000; }, 10000));
    EXPECT_TRUE(download.isRunning());
    download.stop();
    ASSERT_TRUE(test::spinUntil([&] { return finished.size() == 1; }, 5000));
    const qint64 bytes = finished[0][0].toLongLong();
    EXPECT_TRUE(finished[0][1].toBool()) << "stopped by the caller counts as done";
    EXPECT_EQ(download.result().end, DownloadEnd::Stopped);
    EXPECT_GT(bytes, 200000);
    EXPECT_EQ(fileBytes().size(), bytes) << "every counted byte is in the file";
}

TEST_F(DownloadTest, HostileServersEndTheDownloadWithoutHangingOrGrowing)
{
    server.route("/endless-headers", [](DownloadTestServer::Connection &c, const DownloadTestServer::Request &) {
        c.send(DownloadTestServer::statusLine(200));
        while (c.send("X-Filler: " + QByteArray(1000, 'h') + "\r\n")) {
        }
    });
    server.route("/loop", [](DownloadTestServer::Connection &c, const DownloadTestServer::Request &) {
        c.send(DownloadTestServer::statusLine(302) + "Location: /loop\r\nContent-Length: 0\r\n\r\n");
    });
    server.route("/liar", [](DownloadTestServer::Connection &c, const DownloadTestServer::Request &) {
        c.send(DownloadTestServer::statusLine(200) + "Content-Length: 1000000000000\r\n\r\n" + QByteArray(100, 'l'));
    });
    server.route("/endless", endlessBody);

    const DownloadResult headers = downloadToFile(setup(), request(QStringLiteral("/endless-headers")));
    EXPECT_EQ(headers.end, DownloadEnd::TransferFailed);
    EXPECT_EQ(headers.bytes, 0);

    const DownloadResult loop = downloadToFile(setup(), request(QStringLiteral("/loop")));
    EXPECT_EQ(loop.end, DownloadEnd::TransferFailed);
    EXPECT_FALSE(fileExists());
    EXPECT_LE(server.requests().size(), 13) << "redirects are followed a bounded number of times";

    const DownloadResult liar = downloadToFile(setup(), request(QStringLiteral("/liar")));
    EXPECT_EQ(liar.end, DownloadEnd::TransferFailed) << "a short body is not a complete download";
    EXPECT_EQ(liar.bytes, 100);
    EXPECT_EQ(fileBytes(), QByteArray(100, 'l'));

    DownloadRequest bounded = request(QStringLiteral("/endless"));
    bounded.maxBytes = 1000000;
    const DownloadResult endless = downloadToFile(setup(), bounded);
    EXPECT_EQ(endless.end, DownloadEnd::TooLarge);
    EXPECT_LE(endless.bytes, 1000000);
    EXPECT_EQ(fileBytes().size(), endless.bytes);
}

TEST_F(DownloadTest, AFileThatCannotBeWrittenEndsTheDownloadWithItsMessage)
{
    server.serve("/big", QByteArray(300000, 'w'));
    // A file size limit makes writes past 100000 bytes fail (EFBIG).
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 100000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const DownloadRequest r = request(QStringLiteral("/big"));
    const DownloadResult result = downloadToFile(setup(), r);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result.end, DownloadEnd::WriteFailed);
    EXPECT_LE(result.bytes, 100000);
    EXPECT_EQ(fileBytes().size(), result.bytes) << "the result counts what is in the file";
    ASSERT_EQ(prompter.prompts().size(), 1);
    EXPECT_EQ(prompter.prompts()[0].caption, QStringLiteral("Error Writing Web File"));
    EXPECT_EQ(prompter.prompts()[0].text, r.address);
}
