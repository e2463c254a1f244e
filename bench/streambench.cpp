// One hour of a 128 kbit/s MP3 stream read from a local file at full
// speed: decoded by the stream capture device and written to MP3 (FM
// quality) through block processing, against the ffmpeg command line
// doing the same decode and encode (libmp3lame, 64 kbit/s, 44.1 kHz,
// plain stereo, LAME's default quality: the FM settings). Then the same
// hour kept as broadcast (the station's frames written as they come,
// nothing decoded) with a new station title, and so a new track, every
// five minutes, against `ffmpeg -c copy` of the hour.
//
//   skywell_streambench WORKDIR [minutes]
//
// Prints "stream-capture-vs-ffmpeg: <ratio>" (the CPU time of Skywell's
// FM path over ffmpeg's), "as-broadcast-vs-ffmpeg-copy: <ratio>" and
// "as-broadcast-vs-reencode: <ratio>" (the kept path over ffmpeg's copy
// and over Skywell's FM path): user + system seconds, the better of two
// alternated runs of each; the seconds themselves go to standard error.
#include "benchblockpath.h"
#include "benchsupport.h"
#include "core/activitylog.h"
#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "platform/streamcapturedevice.h"
#include "recording/blockprocessor.h"
#include "recording/capturequeue.h"
#include "recording/recordingsession.h"
#include "recording/trackdelivery.h"
#include "shows/show.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <condition_variable>
#include <deque>
#include <mutex>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

using namespace skywell;
using namespace skywell::bench;

namespace
{

// Runs a program to its end; its CPU seconds, or a negative number when it failed.
double childCpu(const QStringList &arguments)
{
    std::vector<QByteArray> bytes;
    for (const QString &a : arguments)
        bytes.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Music-like test signal: pink noise under a wandering two-tone chord,
// slightly different on each side.
bool makeStream(const QString &path)
{
    if (QFile::exists(path))
        return true;
    const QString seconds = QString::number(g_minutes * 60);
    const QString tmp = path + QStringLiteral(".part.mp3");
    const double cpu =
        childCpu({QStringLiteral("ffmpeg"),
                  QStringLiteral("-nostdin"),
                  QStringLiteral("-v"),
                  QStringLiteral("error"),
                  QStringLiteral("-y"),
                  QStringLiteral("-f"),
                  QStringLiteral("lavfi"),
                  QStringLiteral("-i"),
                  QStringLiteral("anoisesrc=color=pink:amplitude=0.15:sample_rate=44100:duration=") + seconds,
                  QStringLiteral("-f"),
                  QStringLiteral("lavfi"),
                  QStringLiteral("-i"),
                  QStringLiteral("aevalsrc=0.2*sin(2*PI*(220+30*sin(0.1*t))*t)+0.1*sin(2*PI*330*t)|"
                                 "0.2*sin(2*PI*(220+30*sin(0.1*t))*t)+0.1*sin(2*PI*440*t):s=44100:d=") +
                      seconds,
                  QStringLiteral("-filter_complex"),
                  QStringLiteral("[0]pan=stereo|c0=c0|c1=c0[n];[n][1]amix=inputs=2:normalize=0"),
                  QStringLiteral("-c:a"),
                  QStringLiteral("libmp3lame"),
                  QStringLiteral("-b:a"),
                  QStringLiteral("128k"),
                  QStringLiteral("-ar"),
                  QStringLiteral("44100"),
                  QStringLiteral("-ac"),
                  QStringLiteral("2"),
                  tmp});
    return cpu >= 0 && QFile::rename(tmp, path);
}

// Seconds of audio between two station titles on the kept path.
constexpr double kTitleSeconds = 300;

// Skywell: the stream device decodes on its thread (or, kept as
// broadcast, only hands on the packets), block processing writes the
// tracks on this one; a short queue between them keeps memory bounded.
double skywellCpu(const QString &stream, const QString &dir, bool asBroadcast)
{
    BenchBlockPath path(dir, QStringLiteral("stream"), asBroadcast ? OUT_AS_BROADCAST | OPT_TITLE_SPLIT : OUT_MP3_FM);
    RecordingSession &session = path.session;
    BlockProcessor &processor = path.processor;

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<CaptureBlockPtr> blocks;
    bool ended = false;
    QString failure;
    constexpr std::size_t kMaxQueued = 50;

    const double start = cpuSeconds();
    processor.startCapture(QString());
    StreamCaptureDevice device(
        [&](const QString &line) {
            std::lock_guard lock(mutex);
            if (line.startsWith(QLatin1String("Stream dropped")) || line.startsWith(QLatin1String("Stream could not")))
                ended = true;
            if (!line.startsWith(QLatin1String("Stream dropped: the stream ended")) &&
                !line.startsWith(QLatin1String("Stream opened")) && !line.startsWith(QLatin1String("Reopening")))
                failure = line;
            changed.notify_all();
        },
        StreamCaptureDevice::Pace::AsFastAsPossible);
    device.setKeepPackets(asBroadcast);
    device.setLevelsWanted(!asBroadcast);
    device.start(stream, [&](CaptureBlockPtr block) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return blocks.size() < kMaxQueued; });
        blocks.push_back(std::move(block));
        changed.notify_all();
    });
    double audio = 0;
    double nextTitle = 0;
    int titles = 0;
    for (;;) {
        CaptureBlockPtr block;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return !blocks.empty() || ended; });
            if (blocks.empty())
                break;
            block = std::move(blocks.front());
            blocks.pop_front();
            changed.notify_all();
        }
        if (asBroadcast && audio >= nextTitle) {
            block->setStationTitle(QStringLiteral("Bench Artist - Title %1").arg(++titles));
            nextTitle += kTitleSeconds;
        }
        if (const StreamPacket *packet = block->packet())
            audio += double(packet->samples) / block->packetFormat()->granuleRate();
        else
            audio += double(block->sampleBytes()) / block->format().avgBytesPerSec;
        processor.processBlock(*block);
    }
    device.stop();
    processor.finishRecording(false, true);
    const double seconds = cpuSeconds() - start;
    if (!failure.isEmpty())
        std::fprintf(stderr, "stream: %s\n", qPrintable(failure));
    if (!session.outcomeText.isEmpty())
        std::fprintf(stderr, "block path: %s\n", qPrintable(session.outcomeText));
    if (asBroadcast) {
        // The tracks together hold the stream's bytes (its frames as sent).
        qint64 bytes = 0;
        int tracks = 0;
        for (QDirIterator it(dir, {QStringLiteral("*.mp3")}, QDir::Files, QDirIterator::Subdirectories);
             it.hasNext();) {
            bytes += QFileInfo(it.next()).size();
            ++tracks;
        }
        const qint64 sent = QFileInfo(stream).size();
        std::fprintf(stderr, "as broadcast: %d tracks, %lld of %lld bytes\n", tracks, qint64(bytes), qint64(sent));
        if (bytes < sent * 95 / 100 || tracks < titles)
            return -1;
    }
    if (std::abs(audio - g_minutes * 60.0) > 1.0) {
        std::fprintf(stderr, "stream: decoded %.1f s of %d s\n", audio, g_minutes * 60);
        return -1;
    }
    return seconds;
}

