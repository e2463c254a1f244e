#include "recording/packetwriter.h"
#include "recording/audiofixtures.h"
#include "recording/id3tag.h"
#include "support/packetsource.h"
#include "support/tempenv.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <memory>

using namespace skywell;
using namespace skywell::test;

namespace
{

struct Source {
    const char *encoder;
    PacketCodec codec;
    const char *name;
};
const Source kSources[] = {
    {"libmp3lame", PacketCodec::Mp3, "MP3"},
    {"aac", PacketCodec::Aac, "AAC"},
    {"libvorbis", PacketCodec::Vorbis, "Ogg Vorbis"},
    {"libopus", PacketCodec::Opus, "Ogg Opus"},
};

bool isOgg(PacketCodec codec)
{
    return codec == PacketCodec::Vorbis || codec == PacketCodec::Opus;
}

std::string errorsOf(PacketWriter &writer)
{
    return writer.takeErrors().join(QLatin1Char('\n')).toStdString();
}

// What ogginfo finds wrong with an Ogg file (empty when it passes), and
// the playback length its granule positions give.
struct OggInfo {
    std::string problems;
    double seconds = -1;
};
OggInfo oggInfo(const QString &path)
{
    QString out;
    const bool ok = runTool(QStringLiteral("ogginfo"), {path}, &out);
    QStringList problems;
    OggInfo info;
    for (const QString &line : out.split(QLatin1Char('\n'))) {
        if (line.contains(QStringLiteral("warning"), Qt::CaseInsensitive) ||
            line.contains(QStringLiteral("error"), Qt::CaseInsensitive))
            problems.append(line);
        const auto length = QRegularExpression(QStringLiteral("Playback length: (\\d+)m:([\\d.]+)s")).match(line);
        if (length.hasMatch())
            info.seconds = length.captured(1).toDouble() * 60 + length.captured(2).toDouble();
    }
    if (!ok && problems.isEmpty())
        problems.append(out);
    info.problems = problems.join(QLatin1Char('\n')).toStdString();
    return info;
}

// The file decodes without an error; an Ogg file also passes ogginfo, and
// its granule positions, counted from 0, give the length it decodes to.
// What ffprobe reads of it.
FileProbe expectPlays(const QString &path, PacketCodec codec)
{
    const Decoded decoded = decodeFile(path);
    EXPECT_EQ(decoded.errors.toStdString(), "");
    if (isOgg(codec)) {
        const OggInfo info = oggInfo(path);
        EXPECT_EQ(info.problems, "");
        // ogginfo gives whole milliseconds.
        EXPECT_NEAR(info.seconds, codec == PacketCodec::Vorbis ? oggdecSeconds(path) : decoded.seconds, 0.0015);
    }
    return probeFile(path);
}

// got is expected with the packets [from, to) left out.
void expectPacketsAre(const QStringList &got, QStringList expected, qsizetype from = 0, qsizetype to = 0)
{
    expected.remove(from, to - from);
    ASSERT_EQ(got.size(), expected.size());
    for (qsizetype i = 0; i < got.size(); ++i)
        ASSERT_EQ(got[i].toStdString(), expected[i].toStdString()) << "packet " << i;
}

// Tone files of each codec, made once, and their packets.
class PacketWriterTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<TempFolder>();
        for (const Source &source : kSources) {
            const QString path = s_dir->file(QStringLiteral("source.") + packetFileExtension(source.codec));
            ASSERT_TRUE(encodeTone(source.encoder, path, 4.0)) << source.encoder;
            auto stream = demuxPackets(path);
            ASSERT_TRUE(stream && stream->packets.size() > 100) << source.encoder;
            ASSERT_EQ(stream->format.codec, source.codec);
            s_sources[source.codec] = {std::move(*stream), packetHashes(path)};
        }
    }
    static void TearDownTestSuite()
    {
        s_sources.clear();
        s_dir.reset();
    }

    static const DemuxedStream &stream(PacketCodec codec) { return s_sources[codec].first; }
    static const QStringList &sourceHashes(PacketCodec codec) { return s_sources[codec].second; }

    QString pathFor(PacketCodec codec, std::size_t from) const
    {
        return m_dir.file(QStringLiteral("piece%1.%2").arg(from).arg(packetFileExtension(codec)));
    }

    // Writes packets [from, to) of the codec's stream into a file of its own.
    QString writePiece(PacketCodec codec, std::size_t from, std::size_t to, const TagFields &tags)
    {
        const QString path = pathFor(codec, from);
        const auto writer = makePacketWriter(codec);
        EXPECT_TRUE(writer->open(path, stream(codec).format));
        for (std::size_t i = from; i < to; ++i)
            EXPECT_TRUE(writer->write(stream(codec).packets[i]));
        EXPECT_TRUE(writer->close(tags));
        EXPECT_EQ(errorsOf(*writer), "");
        return path;
    }

    TempFolder m_dir;

