// Download and catalogue figures: a long body from a loopback server
// (throughput, and the peak memory of the process before and after, which
// must not grow with the body's length), and loading a catalogue of a
// million lines.
//   skywell_downloadbench WORKDIR [MEGABYTES]
#include "benchsupport.h"
#include "platform/curltransfer.h"
#include "tuning/cataloguemodel.h"
#include "tuning/download.h"
#include "tuning/downloadtestserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdlib>
#include <fstream>
#include <string>

using namespace skywell;

namespace
{

// Peak resident memory of this process in kB.
long peakKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

double downloadSeconds(test::DownloadTestServer &server, const QString &work, qint64 megabytes)
{
    DownloadSetup setup;
    setup.transfers = makeCurlTransfer;
    DownloadRequest request;
    request.address = server.url(QStringLiteral("/mb/") + QString::number(megabytes));
    request.path = work + QStringLiteral("/download.bin");
    QElapsedTimer timer;
    timer.start();
    const DownloadResult result = downloadToFile(setup, request);
    const double seconds = timer.elapsed() / 1000.0;
    if (!result.complete() || result.bytes != megabytes * 1024 * 1024)
        std::fprintf(stderr, "download of %lld MB failed\n", static_cast<long long>(megabytes));
    QFile::remove(request.path);
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WORKDIR [MEGABYTES]\n", argv[0]);
        return 2;
    }
    const QString work = QString::fromLocal8Bit(argv[1]);
    const qint64 megabytes = argc > 2 ? std::atoll(argv[2]) : 1024;

    test::DownloadTestServer server;
    const QByteArray block(1024 * 1024, 'b');
    for (qint64 size : {qint64(5), megabytes})
        server.route("/mb/" + QByteArray::number(size),
                     [block, size](test::DownloadTestServer::Connection &c, const test::DownloadTestServer::Request &) {
                         c.send(test::DownloadTestServer::statusLine(200) +
                                "Content-Length: " + QByteArray::number(size * 1024 * 1024) + "\r\n\r\n");
                         for (qint64 i = 0; i < size && c.send(block); ++i) {
                         }
                     });

    downloadSeconds(server, work, 5);
    const long peakAfterSmall = peakKilobytes();
    const double seconds = downloadSeconds(server, work, megabytes);
    const long peakAfterLarge = peakKilobytes();
    bench::print("download_mb", double(megabytes));
    bench::print("download_mb_per_s", megabytes / seconds);
    bench::print("download_peak_growth_kb_after_5mb_to_large", double(peakAfterLarge - peakAfterSmall));

    const QString catalogue = work + QStringLiteral("/stations.txt");
    {
        QFile file(catalogue);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        for (int i = 0; i < 1000000; ++i)
            file.write("Station " + QByteArray::number(i) + "|http://s.example/" + QByteArray::number(i) +
                       "|0100|0200|MTWTFSS|N|W\n");
    }
    QElapsedTimer timer;
    timer.start();
    CatalogueModel model(CatalogueMode::Station, work + QLatin1Char('/'));
    model.reload();
    bench::print("catalogue_million_lines_load_s", timer.elapsed() / 1000.0);
    QFile::remove(catalogue);
    return model.names().size() == 1000000 ? 0 : 1;
}
