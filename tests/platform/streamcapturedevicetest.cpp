// The stream capture device against real streams: files made by ffmpeg at
// test time, served over HTTP on 127.0.0.1.
#include "platform/streamcapturetestsupport.h"
#include "support/runtool.h"
#include "support/tempenv.h"
#include "tuning/downloadtestserver.h"

#include <QProcess>

#include <algorithm>

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace skywell;
using namespace skywell::test;
using namespace std::chrono_literals;

namespace
{

constexpr double kToneRms = 0.3536; // half scale sine
constexpr double kToneSeconds = 3.0;

QByteArray mp3Tone(const TempFolder &dir, double seconds = kToneSeconds)
{
    return encodeTone(
        dir.path(), QStringLiteral("tone.mp3"),
        {QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QStringLiteral("-b:a"), QStringLiteral("128k")},
        seconds);
}

// Plays the address until the stream ends (or the connection closes),
// then stops.
void playToEnd(CapturedStream &capture, const QString &address,
               const QString &end = QStringLiteral("Stream dropped: the stream ended"))
{
    ASSERT_TRUE(capture.start(address));
    ASSERT_TRUE(capture.waitForLog(end)) << capture.log().join(u'\n').toStdString();
    capture.stop();
}

void expectTone(const CapturedStream &capture, int rate, double seconds = kToneSeconds)
{
    EXPECT_NEAR(capture.seconds(), seconds, 0.15);
    EXPECT_NEAR(capture.rms(), kToneRms, 0.02);
    const auto formats = capture.formats();
    const auto sizes = capture.sizes();
    ASSERT_FALSE(formats.empty());
    for (std::size_t i = 0; i < formats.size(); ++i) {
        EXPECT_EQ(formats[i], WaveFormat::pcm(rate, 2, 16)) << "block " << i;
        // 100 ms blocks; only the last before the end may be shorter.
        if (i + 1 < sizes.size()) {
            EXPECT_EQ(sizes[i], std::uint32_t(rate / 10 * 4)) << "block " << i;
        }
    }
}

struct CodecCase {
    const char *name;
    const char *file;
    QStringList args;
    int streamRate;
    int blockRate;
    const char *codecInLog;
};

void PrintTo(const CodecCase &c, std::ostream *os)
{
    *os << c.name;
}

class StreamCodecs : public ::testing::TestWithParam<CodecCase>
{
};

TEST_P(StreamCodecs, DecodeIntoToneBlocksOfTheRightRateAndLength)
{
    const CodecCase &c = GetParam();
    TempFolder dir;
    const QByteArray bytes = encodeTone(dir.path(), QString::fromLatin1(c.file), c.args, kToneSeconds, c.streamRate);
    ASSERT_FALSE(bytes.isEmpty());
    DownloadTestServer server;
    server.serve("/stream", bytes, 200, "audio/whatever");

    CapturedStream capture;
    playToEnd(capture, server.url(QStringLiteral("/stream")));
    expectTone(capture, c.blockRate);
    EXPECT_EQ(capture.logCount(QStringLiteral("Stream opened: %1 (%2, %3 Hz, ")
                                   .arg(server.url(QStringLiteral("/stream")), QLatin1String(c.codecInLog))
                                   .arg(c.streamRate)),
              1)
        << capture.log().join(u'\n').toStdString();
}

QStringList args(std::initializer_list<const char *> list)
{
    QStringList result;
    for (const char *a : list)
        result << QString::fromLatin1(a);
    return result;
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, StreamCodecs,
    ::testing::Values(
        CodecCase{"Mp3", "t.mp3", args({"-c:a", "libmp3lame", "-b:a", "128k"}), 44100, 44100, "mp3"},
        // 24 kHz belongs to the 48 kHz family.
        CodecCase{"Mp3At24k", "t.mp3", args({"-c:a", "libmp3lame", "-b:a", "64k"}), 24000, 48000, "mp3"},
        // Mono reaches both sides at full level.
        CodecCase{"Mp3Mono", "t.mp3", args({"-af", "pan=mono|c0=c0", "-c:a", "libmp3lame", "-b:a", "64k"}), 22050,
                  44100, "mp3"},
        CodecCase{"AacAdts", "t.aac", args({"-c:a", "aac", "-b:a", "96k", "-f", "adts"}), 44100, 44100, "aac"},
        CodecCase{"OggOpus", "t.opus", args({"-c:a", "libopus", "-b:a", "96k", "-f", "ogg"}), 48000, 48000, "opus"},
        CodecCase{"OggVorbis", "t.ogg", args({"-c:a", "libvorbis", "-q:a", "4"}), 44100, 44100, "vorbis"},
        CodecCase{"Flac", "t.flac", args({"-c:a", "flac"}), 44100, 44100, "flac"}),
    [](const auto &info) { return std::string(info.param.name); });

// The ways a station's address leads to its stream.
class StreamAddresses : public ::testing::TestWithParam<const char *>
{
};

TEST_P(StreamAddresses, LeadToTheStream)
{
    TempFolder dir;
    DownloadTestServer server;
    server.serve("/tone.mp3", mp3Tone(dir), 200, "audio/mpeg");
    const QByteArray stream = server.url(QStringLiteral("/tone.mp3")).toUtf8();
    server.serve("/list.pls", "[playlist]\nNumberOfEntries=1\nFile1=" + stream + "\nTitle1=Test\nVersion=2\n", 200,
                 "audio/x-scpls");
    server.serve("/list.m3u", "#EXTM3U\n#EXTINF:-1,Test\n" + stream + "\n", 200, "audio/x-mpegurl");
    // A playlist whose name does not say so; one in another.
    server.serve("/listen", "[playlist]\nFile1=/tone.mp3\n", 200, "audio/x-scpls");
    server.serve("/nested.pls", "[playlist]\nFile1=/list.m3u\n", 200, "text/plain");
    server.route("/moved", [](DownloadTestServer::Connection &c, const DownloadTestServer::Request &) {
        c.send(DownloadTestServer::statusLine(302) + "Location: /tone.mp3\r\nContent-Length: 0\r\n\r\n");
    });
    // HLS: a VOD playlist of one-second AAC segments.
    const QStringList hlsArgs = args({"-c:a", "aac", "-b:a", "96k", "-f", "hls", "-hls_time", "1", "-hls_playlist_type",
                                      "vod", "-hls_segment_filename"})
                                << dir.file(QStringLiteral("seg%d.ts"));
    const QByteArray m3u8 = encodeTone(dir.path(), QStringLiteral("live.m3u8"), hlsArgs, kToneSeconds);
    server.serve("/hls/live.m3u8", m3u8, 200, "application/vnd.apple.mpegurl");
    for (int i = 0; QFile::exists(dir.file(QStringLiteral("seg%1.ts").arg(i))); ++i)
        server.serve("/hls/seg" + QByteArray::number(i) + ".ts", readAll(dir.file(QStringLiteral("seg%1.ts").arg(i))),
                     200, "video/mp2t");

    CapturedStream capture;
    const QString address = server.url(QString::fromLatin1(GetParam()));
    playToEnd(capture, address);
    expectTone(capture, 44100);
    EXPECT_EQ(capture.logCount(QStringLiteral("Stream opened: %1 (").arg(address)), 1)
        << capture.log().join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, StreamAddresses,
    ::testing::Values("/list.pls", "/list.m3u", "/listen", "/nested.pls", "/moved", "/hls/live.m3u8"),
    [](const auto &info) {
        QString name = QString::fromLatin1(info.param).mid(1);
        name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('.'), QLatin1Char('_'));
        return name.toStdString();
    });

