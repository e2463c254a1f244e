#include "recording/mp3writer.h"
#include "recording/audiofixtures.h"
#include "recording/id3tag.h"
#include "recording/mp3encoder.h"
#include "recording/mp3settings.h"
#include "recording/wavfile.h"
#include "support/tempenv.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace skywell;
using namespace skywell::test;

namespace
{

struct FrameHeader {
    int sampleRate = 0;
    int bitrate = 0;
    int channelMode = 0; // 0 stereo, 1 joint, 2 dual, 3 mono
    bool crc = false;
};

// The header of the MP3 frame at offset.
std::optional<FrameHeader> frameAt(const QByteArray &file, qsizetype offset)
{
    if (offset + 4 > file.size())
        return std::nullopt;
    const auto *b = reinterpret_cast<const std::uint8_t *>(file.constData() + offset);
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0 || ((b[1] >> 1) & 3) != 1)
        return std::nullopt;
    static const int v1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int v2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const int rates[3][3] = {{11025, 12000, 8000}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    const int version = (b[1] >> 3) & 3; // 0: 2.5, 2: 2, 3: 1
    const int bitrateIndex = b[2] >> 4, rateIndex = (b[2] >> 2) & 3;
    if (version == 1 || bitrateIndex == 15 || rateIndex == 3)
        return std::nullopt;
    FrameHeader h;
    h.sampleRate = rates[version == 0 ? 0 : version == 2 ? 1 : 2][rateIndex];
    h.bitrate = (version == 3 ? v1 : v2)[bitrateIndex];
    h.channelMode = b[3] >> 6;
    h.crc = (b[1] & 1) == 0;
    return h;
}

int frameBytes(const QByteArray &file, qsizetype offset)
{
    const auto h = frameAt(file, offset);
    const bool mpeg1 = h->sampleRate >= 32000;
    const int padding = (file[offset + 2] >> 1) & 1;
    return (mpeg1 ? 144 : 72) * h->bitrate * 1000 / h->sampleRate + padding;
}

QString encode(const TempFolder &dir, const WaveFormat &format, double seconds, int quality,
               const QString &title = QStringLiteral("Track"))
{
    const QString path = dir.file(QStringLiteral("q%1.mp3").arg(quality));
    const auto blocks = toBlocks(format, toneSamples(format, seconds));
    Mp3Writer writer;
    EXPECT_TRUE(writer.open(path, blocks.front(), quality));
    for (const CaptureBlock &block : blocks)
        EXPECT_TRUE(writer.write(block));
    const std::uint32_t bytes = writer.close({title, QStringLiteral("0_Skywell"), QStringLiteral("Morning Show"), 3});
    EXPECT_GT(bytes, 0u);
    EXPECT_TRUE(writer.errors().isEmpty());
    return path;
}

// Where the audio begins: after the ID3v2 tag, by its header.
qsizetype audioStart(const QByteArray &file)
{
    if (file.size() < 10 || !file.startsWith("ID3"))
        return 0;
    qsizetype size = 0;
    for (int i = 6; i < 10; ++i)
        size = size << 7 | (file[i] & 0x7F);
    return 10 + size;
}

// Seconds of audio that lame decodes from the file.
double decodedSeconds(const TempFolder &dir, const QString &mp3)
{
    const QString wavPath = dir.file(QStringLiteral("decoded.wav"));
    QString errors;
    EXPECT_TRUE(
        runTool(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("--decode"), mp3, wavPath}, &errors))
        << errors.toStdString();
    const auto decoded = readWavFile(wavPath);
    EXPECT_TRUE(decoded);
    return decoded ? decoded->seconds() : 0.0;
}

} // namespace

