#include "integration/station.h"

#include "support/eventloop.h"

#include <QFile>

#include <cmath>
#include <unistd.h>

namespace skywell::test
{

namespace
{

bool runQuiet(const QString &program, const QStringList &arguments, QByteArray *output = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return false;
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

double recordedLevel(const QString &sink, int milliseconds)
{
    QProcess parec;
    parec.start(QStringLiteral("parec"),
                {QStringLiteral("-d"), sink + QStringLiteral(".monitor"), QStringLiteral("--raw"),
                 QStringLiteral("--format=s16le"), QStringLiteral("--rate=44100"), QStringLiteral("--channels=2"),
                 QStringLiteral("--latency-msec=50")});
    if (!parec.waitForStarted(5000))
        return -1;
    QByteArray data;
    spinUntil(
        [&] {
            data += parec.readAllStandardOutput();
            return false;
        },
        milliseconds);
    parec.terminate();
    parec.waitForFinished(3000);
    data += parec.readAllStandardOutput();
    const auto *samples = reinterpret_cast<const qint16 *>(data.constData());
    const qsizetype count = data.size() / 2;
    double sum = 0;
    for (qsizetype i = 0; i < count; ++i)
        sum += double(samples[i]) * samples[i];
    return count ? std::sqrt(sum / count) / 32768.0 : 0;
}

Station::Station()
{
    const QString tone = folder.file(QStringLiteral("tone.wav"));
    const QString mp3 = folder.file(QStringLiteral("tone.mp3"));
    ready = runQuiet(QStringLiteral("sox"),
                     {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"), QStringLiteral("-c"),
                      QStringLiteral("2"), QStringLiteral("-b"), QStringLiteral("16"), tone, QStringLiteral("synth"),
                      QStringLiteral("5"), QStringLiteral("sine"), QStringLiteral("440"), QStringLiteral("vol"),
                      QStringLiteral("0.5")}) &&
            runQuiet(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-t"), QStringLiteral("-b"),
                                              QStringLiteral("128"), QStringLiteral("--cbr"), tone, mp3});
    const QString portFile = folder.file(QStringLiteral("port"));
    server.setProcessChannelMode(QProcess::ForwardedChannels);
    server.start(QStringLiteral("python3"), {qEnvironmentVariable("STREAM_SERVER"), mp3, portFile, kStationTitle});
    ready = ready && server.waitForStarted(5000) && spinUntil([&] { return QFile::exists(portFile); }, 10000);
    port = QString::fromUtf8(readAll(portFile)).toInt();
    sink = QStringLiteral("tuning_test_%1").arg(::getpid());
    QByteArray module;
    ready = ready && runQuiet(QStringLiteral("pactl"),
                              {QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                               QStringLiteral("sink_name=") + sink},
                              &module);
    moduleIndex = QString::fromUtf8(module).trimmed();
}

Station::~Station()
{
    if (!moduleIndex.isEmpty())
        runQuiet(QStringLiteral("pactl"), {QStringLiteral("unload-module"), moduleIndex});
    server.kill();
    server.waitForFinished(3000);
}

} // namespace skywell::test