// An ICY station: MP3 at 16000 bytes a second with a metadata block every
// 8000 bytes; the title changes every two seconds.
void icyStation(const QByteArray &mp3, const QList<QByteArray> &titles, DownloadTestServer::Connection &c,
                const DownloadTestServer::Request &request)
{
    const bool icy = request.header("Icy-MetaData") == "1";
    QByteArray head = "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-name: Test Radio\r\n";
    if (icy)
        head += "icy-metaint: 8000\r\n";
    if (!c.send(head + "\r\n"))
        return;
    QByteArray sent;
    for (qsizetype at = 0; at < mp3.size(); at += 8000) {
        QByteArray chunk = mp3.mid(at, 8000);
        if (icy && chunk.size() == 8000) {
            const qsizetype index = qMin<qsizetype>((at + 8000) / 32000, titles.size() - 1);
            QByteArray meta = "StreamTitle='" + titles[index] + "';";
            if (meta == sent) {
                chunk += '\0';
            } else {
                sent = meta;
                meta.append(QByteArray((16 - meta.size() % 16) % 16, '\0'));
                chunk += char(meta.size() / 16) + meta;
            }
        }
        if (!c.send(chunk))
            return;
    }
}

TEST(StreamCapture, IcyTitlesMarkTheBlocksWhereTheyChange)
{
    TempFolder dir;
    const QByteArray mp3 = mp3Tone(dir, 6.0);
    const QList<QByteArray> titles{"First Song", "Second \xE2\x80\x93 S\xC3\xB3ng's", "Th\x01ird\x1b[2J \xFF title"};
    DownloadTestServer server;
    server.route("/radio", [&](auto &c, const auto &request) { icyStation(mp3, titles, c, request); });

    CapturedStream capture;
    // The server closes the connection without a length: a drop.
    playToEnd(capture, server.url(QStringLiteral("/radio")), QStringLiteral("Stream dropped: "));
    const auto marks = capture.titles();
    ASSERT_EQ(marks.size(), 3u) << capture.log().join(u'\n').toStdString();
    EXPECT_EQ(marks[0].second, QStringLiteral("First Song"));
    EXPECT_EQ(marks[1].second, QStringLiteral(u"Second – Sóng's"));
    EXPECT_EQ(marks[2].second, QStringLiteral(u"Th ird [2J ÿ title"));
    // The first title comes with the first metadata block (0.5 s), the
    // others where they change (2 s, 4 s: block 19 or 20, 39 or 40), not
    // when the connection read them ahead of the audio.
    EXPECT_LE(marks[0].first, 6u);
    EXPECT_NEAR(double(marks[1].first), 19.5, 1.0);
    EXPECT_NEAR(double(marks[2].first), 39.5, 1.0);
    EXPECT_EQ(capture.logCount(QStringLiteral("Station title: ")), 3);
    EXPECT_TRUE(capture.log().contains(QStringLiteral(u"Station title: Th ird [2J ÿ title")));
    EXPECT_NEAR(capture.rms(), kToneRms, 0.02);
}