// Each quality decodes (with Debian's lame) to the input's length, at the
// table's sample rate and bit rate, with an Info header in front (except at
// AM quality, whose 104-byte frames cannot hold one; its constant bit rate
// gives players the duration all the same).
TEST(Mp3Writer, QualitiesDecodeToInputDurationWithExpectedStream)
{
    struct Case {
        WaveFormat format;
        int quality;
        int rate, bitrate, mode;
    };
    const Case cases[] = {
        {WaveFormat::pcm(44100, 2, 16), 0, 11025, 16, 1},  {WaveFormat::pcm(44100, 2, 16), 1, 44100, 64, 0},
        {WaveFormat::pcm(44100, 2, 16), 2, 44100, 128, 0}, {WaveFormat::pcm(48000, 2, 16), 2, 44100, 128, 0},
        {WaveFormat::pcm(22050, 1, 16), 1, 44100, 64, 3},  {WaveFormat::pcm(44100, 1, 8), 0, 11025, 16, 3},
    };
    TempFolder dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "quality " << c.quality << ", " << c.format.samplesPerSec << " Hz "
                                        << c.format.channels << " ch " << c.format.bitsPerSample << " bit");
        const QString mp3 = encode(dir, c.format, 10.0, c.quality);
        const QByteArray bytes = readAll(mp3);
        const qsizetype start = audioStart(bytes);
        EXPECT_EQ(start, Mp3Writer::kTagRoom);
        const auto info = frameAt(bytes, start);
        ASSERT_TRUE(info);
        EXPECT_EQ(bytes.mid(start, 400).contains("Info"), c.quality != 0);
        const auto audio = frameAt(bytes, start + frameBytes(bytes, start));
        ASSERT_TRUE(audio);
        EXPECT_EQ(audio->sampleRate, c.rate);
        EXPECT_EQ(audio->bitrate, c.bitrate);
        EXPECT_EQ(audio->channelMode, c.mode);
        EXPECT_TRUE(audio->crc);

        const QString wavPath = dir.file(QStringLiteral("decoded.wav"));
        QString errors;
        ASSERT_TRUE(runTool(QStringLiteral("lame"),
                            {QStringLiteral("--quiet"), QStringLiteral("--decode"), mp3, wavPath}, &errors))
            << errors.toStdString();
        const auto decoded = readWavFile(wavPath);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(int(decoded->format.samplesPerSec), c.rate);
        EXPECT_NEAR(decoded->seconds(), 10.0, 0.1);
    }
}

TEST(Mp3Writer, TagFollowsTheLayout)
{
    const QByteArray tag =
        id3v1Tag(QStringLiteral("A title that is longer than thirty bytes"), QStringLiteral("0_Skywell"),
                 QStringLiteral("Radio Morgenmagazin am Sonntaüü"), 258);
    ASSERT_EQ(tag.size(), 128);
    EXPECT_EQ(tag.left(3), QByteArray("TAG"));
    EXPECT_EQ(tag.mid(3, 30), QByteArray("A title that is longer than th"));
    EXPECT_EQ(tag.mid(33, 30), QByteArray("0_Skywell").leftJustified(30, '\0'));
    // Latin-1: one byte for each character.
    EXPECT_EQ(tag.mid(63, 30), QByteArray("Radio Morgenmagazin am Sonnta\xFC"));
    EXPECT_EQ(tag.mid(93, 32), QByteArray(32, '\0'));
    EXPECT_EQ(tag[125], '\0');
    EXPECT_EQ(std::uint8_t(tag[126]), 2);
    EXPECT_EQ(tag[127], char(12));

    EXPECT_TRUE(id3v1Tag(QStringLiteral(" "), QStringLiteral("0_Skywell"), QStringLiteral("x"), 1).isEmpty());
    EXPECT_TRUE(id3v1Tag(QStringLiteral("t"), QStringLiteral(" "), QStringLiteral("x"), 1).isEmpty());
}

TEST(Mp3Writer, FileEndsWithTagUnlessTitleIsBlank)
{
    TempFolder dir;
    const WaveFormat format = WaveFormat::pcm(44100, 2, 16);
    const QByteArray tagged = readAll(encode(dir, format, 1.0, 2, QStringLiteral("Morning Show 1")));
    EXPECT_EQ(tagged.right(128).left(17), QByteArray("TAGMorning Show 1"));
    const QByteArray untagged = readAll(encode(dir, format, 1.0, 2, QStringLiteral(" ")));
    EXPECT_FALSE(untagged.right(128).startsWith("TAG"));
}