// `ffmpeg -c copy` of the stream into an MP3 file.
double ffmpegCopyCpu(const QString &stream, const QString &dir)
{
    const QString out = dir + QStringLiteral("ffmpeg-copy.mp3");
    const double cpu = childCpu({QStringLiteral("ffmpeg"), QStringLiteral("-nostdin"), QStringLiteral("-v"),
                                 QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-i"), stream,
                                 QStringLiteral("-c"), QStringLiteral("copy"), out});
    QFile::remove(out);
    return cpu;
}

double ffmpegCpu(const QString &stream, const QString &dir)
{
    const QString out = dir + QStringLiteral("ffmpeg-fm.mp3");
    const double cpu = childCpu(
        {QStringLiteral("ffmpeg"), QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
         QStringLiteral("-y"), QStringLiteral("-i"), stream, QStringLiteral("-c:a"), QStringLiteral("libmp3lame"),
         QStringLiteral("-b:a"), QStringLiteral("64k"), QStringLiteral("-ar"), QStringLiteral("44100"),
         QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("-joint_stereo"), QStringLiteral("0"), out});
    QFile::remove(out);
    return cpu;
}

} // namespace

int main(int argc, char **argv)
{
    QString dir;
    if (!readArguments(argc, argv, dir))
        return 2;
    dir = QFileInfo(dir).absoluteFilePath() + QLatin1Char('/');
    const QString stream = dir + QStringLiteral("stream-%1min-128k.mp3").arg(g_minutes);
    if (!makeStream(stream)) {
        std::fprintf(stderr, "cannot make %s with ffmpeg\n", qPrintable(stream));
        return 1;
    }
    // Alternated, the better of two runs of each: these machines drift.
    double skywell = 1e9, ffmpeg = 1e9, kept = 1e9, copy = 1e9;
    for (int round = 0; round < 2; ++round) {
        const double own = skywellCpu(stream, dir + QStringLiteral("stream/"), false);
        const double reference = ffmpegCpu(stream, dir);
        const double asSent = skywellCpu(stream, dir + QStringLiteral("stream/"), true);
        const double copied = ffmpegCopyCpu(stream, dir);
        if (own < 0 || asSent < 0)
            return 1;
        if (reference <= 0 || copied < 0) {
            std::fprintf(stderr, "ffmpeg failed\n");
            return 1;
        }
        skywell = std::min(skywell, own);
        ffmpeg = std::min(ffmpeg, reference);
        kept = std::min(kept, asSent);
        copy = std::min(copy, copied);
    }
    std::fprintf(stderr, "stream: Skywell %.2f s, ffmpeg %.2f s of CPU\n", skywell, ffmpeg);
    std::fprintf(stderr, "as broadcast: Skywell %.2f s, ffmpeg -c copy %.2f s of CPU\n", kept, copy);
    print("stream-capture-vs-ffmpeg", skywell / ffmpeg);
    print("as-broadcast-vs-ffmpeg-copy", kept / std::max(copy, 0.001));
    print("as-broadcast-vs-reencode", kept / skywell);
    return 0;
}