TEST(StreamCapture, OggTitlesMarkEachLinkOfAChainedStream)
{
    TempFolder dir;
    QByteArray chain;
    for (const char *title : {"One", "Two"})
        chain += encodeTone(
            dir.path(), QString::fromLatin1(title) + QStringLiteral(".ogg"), args({"-c:a", "libvorbis"}), 2.0, 44100,
            args({"-metadata", "artist=Band", "-metadata"}) << QStringLiteral("title=%1").arg(QLatin1String(title)));
    DownloadTestServer server;
    server.serve("/chain.ogg", chain, 200, "audio/ogg");

    CapturedStream capture;
    playToEnd(capture, server.url(QStringLiteral("/chain.ogg")));
    const auto marks = capture.titles();
    ASSERT_EQ(marks.size(), 2u) << capture.log().join(u'\n').toStdString();
    EXPECT_EQ(marks[0], std::make_pair(std::size_t(0), QStringLiteral("Band - One")));
    EXPECT_EQ(marks[1].second, QStringLiteral("Band - Two"));
    EXPECT_NEAR(double(marks[1].first), 20.0, 1.0);
    EXPECT_NEAR(capture.seconds(), 4.0, 0.15);
}

TEST(StreamCapture, GarbledAndTruncatedFramesAreSkipped)
{
    TempFolder dir;
    QByteArray mp3 = mp3Tone(dir);
    // Noise over a stretch in the middle and a cut through the last frame.
    for (qsizetype i = 20000; i < 21000; ++i)
        mp3[i] = char((i * 7919) & 0xff);
    mp3.chop(200);
    DownloadTestServer server;
    server.serve("/garbled.mp3", mp3, 200, "audio/mpeg");

    CapturedStream capture;
    playToEnd(capture, server.url(QStringLiteral("/garbled.mp3")));
    EXPECT_NEAR(capture.seconds(), kToneSeconds, 0.3);
    EXPECT_GT(capture.rms(), 0.3);
}

