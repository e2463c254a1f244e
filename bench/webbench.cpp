// GET /api/status over loopback, as fast as two clients on kept-alive
// connections can ask, while a stream recording runs in the same process:
// a 128 kbit/s MP3 file decoded at the stream's own pace, its blocks
// processed on the main thread (as in the program) into an FM-quality MP3,
// the same thread that answers each status request.
//
//   skywell_webbench WORKDIR [seconds]
//
// Prints "web-status-requests-per-s: <rate>"; fails when the recording
// lost audio (decoded seconds short of the stream's by more than one).
#include "benchblockpath.h"
#include "benchsupport.h"
#include "control/controlservice.h"
#include "platform/streamcapturedevice.h"
#include "shows/show.h"
#include "web/webserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTimer>

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace skywell;
using namespace skywell::bench;

namespace
{

// Answers status from the recording in progress.
class BenchControl final : public ControlService
{
public:
    explicit BenchControl(const RecordingSession &session) : m_session(session) {}
    ControlReply handle(const ControlRequest &) override
    {
        const QJsonObject running{{QStringLiteral("show"), m_session.name},
                                  {QStringLiteral("seconds"), static_cast<qint64>(m_session.trackMs / 1000)},
                                  {QStringLiteral("level"), 0.5}};
        return {ControlStatus::Done, {}, QJsonObject{{QStringLiteral("running"), QJsonArray{running}}}};
    }

private:
    const RecordingSession &m_session;
};

// Asks for the status on one kept-alive connection until told to stop;
// the number of complete answers.
long askStatus(quint16 port, const std::atomic<bool> &stop)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        return 0;
    const QByteArray request = "GET /api/status HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    long answers = 0;
    QByteArray buffer;
    char chunk[8192];
    while (!stop) {
        if (::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL) != request.size())
            break;
        for (;;) { // one answer: its head, then Content-Length bytes
            const qsizetype end = buffer.indexOf("\r\n\r\n");
            if (end >= 0) {
                const qsizetype at = buffer.toLower().indexOf("content-length:");
                const qsizetype length =
                    at >= 0 ? buffer.mid(at + 15, buffer.indexOf('\r', at) - at - 15).trimmed().toLongLong() : 0;
                if (buffer.size() >= end + 4 + length) {
                    answers += buffer.startsWith("HTTP/1.1 200");
                    buffer.remove(0, end + 4 + length);
                    break;
                }
            }
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0) {
                ::close(fd);
                return answers;
            }
            buffer.append(chunk, n);
        }
    }
    ::close(fd);
    return answers;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WORKDIR [seconds]\n", argv[0]);
        return 2;
    }
    const QString dir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + QLatin1Char('/');
    const int seconds = argc > 2 ? std::max(5, std::atoi(argv[2])) : 20;
    const QString stream = dir + QStringLiteral("webbench.mp3");
    if (QProcess::execute(QStringLiteral("ffmpeg"),
                          {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
                           QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                           QStringLiteral("sine=frequency=440:duration=%1:sample_rate=44100").arg(seconds),
                           QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("-b:a"), QStringLiteral("128k"),
                           stream}) != 0) {
        std::fprintf(stderr, "cannot make %s with ffmpeg\n", qPrintable(stream));
        return 1;
    }

    BenchBlockPath path(dir, QStringLiteral("web"), OUT_MP3_FM);
    BenchControl control(path.session);
    WebServer server(control, path.log);
    server.setRecordingsFolder(path.settings.mp3Folder);
    WebAddress address;
    address.host = QHostAddress::LocalHost;
    if (const QString error = server.start(address); !error.isEmpty()) {
        std::fprintf(stderr, "web server: %s\n", qPrintable(error));
        return 1;
    }

    double audio = 0;
    path.processor.startCapture(QString());
    QObject context;
    StreamCaptureDevice device([&](const QString &line) {
        std::fprintf(stderr, "stream: %s\n", qPrintable(line));
        if (line.startsWith(QLatin1String("Stream dropped: the stream ended")))
            QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    device.start(stream, [&](CaptureBlockPtr block) {
        // Blocks are processed on the main thread, as the program does.
        QMetaObject::invokeMethod(&context, [&, block = std::move(block)] {
            audio += double(block->sampleBytes()) / block->format().avgBytesPerSec;
            path.processor.processBlock(*block);
        });
    });

    std::atomic<bool> stop{false};
    std::atomic<long> answers{0};
    QElapsedTimer timer;
    timer.start();
    std::vector<std::thread> clients;
    for (int i = 0; i < 2; ++i)
        clients.emplace_back([&] { answers += askStatus(server.port(), stop); });
    QTimer::singleShot((seconds + 30) * 1000, &app, &QCoreApplication::quit); // a stream that never ends
    app.exec();
    stop = true;
    const double elapsed = timer.elapsed() / 1000.0;
    // Status requests wait for the main thread, which no longer answers:
    // the server ends them and their connections.
    server.stop();
    for (std::thread &client : clients)
        client.join();
    device.stop();
    QCoreApplication::processEvents(); // blocks still queued
    path.processor.finishRecording(false, true);

    std::fprintf(stderr, "web: %ld status answers in %.1f s; recorded %.1f s of %d s\n", answers.load(), elapsed, audio,
                 seconds);
    if (audio < seconds - 1.0) {
        std::fprintf(stderr, "web: the recording lost audio\n");
        return 1;
    }
    print("web-status-requests-per-s", answers / elapsed);
    return 0;
}