// Players that read only ID3v1 read its texts as Latin-1. Characters it lacks come out as a
// plain look-alike or one "?" each (an emoji too, though it takes two
// UTF-16 units), and each text keeps at most 30 characters.
TEST(Mp3Writer, TagTextsReadBackInLatin1)
{
    struct Case {
        QString title, artist, album;
        QString readTitle, readArtist, readAlbum;
    };
    const Case cases[] = {
        {QStringLiteral("Frühstück"), QStringLiteral("Ö1 Café"), QStringLiteral("Señal"), QStringLiteral("Frühstück"),
         QStringLiteral("Ö1 Café"), QStringLiteral("Señal")},
        {QStringLiteral("Łódź 🎵 Dvořák"), QStringLiteral("Dvořák — Sinfonie Nr. 9 „Aus der Neuen Welt“"),
         QStringLiteral("🎵abcdefghijklmnopqrstuvwxyz0123"), QStringLiteral("Lódz ? Dvorák"),
         QStringLiteral("Dvorák - Sinfonie Nr. 9 \"Aus d"), QStringLiteral("?abcdefghijklmnopqrstuvwxyz012")},
    };
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("tagged.mp3"));
    const WaveFormat format = WaveFormat::pcm(44100, 2, 16);
    const auto blocks = toBlocks(format, toneSamples(format, 0.5));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        Mp3Writer writer;
        ASSERT_TRUE(writer.open(path, blocks.front(), 2));
        for (const CaptureBlock &block : blocks)
            EXPECT_TRUE(writer.write(block));
        EXPECT_GT(writer.close({c.title, c.artist, c.album, 1}), 0u);
        EXPECT_EQ(id3v1Field(path, 3), c.readTitle);
        EXPECT_EQ(id3v1Field(path, 33), c.readArtist);
        EXPECT_EQ(id3v1Field(path, 63), c.readAlbum);
    }
}

// One write that fails in the middle of a recording (the disk full for a
// moment) loses only what it held: the rest of the audio, the last frames
// and the tag still reach the file, which is kept and flagged as possibly
// damaged.
TEST(Mp3Writer, FailedWriteInTheMiddleKeepsTheRecording)
{
    TempFolder dir;
    const QString path = dir.file(QStringLiteral("gap.mp3"));
    const WaveFormat format = WaveFormat::pcm(44100, 2, 16);
    const auto blocks = toBlocks(format, toneSamples(format, 6.0));
    Mp3Writer writer;
    ASSERT_TRUE(writer.open(path, blocks.front(), 2));
    std::size_t next = 0;
    for (; next < blocks.size() / 2; ++next)
        EXPECT_TRUE(writer.write(blocks[next]));
    EXPECT_FALSE(writer.hadWriteError());

    const std::size_t firstLost = next;
    {
        ScopedDiskFull full(writer.fileDescriptor());
        ASSERT_TRUE(full.active());
        // The encoder keeps some audio back: go on until a write has failed.
        while (!writer.hadWriteError() && next < firstLost + 5)
            writer.write(blocks[next++]);
    }
    ASSERT_TRUE(writer.hadWriteError());
    const double lostSeconds = 0.1 * double(next - firstLost);

    for (; next < blocks.size(); ++next)
        EXPECT_TRUE(writer.write(blocks[next]));
    const std::uint32_t bytes =
        writer.close({QStringLiteral("Frühstück"), QStringLiteral("0_Skywell"), QStringLiteral("Morning Show"), 3});
    EXPECT_EQ(qint64(bytes), QFileInfo(path).size() - Mp3Writer::kTagRoom - 128);
    EXPECT_TRUE(writer.hadWriteError());
    ASSERT_EQ(writer.errors().size(), 1);
    EXPECT_EQ(writer.errors().front(), QStringLiteral("MP3 output file write error."));

    const Mp3Probe probe = probeMp3(path);
    EXPECT_TRUE(probe.ok) << probe.errors.toStdString();
    EXPECT_EQ(probe.tag("title"), QStringLiteral("Frühstück"));
    EXPECT_EQ(probe.tag("album"), QStringLiteral("Morning Show"));
    EXPECT_EQ(id3v1Field(path, 3), QStringLiteral("Frühstück"));
    EXPECT_NEAR(decodedSeconds(dir, path), 6.0 - lostSeconds, 0.08);
}