TEST(StreamCapture, ACodecChangeMidStreamKeepsTheBlockFormat)
{
    TempFolder dir;
    // A Vorbis link at 44.1 kHz, then an Opus link at 48 kHz.
    const QByteArray chain =
        encodeTone(dir.path(), QStringLiteral("a.ogg"), args({"-c:a", "libvorbis"}), 2.0) +
        encodeTone(dir.path(), QStringLiteral("b.opus"), args({"-c:a", "libopus", "-f", "ogg"}), 2.0, 48000);
    DownloadTestServer server;
    server.serve("/change.ogg", chain, 200, "audio/ogg");

    CapturedStream capture;
    ASSERT_TRUE(capture.start(server.url(QStringLiteral("/change.ogg"))));
    ASSERT_TRUE(capture.waitForLog(QStringLiteral("Stream dropped: ")));
    capture.stop();
    for (const WaveFormat &f : capture.formats())
        EXPECT_EQ(f, WaveFormat::pcm(44100, 2, 16));
    // At least the first link plays; the second either plays (resampled)
    // or ends the opening with a reason.
    EXPECT_GE(capture.seconds(), 1.9);
    EXPECT_NEAR(capture.rms(), kToneRms, 0.03);
}

TEST(StreamCapture, ARateChangeMidStreamIsResampled)
{
    TempFolder dir;
    // Two Vorbis links, the second at 16 kHz: resampled to the first
    // link's rate, not played faster.
    const QByteArray chain = encodeTone(dir.path(), QStringLiteral("a.ogg"), args({"-c:a", "libvorbis"}), 1.0) +
                             encodeTone(dir.path(), QStringLiteral("b.ogg"), args({"-c:a", "libvorbis"}), 2.0, 16000);
    DownloadTestServer server;
    server.serve("/change.ogg", chain, 200, "audio/ogg");

    CapturedStream capture;
    playToEnd(capture, server.url(QStringLiteral("/change.ogg")));
    EXPECT_EQ(capture.logCount(QStringLiteral("Stream dropped: ")), 1) << capture.log().join(u'\n').toStdString();
    expectTone(capture, 44100);
}

TEST(StreamCapture, AReopeningAtAnotherRateKeepsTheFirstRate)
{
    TempFolder dir;
    const QByteArray first = mp3Tone(dir, 1.0);
    const QByteArray second = encodeTone(dir.path(), QStringLiteral("b.ogg"), args({"-c:a", "libvorbis"}), 1.0, 48000);
    std::atomic<int> requests{0};
    DownloadTestServer server;
    server.route("/station", [&](DownloadTestServer::Connection &c, const DownloadTestServer::Request &) {
        const QByteArray &body = requests++ == 0 ? first : second;
        c.send(DownloadTestServer::statusLine(200) + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" +
               body);
    });

    CapturedStream capture;
    ASSERT_TRUE(capture.start(server.url(QStringLiteral("/station"))));
    ASSERT_TRUE(capture.waitForLog(QStringLiteral("Stream dropped: the stream ended"), 2));
    capture.stop();
    EXPECT_EQ(capture.logCount(QStringLiteral("Reopening the stream in 1 second")), 1);
    EXPECT_EQ(capture.logCount(QStringLiteral("Reopening the stream in 2 seconds")), 1);
    for (const WaveFormat &f : capture.formats())
        EXPECT_EQ(f, WaveFormat::pcm(44100, 2, 16));
    // The 48 kHz second second is resampled, not sped up or dropped.
    EXPECT_NEAR(capture.seconds(), 2.0, 0.15);
    EXPECT_NEAR(capture.rms(), kToneRms, 0.02);
}

