// A stream recorded as broadcast, from the stream device reading a file
// that FFmpeg's command line encoded, through block processing into track
// files: the packets of all tracks together are the file's packets, as
// ffmpeg's framemd5 sees them, none lost or doubled at a split.
#include "recording/recordingfixture.h"

#include "platform/streamcapturedevice.h"
#include "shows/show.h"
#include "support/runtool.h"

#include <QDir>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

using namespace skywell;
using namespace skywell::test;

namespace
{

struct Codec {
    const char *name;
    QStringList encode; // ffmpeg's output options
    QString extension;
};

const Codec kCodecs[] = {
    {"mp3",
     {QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QStringLiteral("-b:a"), QStringLiteral("128k"),
      QStringLiteral("-f"), QStringLiteral("mp3")},
     QStringLiteral("mp3")},
    {"aac",
     {QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-f"), QStringLiteral("adts")},
     QStringLiteral("aac")},
    {"vorbis",
     {QStringLiteral("-c:a"), QStringLiteral("libvorbis"), QStringLiteral("-f"), QStringLiteral("ogg")},
     QStringLiteral("ogg")},
    {"opus",
     {QStringLiteral("-c:a"), QStringLiteral("libopus"), QStringLiteral("-f"), QStringLiteral("ogg")},
     QStringLiteral("opus")},
};

enum class PacketField { Size = 4, Checksum = 5 };

// One field of each packet, in order, as ffmpeg copies them out of a file,
// one line per packet, so that a failed comparison shows where the lists
// part. The checksum is of the data alone: side data the demuxer attaches
// (samples to skip at a file's start) is left out, as a track begins anew.
std::string packetFields(const QString &path, PacketField field = PacketField::Checksum)
{
    QString out;
    EXPECT_TRUE(
        runTool(QStringLiteral("ffmpeg"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path, QStringLiteral("-c"),
                 QStringLiteral("copy"), QStringLiteral("-f"), QStringLiteral("framemd5"), QStringLiteral("-")},
                &out))
        << out.toStdString();
    std::string hashes;
    for (const QString &line : out.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1Char('#')) && line.count(QLatin1Char(',')) >= 5)
            hashes += line.section(QLatin1Char(','), int(field), int(field)).trimmed().toStdString() + '\n';
    }
    return hashes;
}

bool decodesCleanly(const QString &path, QString &errors)
{
    return runTool(QStringLiteral("ffmpeg"),
                   {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path, QStringLiteral("-f"),
                    QStringLiteral("null"), QStringLiteral("-")},
                   &errors) &&
           errors.trimmed().isEmpty();
}

class AsBroadcastTest : public RecordingFixture
{
protected:
    AsBroadcastTest() { keepShortTracks(); }

    // seconds of a tone encoded by ffmpeg with the codec's options.
    QString makeSource(const Codec &codec, int seconds)
    {
        const QString path = temp.file(QStringLiteral("source-%1.%2").arg(QLatin1String(codec.name), codec.extension));
        QString out;
        EXPECT_TRUE(runTool(
            QStringLiteral("ffmpeg"),
            QStringList{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                        QStringLiteral("-i"), QStringLiteral("sine=frequency=440:duration=%1").arg(seconds),
                        QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("-ar"), QStringLiteral("48000")} +
                codec.encode + QStringList{path},
            &out))
            << out.toStdString();
        return path;
    }

    // Every block the stream device makes of the file in one opening,
    // packets kept as sent.
    std::vector<CaptureBlock> readAsBroadcast(const QString &path, bool levels)
    {
        std::atomic_bool ended{false};
        StreamCaptureDevice device(
            [&ended](const QString &line) {
                if (line.startsWith(QStringLiteral("Stream dropped")))
                    ended = true;
            },
            StreamCaptureDevice::Pace::AsFastAsPossible);
        device.setKeepPackets(true);
        device.setLevelsWanted(levels);
        std::mutex mutex;
        std::vector<CaptureBlock> blocks;
        EXPECT_TRUE(device.start(path, [&](CaptureBlockPtr block) {
            std::lock_guard lock(mutex);
            if (!ended)
                blocks.push_back(std::move(*block));
        }));
        for (int i = 0; i < 3000 && !ended; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        device.stop();
        EXPECT_TRUE(ended) << "the file was not read to its end";
        return blocks;
    }

    std::string trackHashes(const QStringList &tracks)
    {
        std::string hashes;
        for (const QString &track : tracks)
            hashes += packetFields(folder.file(track));
        return hashes;
    }
};

} // namespace