private:
    static inline std::unique_ptr<TempFolder> s_dir;
    static inline std::map<PacketCodec, std::pair<DemuxedStream, QStringList>> s_sources;
};

} // namespace

// A stream cut into three track files: each plays alone, says what it
// holds and carries its tags (a title too long for the room cut, the rest
// kept); their packets one after another are exactly the source's.
TEST_F(PacketWriterTest, PiecesPlayAloneAndTogetherHoldEverySourcePacket)
{
    for (const Source &source : kSources) {
        SCOPED_TRACE(source.name);
        // FFmpeg reads only the ID3v1 tag of an ADTS file, its Latin-1 as
        // it stands: plain texts there.
        const bool plain = source.codec == PacketCodec::Aac;
        const QString artist = plain ? QStringLiteral("Radio One") : QStringLiteral("Ö1 Café");
        const QString longTitle = QStringLiteral("%1 ").arg(artist).repeated(800);
        const std::size_t n = stream(source.codec).packets.size();
        const std::size_t cuts[] = {0, n / 3, n * 2 / 3, n};
        QStringList hashes;
        for (int piece = 0; piece < 3; ++piece) {
            SCOPED_TRACE(piece);
            const TagFields tags{piece == 2 ? longTitle : QStringLiteral("%1 %2").arg(artist).arg(piece), artist,
                                 QStringLiteral("Morning Show"), piece + 1};
            const QString path = writePiece(source.codec, cuts[piece], cuts[piece + 1], tags);
            const FileProbe probe = expectPlays(path, source.codec);
            // ffprobe names the codec "mp3", "aac", "vorbis" or "opus".
            EXPECT_EQ(probe.codec, QString::fromLatin1(source.name).section(u' ', -1).toLower());
            const QString title = probe.tag("title");
            if (piece == 2)
                EXPECT_TRUE(title.size() >= (plain ? 20 : 1000) && longTitle.startsWith(title)) << title.size();
            else
                EXPECT_EQ(title.toStdString(), tags.title.toStdString());
            EXPECT_EQ(probe.tag("artist").toStdString(), artist.toStdString());
            EXPECT_EQ(probe.tag("album"), tags.album);
            EXPECT_EQ(probe.tag("track"), QString::number(piece + 1));
            hashes += packetHashes(path);
        }
        expectPacketsAre(hashes, sourceHashes(source.codec));
    }
}