// Addresses that never give audio: a log line per attempt, no blocks.
TEST(StreamCapture, PagesRedirectLoopsAndMissingStreamsGiveReasons)
{
    DownloadTestServer server;
    QByteArray page;
    for (int i = 0; i < 50; ++i)
        page += "<!DOCTYPE html><html><head><title>Listen</title></head><body><p>Player</p></body></html>\n";
    server.serve("/page.html", page, 200, "text/html; charset=utf-8");
    server.route("/loop", [](DownloadTestServer::Connection &c, const DownloadTestServer::Request &) {
        c.send(DownloadTestServer::statusLine(302) + "Location: /loop\r\nContent-Length: 0\r\n\r\n");
    });
    server.serve("/empty.pls", "[playlist]\nNumberOfEntries=0\n", 200, "audio/x-scpls");

    struct Case {
        QString path;
        QString reason;
    };
    for (const Case &c : {Case{QStringLiteral("/page.html"), QStringLiteral("no audio stream found (text/html")},
                          Case{QStringLiteral("/loop"), QString()},
                          Case{QStringLiteral("/missing.mp3"), QStringLiteral("Server returned 404 Not Found")},
                          Case{QStringLiteral("/empty.pls"), QStringLiteral("the playlist names no stream")}}) {
        CapturedStream capture;
        const QString address = server.url(c.path);
        ASSERT_TRUE(capture.start(address));
        ASSERT_TRUE(capture.waitForLog(QStringLiteral("Reopening the stream in 1 second")));
        capture.stop();
        const QStringList log = capture.log();
        ASSERT_GE(log.size(), 2);
        EXPECT_TRUE(log[0].startsWith(QStringLiteral("Stream could not be opened: %1: %2").arg(address, c.reason)))
            << log[0].toStdString();
        EXPECT_EQ(capture.blockCount(), 0u);
    }
}

TEST(StreamCapture, ASilentServerTimesOutAndStopIsPrompt)
{
    DownloadTestServer server;
    server.route("/silent",
                 [](DownloadTestServer::Connection &c, const DownloadTestServer::Request &) { c.pause(600000); });
    // Headers, then nothing.
    server.route("/stalls", [](DownloadTestServer::Connection &c, const DownloadTestServer::Request &) {
        c.send(DownloadTestServer::statusLine(200) + "Content-Type: audio/mpeg\r\n\r\n");
        c.pause(600000);
    });
    // A byte now and then, never audio.
    server.route("/trickle", [](DownloadTestServer::Connection &c, const DownloadTestServer::Request &) {
        c.send(DownloadTestServer::statusLine(200) + "Content-Type: audio/mpeg\r\n\r\n");
        while (c.pause(300) && c.send(QByteArray(1, 'x'))) {
        }
    });
    for (const char *path : {"/silent", "/stalls", "/trickle"}) {
        CapturedStream capture;
        capture.device.setTimeout(1s);
        ASSERT_TRUE(capture.start(server.url(QString::fromLatin1(path))));
        ASSERT_TRUE(capture.waitForLog(QStringLiteral("Reopening the stream in 1 second"), 1, 20s)) << path;
        capture.stop();
        EXPECT_EQ(capture.blockCount(), 0u);
    }

    // With the usual long timeout, stop() in the middle of the connect
    // ends the wait.
    CapturedStream waiting;
    ASSERT_TRUE(waiting.start(server.url(QStringLiteral("/silent"))));
    std::this_thread::sleep_for(500ms);
    const auto before = std::chrono::steady_clock::now();
    waiting.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
    EXPECT_TRUE(waiting.log().isEmpty());
}