TEST_F(AsBroadcastTest, TimeSplitsFallBetweenPacketsAndKeepEveryPacketOnce)
{
    for (const Codec &codec : kCodecs) {
        SCOPED_TRACE(codec.name);
        for (const QString &old : recordings())
            QFile::remove(folder.file(old));
        const QString source = makeSource(codec, 7);
        // Measuring levels decodes each packet beside it; the packets stay the same.
        const bool levels = codec.extension == QStringLiteral("mp3");
        std::vector<CaptureBlock> blocks = readAsBroadcast(source, levels);
        session.splitEverySeconds = 2;
        startRecording(OUT_AS_BROADCAST | OPT_TIME_SPLIT, QStringLiteral("Kept %1").arg(QLatin1String(codec.name)));
        feed(std::move(blocks));
        endRecording();

        const QStringList tracks = recordings();
        ASSERT_GE(tracks.size(), 3) << tracks.join(QLatin1Char(',')).toStdString();
        for (const QString &track : tracks) {
            EXPECT_TRUE(track.endsWith(QLatin1Char('.') + codec.extension)) << track.toStdString();
            QString errors;
            EXPECT_TRUE(decodesCleanly(folder.file(track), errors)) << track.toStdString() << errors.toStdString();
        }
        EXPECT_EQ(trackHashes(tracks), packetFields(source));
    }
}

TEST_F(AsBroadcastTest, AChangeOfCodecStartsATrackThatFitsIt)
{
    std::vector<CaptureBlock> blocks = readAsBroadcast(makeSource(kCodecs[0], 3), false);
    for (CaptureBlock &block : readAsBroadcast(makeSource(kCodecs[1], 3), false))
        blocks.push_back(std::move(block));
    startRecording(OUT_AS_BROADCAST);
    feed(std::move(blocks));
    endRecording();

    const QStringList tracks = recordings();
    ASSERT_EQ(tracks.size(), 2) << tracks.join(QLatin1Char(',')).toStdString();
    EXPECT_TRUE(tracks[0].endsWith(QStringLiteral(" - 01.mp3"))) << tracks[0].toStdString();
    EXPECT_TRUE(tracks[1].endsWith(QStringLiteral(" - 02.aac"))) << tracks[1].toStdString();
    EXPECT_EQ(packetFields(folder.file(tracks[0])), packetFields(temp.file(QStringLiteral("source-mp3.mp3"))));
    EXPECT_EQ(packetFields(folder.file(tracks[1])), packetFields(temp.file(QStringLiteral("source-aac.aac"))));
}

TEST_F(AsBroadcastTest, RawAacFramesAreKeptInAdtsFramesOfTheirOwnSetup)
{
    const Codec m4a{"m4a",
                    {QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-f"), QStringLiteral("ipod")},
                    QStringLiteral("m4a")};
    const QString source = makeSource(m4a, 3);
    startRecording(OUT_AS_BROADCAST);
    feed(readAsBroadcast(source, false));
    endRecording();

    const QStringList tracks = recordings();
    ASSERT_EQ(tracks.size(), 1) << tracks.join(QLatin1Char(',')).toStdString();
    ASSERT_TRUE(tracks[0].endsWith(QStringLiteral(".aac"))) << tracks[0].toStdString();
    QString errors;
    EXPECT_TRUE(decodesCleanly(folder.file(tracks[0]), errors)) << errors.toStdString();
    // Each frame as sent, behind a header of 7 bytes.
    std::string expected;
    for (const QString &size : QString::fromStdString(packetFields(source, PacketField::Size)).split(u'\n'))
        if (!size.isEmpty())
            expected += std::to_string(size.toInt() + 7) + '\n';
    EXPECT_EQ(packetFields(folder.file(tracks[0]), PacketField::Size), expected);
}