// A write that fails in the middle (the disk full for a moment) loses
// what it held only: one frame, or the packets of one Ogg page; the rest
// and the tags still reach the file, which plays, and the failure is
// reported once.
TEST_F(PacketWriterTest, FailedWriteLosesOnlyWhatItHeld)
{
    for (const Source &source : kSources) {
        SCOPED_TRACE(source.name);
        const auto &packets = stream(source.codec).packets;
        const QString path = pathFor(source.codec, 0);
        const auto writer = makePacketWriter(source.codec);
        ASSERT_TRUE(writer->open(path, stream(source.codec).format));
        std::size_t next = 0;
        for (; next < packets.size() / 2; ++next)
            EXPECT_TRUE(writer->write(packets[next]));
        {
            ScopedDiskFull full(writer->fileDescriptor());
            ASSERT_TRUE(full.active());
            // Ogg pages wait for a few packets: go on until one was written.
            WriteOutcome outcome;
            while ((outcome = writer->write(packets[next])))
                ++next;
            EXPECT_EQ(outcome.systemError, ENOSPC);
        }
        const std::size_t failed = next++;
        for (; next < packets.size(); ++next)
            EXPECT_TRUE(writer->write(packets[next]));
        EXPECT_TRUE(writer->close({QStringLiteral("Morning Show 3"), QStringLiteral("0_Skywell"), QString(), 1}));
        EXPECT_TRUE(writer->hadWriteError());
        EXPECT_EQ(errorsOf(*writer), source.name + std::string(" output file write error."));

        EXPECT_EQ(expectPlays(path, source.codec).tag("title"), QStringLiteral("Morning Show 3"));
        const QStringList hashes = packetHashes(path);
        const qsizetype lost = sourceHashes(source.codec).size() - hashes.size();
        EXPECT_TRUE(isOgg(source.codec) ? lost >= 1 : lost == 1) << lost;
        expectPacketsAre(hashes, sourceHashes(source.codec), qsizetype(failed) + 1 - lost, qsizetype(failed) + 1);
    }
}

// A packet that is not what its codec's packets look like is left out (no
// write failed) and reported once for the file, which plays with all the
// others; a format
// without its header packets is refused before a file is made.
TEST_F(PacketWriterTest, BrokenPacketsAreLeftOutAndBrokenFormatsRefused)
{
    const std::size_t broken = 40;
    for (const Source &source : kSources) {
        SCOPED_TRACE(source.name);
        auto packets = stream(source.codec).packets;
        StreamPacket &bad = packets[broken];
        if (source.codec == PacketCodec::Aac)
            bad.data.chop(10); // a frame shorter than its header says
        else if (source.codec == PacketCodec::Vorbis)
            bad.data = stream(source.codec).format.headers[0];
        else
            bad.data = source.codec == PacketCodec::Mp3 ? QByteArray("ICY junk") : QByteArray();
        const QString path = pathFor(source.codec, 0);
        const auto writer = makePacketWriter(source.codec);
        ASSERT_TRUE(writer->open(path, stream(source.codec).format));
        for (std::size_t i = 0; i < packets.size(); ++i)
            EXPECT_TRUE(writer->write(packets[i]));
        EXPECT_TRUE(writer->close({}));
        EXPECT_FALSE(writer->hadWriteError());
        EXPECT_EQ(errorsOf(*writer), "1 packets with broken headers left out");
        expectPlays(path, source.codec);
        expectPacketsAre(packetHashes(path), sourceHashes(source.codec), broken, broken + 1);
    }

    // Headers missing, in the wrong order, of another codec.
    const auto &vorbis = stream(PacketCodec::Vorbis).format.headers;
    const std::pair<const Source &, std::vector<QByteArray>> refused[] = {
        {kSources[2], {vorbis[0], vorbis[1]}},
        {kSources[2], {vorbis[0], vorbis[2], vorbis[1]}},
        {kSources[3], {vorbis[0]}},
    };
    for (const auto &[source, headers] : refused) {
        PacketFormat format = stream(source.codec).format;
        format.headers = headers;
        const auto writer = makePacketWriter(source.codec);
        const QString path = m_dir.file(QStringLiteral("refused.ogg"));
        EXPECT_FALSE(writer->open(path, format));
        EXPECT_EQ(errorsOf(*writer),
                  "The " + std::string(source.name) + " stream's header packets are missing or broken.");
        EXPECT_FALSE(QFile::exists(path));
        EXPECT_FALSE(writer->write(stream(source.codec).packets[0]));
        EXPECT_FALSE(writer->close({}));
    }
}