TEST(StreamCapture, AddressesAsUsersTypeThemPlay)
{
    TempFolder dir;
    DownloadTestServer server;
    server.serve("/tone.mp3", mp3Tone(dir, 1.0), 200, "audio/mpeg");
    for (const QString &typed :
         {QStringLiteral(" 127.0.0.1:%1/tone.mp3 "), QStringLiteral("HTTP://127.0.0.1:%1/tone.mp3")}) {
        CapturedStream capture;
        playToEnd(capture, typed.arg(server.port()));
        EXPECT_NEAR(capture.seconds(), 1.0, 0.15) << typed.toStdString();
    }
}

TEST(StreamCapture, RefusesAddressesItCanNeverOpen)
{
    CapturedStream capture;
    EXPECT_FALSE(capture.start(QString()));
    EXPECT_FALSE(capture.start(QStringLiteral("   ")));
    EXPECT_FALSE(capture.start(QStringLiteral("ftp://host/stream")));
    EXPECT_FALSE(capture.start(QStringLiteral("http://")));
}

TEST(StreamCapture, RealTimePaceHoldsAFastServerBackAfterTheBurst)
{
    TempFolder dir;
    DownloadTestServer server;
    server.serve("/long.mp3", mp3Tone(dir, 12.0), 200, "audio/mpeg");
    CapturedStream capture(StreamCaptureDevice::Pace::RealTime);
    ASSERT_TRUE(capture.start(server.url(QStringLiteral("/long.mp3"))));
    ASSERT_TRUE(capture.waitForAudio(4.0));
    std::this_thread::sleep_for(1s);
    // About five seconds ahead of the clock, not the whole file at once.
    EXPECT_LT(capture.seconds(), 9.0);
    capture.stop();
}

