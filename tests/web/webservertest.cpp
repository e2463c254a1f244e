#include "core/commandline.h"
#include "core/settingsstore.h"
#include "platform/curltransfer.h"
#include "support/runtool.h"
#include "tuning/downloadtestserver.h"
#include "tuning/stationdirectory.h"
#include "web/directorystationfinder.h"
#include "web/webaddress.h"
#include "web/webfixture.h"
#include "web/webpassword.h"
#include "web/webstart.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QUrl>

#include <future>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace skywell::test
{
namespace
{

const QString kShow = QStringLiteral("News/Talk & \"Q\" <script>alert(1)</script> \u00e9 \U0001F3B5");

class WebServerTest : public ::testing::Test, public WebFixture
{
};

TEST(WebAddressTest, OnlyLoopbackGoesWithoutPassword)
{
    struct Case {
        const char *text;
        bool password;
        bool refused;
        const char *served; // address and port when it may start
    };
    const Case cases[] = {
        {"8080", false, false, "127.0.0.1:8080"},
        {"127.0.0.1:9000", false, false, "127.0.0.1:9000"},
        {"[::1]:9000", false, false, "[::1]:9000"},
        {"0.0.0.0:8080", false, true, ""},
        {"192.168.1.20:8080", false, true, ""},
        {"192.168.1.20:8080", true, false, "192.168.1.20:8080"},
        {"::1:8080", false, true, ""},
        {"host:port", true, true, ""},
        {"70000", false, true, ""},
    };
    for (const Case &c : cases) {
        const QString refusal = webStartRefusal(QString::fromUtf8(c.text), c.password);
        EXPECT_EQ(!refusal.isEmpty(), c.refused) << c.text << ": " << refusal.toStdString();
        if (!c.refused) {
            EXPECT_EQ(parseWebAddress(QString::fromUtf8(c.text))->text(), QString::fromUtf8(c.served));
        } else if (QString::fromUtf8(c.text).startsWith(QLatin1String("0.0.0.0"))) {
            EXPECT_TRUE(refusal.contains(QLatin1String("\"WebPassword\""))) << refusal.toStdString();
        }
    }
}

TEST_F(WebServerTest, HostileRequestsAreRefusedLoggedOnceAndReachNoFile)
{
    start();
    const QByteArray secret = QFile::encodeName(outside.file(QStringLiteral("secret.mp3")));
    const QByteArray session = sessionHeaders();
    QByteArray manyHeaders;
    for (int i = 0; i < 100; ++i)
        manyHeaders += "X-Filler-" + QByteArray::number(i) + ": x\r\n";
    const QByteArray tenMegabytes = "POST /api/shows HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
                                    "Content-Type: application/json\r\nContent-Length: 10485760\r\n" +
                                    session + "\r\n" + QByteArray(64 * 1024, '{');
    const struct {
        const char *what;
        QByteArray request;
        int status;
    } cases[] = {
        {"dot-dot", httpGet("/recordings/../" + QDir(outside.path()).dirName().toLatin1() + "/secret.mp3"), 404},
        {"encoded dot-dot",
         httpGet("/recordings/%2e%2e%2f" + QUrl::toPercentEncoding(QDir(outside.path()).dirName()) + "%2fsecret.mp3"),
         404},
        {"double-encoded dot-dot", httpGet("/recordings/%252e%252e%252fsecret.mp3"), 404},
        {"absolute path", httpGet("/recordings/" + secret), 404},
        {"encoded absolute path", httpGet("/recordings/" + QUrl::toPercentEncoding(QString::fromLocal8Bit(secret))),
         404},
        {"link out of the folder", httpGet("/recordings/link.mp3"), 404},
        {"delete through the link", httpPost("/api/recordings/delete", R"({"file":"link.mp3"})", session), 404},
        {"delete by path", httpPost("/api/recordings/delete", "{\"file\":\"" + secret + "\"}", session), 404},
        {"POST without token", httpPost("/api/record", R"({"name":"A"})"), 403},
        {"POST from another site", httpPost("/api/stop", "{}", "Origin: http://evil.example\r\n"), 403},
        {"POST with a wrong token", httpPost("/api/shows/remove", R"({"name":"A"})", "X-Skywell-CSRF: guess\r\n"), 403},
        {"change by GET", httpGet("/api/record?name=A"), 405},
        {"10 MB body", tenMegabytes, 413},
        {"too many headers", httpGet("/api/status", manyHeaders), 431},
    };
    for (const auto &c : cases) {
        const int logged = refusalsLogged();
        const HttpAnswer answer = send(c.request);
        EXPECT_EQ(answer.status, c.status) << c.what;
        EXPECT_FALSE(answer.body.contains("SECRET")) << c.what;
        EXPECT_EQ(refusalsLogged(), logged + 1) << c.what;
    }
    EXPECT_EQ(readAll(QString::fromLocal8Bit(secret)), "SECRET");
    EXPECT_TRUE(commandsReceived().isEmpty()) << commandsReceived().join(u' ').toStdString();
    // The server goes on answering.
    EXPECT_EQ(send(httpGet("/api/status")).status, 200);
}

TEST_F(WebServerTest, AnswersWhileTwoHundredIdleConnectionsStayOpen)
{
    start();
    std::vector<int> idle;
    for (int i = 0; i < 200; ++i)
        idle.push_back(openIdleConnection(port()));
    EXPECT_EQ(std::count(idle.begin(), idle.end(), -1), 0);
    const HttpAnswer answer = send(httpGet("/api/status"));
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(commandsReceived(), QStringList{QStringLiteral("status")});
    for (int fd : idle)
        if (fd >= 0)
            ::close(fd);
}

TEST_F(WebServerTest, WrongPasswordsAreRefusedLoggedAndThenLockedOut)
{
    start(QStringLiteral("right horse"));
    const QByteArray session = sessionHeaders();
    const int logged = refusalsLogged();
    int refused = 0;
    for (int i = 0; i < 100; ++i) {
        const int status =
            send(httpPost("/api/login", "{\"password\":\"wrong" + QByteArray::number(i) + "\"}", session)).status;
        refused += status == 401 || status == 429;
    }
    EXPECT_EQ(refused, 100);
    EXPECT_EQ(refusalsLogged(), logged + 100);
    // Guessing stops working for a while, even with the right password.
    EXPECT_EQ(send(httpPost("/api/login", R"({"password":"right horse"})", session)).status, 429);
    EXPECT_EQ(
        send(httpGet("/api/status", "Authorization: Basic " + QByteArray("x:right horse").toBase64() + "\r\n")).status,
        429);
    EXPECT_TRUE(commandsReceived().isEmpty());
}

TEST_F(WebServerTest, PasswordOpensTheApiAndTokensOpenOnlyTheirFeed)
{
    start(QStringLiteral("right horse"));
    control.replies.insert(
        QStringLiteral("list"),
        ControlReply{ControlStatus::Done,
                     {},
                     QJsonObject{{QStringLiteral("shows"), QJsonArray{QJsonObject{{QStringLiteral("name"), kShow}}}}}});
    EXPECT_EQ(send(httpGet("/api/status")).status, 401);
    EXPECT_EQ(
        send(httpGet("/api/status", "Authorization: Basic " + QByteArray("x:right horse").toBase64() + "\r\n")).status,
        200);

    const HttpAnswer login = send(httpPost("/api/login", R"({"password":"right horse"})", sessionHeaders()));
    ASSERT_EQ(login.status, 200);
    const QByteArray cookie = login.header("set-cookie");
    EXPECT_TRUE(cookie.contains("; HttpOnly") && cookie.contains("; SameSite=Strict")) << cookie.toStdString();
    const QByteArray cookieLine = "Cookie: " + cookie.split(';').first() + "\r\n";
    const HttpAnswer shows = send(httpGet("/api/shows", cookieLine));
    ASSERT_EQ(shows.status, 200);
    const QJsonObject data = QJsonDocument::fromJson(shows.body)[QLatin1String("data")].toObject();
    const QByteArray feed = data[QLatin1String("shows")][0][QLatin1String("feed")].toString().toLatin1();
    const QByteArray allFeed = data[QLatin1String("feed")].toString().toLatin1();
    ASSERT_TRUE(feed.contains("?token=") && allFeed.contains("?token=")) << shows.body.toStdString();

    EXPECT_EQ(send(httpGet(feed)).status, 200);
    EXPECT_EQ(send(httpGet(allFeed)).status, 200);
    EXPECT_EQ(send(httpGet(feed.left(feed.indexOf('?')))).status, 401);
    EXPECT_EQ(send(httpGet("/feed/all.xml" + feed.mid(feed.indexOf('?')))).status, 401); // another feed's token
    EXPECT_EQ(send(httpGet("/api/status?" + feed.mid(feed.indexOf('?') + 1))).status, 401);
}

TEST_F(WebServerTest, ApiRoutesCarryRequestsAndRepliesOfTheControlService)
{
    start();
    control.replies.insert(QStringLiteral("add"),
                           ControlReply{ControlStatus::Refused, QStringLiteral("Please enter a name"), {}});
    control.replies.insert(QStringLiteral("stop"),
                           ControlReply{ControlStatus::NothingRunning, QStringLiteral("Nothing is recording"), {}});
    const QByteArray session = sessionHeaders();
    const struct {
        QByteArray request;
        const char *command;
        int http;
        int status;
    } cases[] = {
        {httpGet("/api/shows"), "list", 200, 0},
        {httpPost("/api/shows", R"({"name":"","url":"http://x"})", session), "add", 400, 2},
        {httpPost("/api/shows/edit", R"({"name":"A","length":"30"})", session), "edit", 200, 0},
        {httpPost("/api/shows/remove", R"({"name":"A"})", session), "remove", 200, 0},
        {httpPost("/api/record", R"({"name":"A","minutes":"5"})", session), "record", 200, 0},
        {httpPost("/api/stop", "{}", "Origin: http://127.0.0.1\r\n"), "stop", 409, 1},
        {httpGet("/api/status"), "status", 200, 0},
        {httpGet("/api/recordings"), "recordings", 200, 0},
    };
    for (const auto &c : cases) {
        control.requests.clear();
        const HttpAnswer answer = send(c.request);
        EXPECT_EQ(answer.status, c.http) << c.command;
        EXPECT_EQ(QJsonDocument::fromJson(answer.body)[QLatin1String("status")].toInt(-1), c.status) << c.command;
        ASSERT_EQ(commandsReceived(), QStringList{QString::fromLatin1(c.command)});
        const QByteArray body = c.request.mid(c.request.indexOf("\r\n\r\n") + 4);
        if (!body.isEmpty()) {
            EXPECT_EQ(control.requests.first().arguments, QJsonDocument::fromJson(body).object()) << c.command;
        }
    }
    EXPECT_EQ(
        QJsonDocument::fromJson(send(httpPost("/api/shows", "{}", session)).body)[QLatin1String("message")].toString(),
        QStringLiteral("Please enter a name"));
}

TEST_F(WebServerTest, FeedParsesAndItsEnclosuresDownloadWholeAndInRanges)
{
    const QString file = QStringLiteral("News & Talk 2026-12-09 #1 \u00e9.mp3");
    const QByteArray bytes = writeRecording(file, 300 * 1000 + 7);
    writeRecording(QStringLiteral("other.mp3"), 1000);
    const auto recording = [](const QString &name, const QString &show) {
        return QJsonObject{{QStringLiteral("file"), name},
                           {QStringLiteral("show"), show},
                           {QStringLiteral("date"), QStringLiteral("2026-12-09T10:00:00")},
                           {QStringLiteral("bytes"), 1},
                           {QStringLiteral("seconds"), 3725},
                           {QStringLiteral("mime"), QStringLiteral("audio/mpeg")}};
    };
    control.replies.insert(
        QStringLiteral("recordings"),
        ControlReply{ControlStatus::Done,
                     {},
                     QJsonObject{{QStringLiteral("recordings"),
                                  QJsonArray{recording(file, kShow),
                                             recording(QStringLiteral("other.mp3"), QStringLiteral("Other")),
                                             recording(QStringLiteral("gone.mp3"), kShow)}}}});
    control.replies.insert(
        QStringLiteral("list"),
        ControlReply{ControlStatus::Done,
                     {},
                     QJsonObject{{QStringLiteral("shows"), QJsonArray{QJsonObject{{QStringLiteral("name"), kShow}}}}}});
    start();

    const HttpAnswer feed = send(httpGet("/feed/" + QUrl::toPercentEncoding(kShow) + ".xml"));
    ASSERT_EQ(feed.status, 200);
    const QString feedPath = program.file(QStringLiteral("feed.xml"));
    QFile out(feedPath);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(feed.body);
    out.close();
    const QString script = QStringLiteral(
        "import feedparser, json, sys\n"
        "d = feedparser.parse(sys.argv[1])\n"
        "print(json.dumps({'bozo': d.bozo, 'title': d.feed.title, 'entries': [\n"
        "  {'title': e.title, 'duration': e.get('itunes_duration'), 'published': e.get('published_parsed') is not "
        "None,\n"
        "   'enclosures': [{'href': x.href, 'length': x.length, 'type': x.type} for x in e.enclosures]}\n"
        "  for e in d.entries]}))\n");
    QString output;
    ASSERT_TRUE(runTool(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, feedPath}, &output))
        << output.toStdString();
    const QJsonObject parsed = QJsonDocument::fromJson(output.toUtf8()).object();
    EXPECT_EQ(parsed[QLatin1String("bozo")].toInt(), 0) << output.toStdString();
    EXPECT_EQ(parsed[QLatin1String("title")].toString(), kShow);
    const QJsonArray entries = parsed[QLatin1String("entries")].toArray();
    ASSERT_EQ(entries.size(), 1) << output.toStdString();
    const QJsonObject entry = entries[0].toObject();
    EXPECT_TRUE(entry[QLatin1String("title")].toString().startsWith(kShow));
    EXPECT_EQ(entry[QLatin1String("duration")].toString(), QStringLiteral("1:02:05"));
    EXPECT_TRUE(entry[QLatin1String("published")].toBool());
    const QJsonObject enclosure = entry[QLatin1String("enclosures")][0].toObject();
    EXPECT_EQ(enclosure[QLatin1String("length")].toString(), QString::number(bytes.size()));
    EXPECT_EQ(enclosure[QLatin1String("type")].toString(), QStringLiteral("audio/mpeg"));

    const QUrl href(enclosure[QLatin1String("href")].toString());
    const QByteArray path = href.path(QUrl::FullyEncoded).toLatin1();
    const HttpAnswer whole = send(httpGet(path));
    EXPECT_EQ(whole.status, 200);
    EXPECT_TRUE(whole.body == bytes) << whole.body.size();
    const struct {
        QByteArray range;
        int status;
        qint64 offset;
        qint64 length;
    } ranges[] = {
        {"bytes=1000-1999", 206, 1000, 1000},
        {"bytes=299000-", 206, 299000, 1007},
        {"bytes=-100", 206, 300007 - 100, 100},
        {"bytes=300007-", 416, 0, 0},
    };
    for (const auto &r : ranges) {
        const HttpAnswer part = send(httpGet(path, "Range: " + r.range + "\r\n"));
        EXPECT_EQ(part.status, r.status) << r.range.constData();
        EXPECT_TRUE(part.body == bytes.mid(r.offset, r.length)) << r.range.constData();
        if (r.status == 206) {
            EXPECT_EQ(part.header("content-range"), "bytes " + QByteArray::number(r.offset) + '-' +
                                                        QByteArray::number(r.offset + r.length - 1) + "/300007");
        }
    }
    // Every recording on disk is in the feed of all of them.
    EXPECT_EQ(send(httpGet("/feed/all.xml")).body.count("<enclosure "), 2);
}

} // namespace
} // namespace skywell::test

namespace skywell::test
{
namespace
{

TEST_F(WebServerTest, StartsWhereTheCommandLineOrSettingSaysAndHashesThePassword)
{
    SettingsStore settingsStore(program.file(QStringLiteral("user")), program.file(QStringLiteral("machine")));
    QString refusal;
    EXPECT_EQ(startWebServer(control, log, settingsStore, {}, recordings.path(), nullptr, &refusal), nullptr);
    EXPECT_TRUE(refusal.isEmpty()); // off by default

    const CommandLine line = parseCommandLine(
        {QStringLiteral("--headless"), QStringLiteral("--web"), QStringLiteral("0.0.0.0:0")}, program.path());
    EXPECT_EQ(startWebServer(control, log, settingsStore, line.webAddress, recordings.path(), nullptr, &refusal),
              nullptr);
    EXPECT_TRUE(refusal.contains(QLatin1String("\"WebPassword\""))) << refusal.toStdString();
    EXPECT_TRUE(readAll(log.filePath()).contains(refusal.toUtf8()));

    settingsStore.writeString(kWebPasswordSetting, QStringLiteral("right horse"), SettingsGroup::Program);
    settingsStore.writeString(kWebAddressSetting, QStringLiteral("127.0.0.1:0"), SettingsGroup::Program);
    const auto server = startWebServer(control, log, settingsStore, {}, recordings.path(), nullptr, &refusal);
    ASSERT_NE(server, nullptr) << refusal.toStdString();
    const QString stored = settingsStore.readString(kWebPasswordSetting, SettingsGroup::Program);
    EXPECT_FALSE(stored.contains(QLatin1String("right horse")));
    EXPECT_TRUE(WebPassword::verify(QStringLiteral("right horse"), stored));
    EXPECT_EQ(httpExchange(server->port(), httpGet("/api/status")).status, 401);
    EXPECT_EQ(httpExchange(server->port(), httpGet("/api/status", "Authorization: Basic " +
                                                                      QByteArray("x:right horse").toBase64() + "\r\n"))
                  .status,
              200);
}

} // namespace
} // namespace skywell::test

namespace skywell::test
{
namespace
{

TEST_F(WebServerTest, StationSearchAnswersFromTheDirectory)
{
    DownloadTestServer directoryServer;
    directoryServer.serve("/json/stations/search",
                          readAll(QStringLiteral(SKYWELL_TUNING_TEST_DATA "radiobrowser-search-jazz.json")), 200,
                          "application/json");
    SettingsStore settingsStore(program.file(QStringLiteral("user")), program.file(QStringLiteral("machine")));
    settingsStore.writeString(kStationDirectoryAddressSetting, directoryServer.url(QStringLiteral("/")),
                              SettingsGroup::Options);
    DownloadSetup setup;
    setup.transfers = makeCurlTransfer;
    StationDirectory directory(setup, settingsStore, program.path(), program.path());
    DirectoryStationFinder finder(directory);
    m_server = std::make_unique<WebServer>(control, log);
    m_server->setStationFinder(&finder);
    ASSERT_TRUE(m_server->start(*parseWebAddress(QStringLiteral("127.0.0.1:0"))).isEmpty());

    const HttpAnswer answer = send(httpGet("/api/stations?q=Caf%C3%A9%20jazz"));
    ASSERT_EQ(answer.status, 200) << answer.body.toStdString();
    const QJsonArray stations =
        QJsonDocument::fromJson(answer.body)[QLatin1String("data")][QLatin1String("stations")].toArray();
    ASSERT_EQ(stations.size(), 4);
    EXPECT_EQ(stations[0][QLatin1String("name")].toString(), QStringLiteral("Jazz Radio Café"));
    EXPECT_EQ(stations[0][QLatin1String("url")].toString(),
              QStringLiteral("http://jazz-wr01.ice.infomaniak.ch/jazz-wr01-128.mp3"));
    ASSERT_EQ(directoryServer.requests().size(), 1);
    EXPECT_TRUE(directoryServer.requests()[0].target.startsWith("/json/stations/search?name=Caf%C3%A9%20jazz&"));
}

} // namespace
} // namespace skywell::test

namespace skywell::test
{
namespace
{

TEST_F(WebServerTest, StopsWhileARequestWaitsForTheMainThread)
{
    start();
    // The main thread runs no events here: the status request waits for it
    // until the server stops, which must neither hang nor leave the client
    // without an end.
    const quint16 serverPort = port();
    auto answer = std::async(std::launch::async, [serverPort] {
        const int fd = openIdleConnection(serverPort);
        const QByteArray request = httpGet("/api/status");
        ::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL);
        char buffer[4096];
        QByteArray raw;
        for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
            raw.append(buffer, n);
        ::close(fd);
        return raw;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    m_server->stop();
    ASSERT_EQ(answer.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    const QByteArray raw = answer.get();
    EXPECT_TRUE(raw.isEmpty() || raw.startsWith("HTTP/1.1 503")) << raw.toStdString();
    EXPECT_TRUE(commandsReceived().isEmpty());
}

} // namespace
} // namespace skywell::test