TEST(Mp3Writer, QualityFollowsOutputKind)
{
    EXPECT_EQ(mp3QualityForFlags(0x200), 0);
    EXPECT_EQ(mp3QualityForFlags(0x400), 1);
    EXPECT_EQ(mp3QualityForFlags(0x100), 2);
    EXPECT_EQ(mp3QualityForFlags(0x2000000), 2); // MP3 CD: CD quality files
    EXPECT_EQ(mp3QualityForFlags(0x600), 0);     // AM is tested first
    EXPECT_EQ(mp3QualityForFlags(0x1000), -1);
}

TEST(Mp3Writer, EncoderWorksAtStartUp)
{
    EXPECT_EQ(mp3EncoderProblem().toStdString(), "");
}

TEST(Mp3Writer, BadInputIsRefusedAndReported)
{
    TempFolder dir;
    const WaveFormat format = WaveFormat::pcm(44100, 2, 16);
    const auto blocks = toBlocks(format, toneSamples(format, 1.0));
    {
        Mp3Writer writer;
        EXPECT_FALSE(writer.open(dir.file(QStringLiteral("gone/x.mp3")), blocks.front(), 2));
        ASSERT_EQ(writer.errors().size(), 1);
        EXPECT_EQ(writer.errors().front(), QStringLiteral("Error opening file for MP3 output file."));
        EXPECT_FALSE(writer.write(blocks[0]));
        EXPECT_EQ(writer.close({QStringLiteral("t"), QStringLiteral("a"), QStringLiteral("b"), 1}), 0u);
    }
    {
        // A format the encoder cannot take.
        Mp3Writer writer;
        const CaptureBlock odd(WaveFormat::pcm(44100, 6, 16), nullptr, 0);
        EXPECT_FALSE(writer.open(dir.file(QStringLiteral("odd.mp3")), odd, 2));
        ASSERT_EQ(writer.errors().size(), 1);
        EXPECT_EQ(writer.errors().front(), QStringLiteral("Error opening MP3 encoding stream."));
    }
    {
        Mp3Writer writer;
        ASSERT_TRUE(writer.open(dir.file(QStringLiteral("full.mp3")), blocks.front(), 2));
        std::vector<std::uint8_t> bytes(blocks[0].data(), blocks[0].data() + blocks[0].size());
        putU32(bytes.data() + CaptureBlock::kSampleCountOffset, std::uint32_t(blocks[0].capacity() + 2));
        EXPECT_FALSE(writer.write(CaptureBlock(std::move(bytes))));
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(writer.write(blocks[i]));
        const std::uint32_t written = writer.count();
        const int full = ::open("/dev/full", O_WRONLY);
        ASSERT_GE(full, 0);
        ::dup2(full, writer.fileDescriptor());
        ::close(full);
        for (std::size_t i = 3; i < blocks.size(); ++i)
            writer.write(blocks[i]);
        // Full to the end: the audio written before is what there is.
        EXPECT_EQ(writer.close({QStringLiteral("t"), QStringLiteral("a"), QStringLiteral("b"), 1}), written);
        EXPECT_TRUE(writer.hadWriteError());
        ASSERT_EQ(writer.errors().size(), 1);
        EXPECT_EQ(writer.errors().front(), QStringLiteral("MP3 output file write error."));
    }
    {
        // The folder removed while the track is written.
        Mp3Writer writer;
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("sub")));
        ASSERT_TRUE(writer.open(dir.file(QStringLiteral("sub/x.mp3")), blocks.front(), 1));
        EXPECT_TRUE(writer.write(blocks[0]));
        ASSERT_TRUE(QDir(dir.file(QStringLiteral("sub"))).removeRecursively());
        writer.write(blocks[1]);
        EXPECT_EQ(writer.close({QStringLiteral("t"), QStringLiteral("a"), QStringLiteral("b"), 1}), 0u);
        ASSERT_EQ(writer.errors().size(), 1);
        EXPECT_EQ(writer.errors().front(), QStringLiteral("MP3 output file write error."));
    }
}