TEST(StreamCapture, PlaysOverHttps)
{
    TempFolder dir;
    mp3Tone(dir);
    const QString cert = dir.file(QStringLiteral("cert.pem")), key = dir.file(QStringLiteral("key.pem"));
    ASSERT_TRUE(
        runTool(QStringLiteral("openssl"),
                {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                 QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("1"), QStringLiteral("-subj"),
                 QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-keyout"), key, QStringLiteral("-out"), cert}));
    // Python's file server behind TLS with a self-signed certificate.
    const QString script =
        QStringLiteral("import http.server, os, ssl, sys\n"
                       "os.chdir(sys.argv[1])\n"
                       "class H(http.server.SimpleHTTPRequestHandler):\n"
                       "    def log_message(self, *a): pass\n"
                       "s = http.server.ThreadingHTTPServer(('127.0.0.1', 0), H)\n"
                       "c = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER); c.load_cert_chain(sys.argv[2], sys.argv[3])\n"
                       "s.socket = c.wrap_socket(s.socket, server_side=True)\n"
                       "open(sys.argv[4] + '.tmp', 'w').write(str(s.server_address[1]))\n"
                       "os.rename(sys.argv[4] + '.tmp', sys.argv[4])\n"
                       "s.serve_forever()\n");
    QProcess server;
    server.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"), script, dir.path(), cert, key, dir.file(QStringLiteral("port"))});
    for (int i = 0; i < 200 && !QFile::exists(dir.file(QStringLiteral("port"))); ++i)
        std::this_thread::sleep_for(50ms);
    const QString port = QString::fromLatin1(readAll(dir.file(QStringLiteral("port"))));
    ASSERT_FALSE(port.isEmpty());

    CapturedStream capture;
    playToEnd(capture, QStringLiteral("https://127.0.0.1:%1/tone.mp3").arg(port));
    expectTone(capture, 44100);
    server.kill();
    server.waitForFinished();
}

quint16 freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

// The loopback radio of the end-to-end tests (tests/e2e/streamserver.py).
class Radio
{
public:
    Radio(const QString &mp3, quint16 port, const QString &portFile)
    {
        QFile::remove(portFile);
        m_process.start(QStringLiteral("python3"), {QString::fromLatin1(SKYWELL_STREAM_SERVER), mp3, portFile,
                                                    QStringLiteral("Radio Title"), QString::number(port)});
        for (int i = 0; i < 200 && !QFile::exists(portFile); ++i)
            std::this_thread::sleep_for(50ms);
    }
    ~Radio() { kill(); }
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

TEST(StreamCapture, ADroppedStationIsReopenedAndPlaysAgain)
{
    TempFolder dir;
    mp3Tone(dir, 4.0);
    const quint16 port = freePort();
    const QString address = QStringLiteral("http://127.0.0.1:%1/stream.mp3").arg(port);
    auto radio = std::make_unique<Radio>(dir.file(QStringLiteral("tone.mp3")), port, dir.file(QStringLiteral("port")));

    CapturedStream capture;
    ASSERT_TRUE(capture.start(address));
    ASSERT_TRUE(capture.waitForAudio(1.5));
    radio.reset(); // killed mid-stream
    ASSERT_TRUE(capture.waitForLog(QStringLiteral("Stream dropped: ")));
    ASSERT_TRUE(capture.waitForLog(QStringLiteral("Stream could not be opened: %1: Connection refused").arg(address)))
        << capture.log().join(u'\n').toStdString();
    const std::size_t blocksBefore = capture.blockCount();
    radio = std::make_unique<Radio>(dir.file(QStringLiteral("tone.mp3")), port, dir.file(QStringLiteral("port")));
    ASSERT_TRUE(capture.waitForLog(QStringLiteral("Stream opened: "), 2, 40s))
        << capture.log().join(u'\n').toStdString();
    ASSERT_TRUE(capture.waitForAudio(capture.seconds() + 1.0));
    capture.stop();

    EXPECT_GT(capture.rms(blocksBefore), 0.3);
    const QStringList log = capture.log();
    EXPECT_EQ(log.filter(QStringLiteral("Reopening the stream in 1 second")).size(), 1);
    EXPECT_EQ(capture.titles().front().second, QStringLiteral("Radio Title"));
    // The title marks the first block after the reopening again.
    EXPECT_EQ(capture.titles().back().first, blocksBefore);
}

} // namespace

// A station playlist whose first stream is down: the next one plays, the
// log names the stream that failed (not the playlist), and every opening
// tries the streams in order again.
TEST(StreamCapture, APlaylistWhoseFirstStreamIsDownPlaysTheNext)
{
    TempFolder dir;
    DownloadTestServer server;
    server.serve("/tone.mp3", mp3Tone(dir, 1.0), 200, "audio/mpeg");
    const QByteArray good = server.url(QStringLiteral("/tone.mp3")).toUtf8();
    const QString refused = QStringLiteral("http://127.0.0.1:%1/live").arg(freePort());
    const QString missing = server.url(QStringLiteral("/gone.mp3"));
    server.serve("/down.pls", "[playlist]\nFile1=" + refused.toUtf8() + "\nFile2=" + good + "\n", 200, "audio/x-scpls");
    server.serve("/down.m3u", "#EXTM3U\n" + missing.toUtf8() + "\n" + good + "\n", 200, "audio/x-mpegurl");

    struct Case {
        const char *path;
        QString failure;
    };
    for (const Case &c : {Case{"/down.pls", refused + QStringLiteral(": Connection refused")},
                          Case{"/down.m3u", missing + QStringLiteral(": Server returned 404 Not Found")}}) {
        CapturedStream capture;
        const QString address = server.url(QString::fromLatin1(c.path));
        ASSERT_TRUE(capture.start(address));
        // The one-second tone ends, and the playlist is opened again.
        const QString opened = QStringLiteral("Stream opened: %1 (").arg(address);
        ASSERT_TRUE(capture.waitForLog(opened, 2)) << capture.log().join(u'\n').toStdString();
        capture.stop();
        const QStringList log = capture.log();
        const auto count = [&](const QString &prefix) {
            return std::count_if(log.begin(), log.end(), [&](const QString &line) { return line.startsWith(prefix); });
        };
        // Each opening met the failed stream before the one that plays.
        EXPECT_GE(count(QStringLiteral("Stream could not be opened: ") + c.failure), count(opened))
            << log.join(u'\n').toStdString();
        EXPECT_EQ(count(QStringLiteral("Stream could not be opened: %1").arg(address)), 0);
        EXPECT_NEAR(capture.rms(), kToneRms, 0.02);
    }
}
