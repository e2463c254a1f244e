// The ID3v2.4 tag ahead of every MP3 track, read back by ffprobe: texts in
// any script, cleaned of what a tag must not hold, cut to the tag's room on
// whole characters, and a file that stays a valid MP3 whether or not its
// writer ever closed it.
#include "recording/audiofixtures.h"
#include "recording/id3tag.h"
#include "recording/mp3writer.h"
#include "support/tempenv.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QStringDecoder>
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>

using namespace skywell;
using namespace skywell::test;

namespace
{

struct DecodedPcm {
    double seconds = -1;
    // What ffmpeg said while decoding; empty when it decoded cleanly.
    QString complaints;
};

// The whole file decoded by ffmpeg to 44.1 kHz stereo. Players that honour
// the Info header's encoder delay and padding (ffmpeg does) give exactly
// the recorded length; without the header they give the delay and
// padding as well.
DecodedPcm decode(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"),
                  {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"),
                   path, QStringLiteral("-f"), QStringLiteral("s16le"), QStringLiteral("-ac"), QStringLiteral("2"),
                   QStringLiteral("-ar"), QStringLiteral("44100"), QStringLiteral("-")});
    DecodedPcm result;
    if (!process.waitForFinished(60000))
        return result;
    result.complaints = QString::fromUtf8(process.readAllStandardError());
    if (process.exitCode() != 0)
        result.complaints += QStringLiteral("ffmpeg failed");
    result.seconds = double(process.readAllStandardOutput().size()) / (4 * 44100);
    return result;
}

// "yyyy-MM-ddTHH:mm" in local time, from the C library.
QString localMinute(std::int64_t seconds)
{
    const std::time_t t = std::time_t(seconds);
    std::tm parts{};
    localtime_r(&t, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M", &parts);
    return QString::fromLatin1(text);
}

// Size of the ID3v2 tag at the start of the file, from its header.
qsizetype leadingTagBytes(const QByteArray &file)
{
    if (!file.startsWith("ID3") || file.size() < 10)
        return 0;
    qsizetype size = 0;
    for (int i = 6; i < 10; ++i)
        size = size << 7 | (file[i] & 0x7F);
    return 10 + size;
}

class Mp3Tags : public ::testing::Test
{
protected:
    // Encodes seconds of tone at CD quality and closes with the fields.
    QString write(const QString &name, double seconds, const TagFields &fields)
    {
        const QString path = dir.file(name);
        Mp3Writer writer;
        const auto blocks = toBlocks(kCd, toneSamples(kCd, seconds));
        EXPECT_TRUE(writer.open(path, blocks.front(), 2));
        for (const CaptureBlock &block : blocks)
            EXPECT_TRUE(writer.write(block));
        EXPECT_GT(writer.close(fields), 0u);
        EXPECT_TRUE(writer.errors().isEmpty());
        return path;
    }

    TempFolder dir;
};

} // namespace

// Texts in any script reach players whole, the date in local time (a zone
// half an hour off whole hours), and the Info header still sits on the
// first audio frame after the tag, so the duration is the audio's.
TEST_F(Mp3Tags, UnicodeFieldsAndDateReadBackBesideTheRightDuration)
{
    ScopedEnv zone("TZ", "Asia/Kolkata");
    const std::int64_t recorded = 1765000000;
    const QString path = write(QStringLiteral("u.mp3"), 3.0,
                               {QStringLiteral("Café – Ωμέγα"), QStringLiteral("Ансамбль 東京"),
                                QStringLiteral("Morgenmagazin – Früh"), 7, recorded});
    const Mp3Probe p = probeMp3(path);
    ASSERT_TRUE(p.ok) << p.errors.toStdString();
    EXPECT_EQ(p.tag("title"), QStringLiteral("Café – Ωμέγα"));
    EXPECT_EQ(p.tag("artist"), QStringLiteral("Ансамбль 東京"));
    EXPECT_EQ(p.tag("album"), QStringLiteral("Morgenmagazin – Früh"));
    EXPECT_EQ(p.tag("track"), QStringLiteral("7"));
    EXPECT_EQ(p.tag("date"), localMinute(recorded));
    EXPECT_EQ(localMinute(recorded).right(2), QStringLiteral("16")) << "minutes of the +05:30 zone";
    EXPECT_NEAR(p.duration, 3.0, 0.05);
    // The Info header's encoder delay and padding give the exact length.
    const DecodedPcm decoded = decode(path);
    EXPECT_TRUE(decoded.complaints.isEmpty()) << decoded.complaints.toStdString();
    EXPECT_NEAR(decoded.seconds, 3.0, 0.001);

    const QByteArray bytes = readAll(path);
    const qsizetype audio = leadingTagBytes(bytes);
    EXPECT_EQ(audio, Mp3Writer::kTagRoom);
    EXPECT_TRUE(bytes.mid(audio, 200).contains("Info"));
    // The Latin-1 tag still ends the file.
    EXPECT_EQ(id3v1Field(path, 3), QStringLiteral("Café - ?????"));
    EXPECT_EQ(id3v1Field(path, 63), QStringLiteral("Morgenmagazin - Früh"));
}

// A station's text with control characters, a lone surrogate and bytes that
// were not UTF-8 becomes clean UTF-8; an endless title is cut on a whole
// character and leaves room for the other fields; the tag never grows
// into the audio.
TEST_F(Mp3Tags, BadAndOverlongTextsBecomeCleanTagsThatFit)
{
    QString messy = QString::fromUtf8("Bad\x01 Ti\x7Ftle\r\nnext\tline \xFF\xFE end");
    messy += QChar(0xD800);
    messy += QStringLiteral("\u0085tail");
    QString longTitle;
    while (longTitle.size() < 20000)
        longTitle += QStringLiteral("Ωμέγα 東京 ü🎵 ");
    const QString album = QStringLiteral("Ö1 Nachtquartier");
    struct Case {
        QString title;
        QString artist;
    };
    // Shifted by one byte and two, the cut falls inside a character at
    // least once.
    for (const Case &c : {Case{messy, messy}, Case{longTitle, QStringLiteral("Ансамбль")},
                          Case{QLatin1Char('x') + longTitle, QStringLiteral("Ансамбль")},
                          Case{QStringLiteral("xx") + longTitle, QStringLiteral("Ансамбль")}}) {
        const QString path = write(QStringLiteral("bad.mp3"), 1.0, {c.title, c.artist, album, 3, 1765000000});
        const Mp3Probe p = probeMp3(path);
        ASSERT_TRUE(p.ok) << p.errors.toStdString();
        for (const char *key : {"title", "artist"}) {
            const QString text = p.tag(key);
            EXPECT_FALSE(text.isEmpty()) << key;
            EXPECT_TRUE(std::none_of(
                text.begin(), text.end(),
                [](QChar ch) { return ch.unicode() < 0x20 || (ch.unicode() >= 0x7F && ch.unicode() < 0xA0); }))
                << key << ": " << text.toStdString();
        }
        EXPECT_EQ(p.tag("album"), album);
        EXPECT_EQ(p.tag("track"), QStringLiteral("3"));
        const DecodedPcm decoded = decode(path);
        EXPECT_TRUE(decoded.complaints.isEmpty()) << decoded.complaints.toStdString();
        EXPECT_NEAR(decoded.seconds, 1.0, 0.001);
        EXPECT_EQ(leadingTagBytes(readAll(path)), Mp3Writer::kTagRoom);
        if (c.title == messy) {
            EXPECT_TRUE(p.tag("title").startsWith(QStringLiteral("Bad Title next line ")))
                << p.tag("title").toStdString();
            EXPECT_TRUE(p.tag("title").endsWith(QStringLiteral(" tail"))) << p.tag("title").toStdString();
        } else {
            const QString title = p.tag("title");
            EXPECT_TRUE(c.title.startsWith(title)) << "cut at a whole character";
            EXPECT_GT(title.toUtf8().size(), 3500) << "most of the room goes to the long text";
            EXPECT_EQ(p.tag("artist"), QStringLiteral("Ансамбль"));
        }
    }
}

// A writer that never closes (the program killed mid-recording) leaves a
// file that decodes: the empty tag ahead of the audio is already valid.
TEST_F(Mp3Tags, FileOfAWriterThatNeverClosedStillDecodes)
{
    const QString path = dir.file(QStringLiteral("crash.mp3"));
    const QString copy = dir.file(QStringLiteral("copy.mp3"));
    const auto blocks = toBlocks(kCd, toneSamples(kCd, 4.0));
    {
        Mp3Writer writer;
        ASSERT_TRUE(writer.open(path, blocks.front(), 1));
        for (const CaptureBlock &block : blocks)
            EXPECT_TRUE(writer.write(block));
        // As it stands while recording, and as the dead program leaves it.
        ASSERT_TRUE(QFile::copy(path, copy));
    }
    for (const QString &file : {copy, path}) {
        SCOPED_TRACE(file.toStdString());
        const Mp3Probe p = probeMp3(file);
        ASSERT_TRUE(p.ok) << p.errors.toStdString();
        EXPECT_TRUE(p.tags.isEmpty());
        EXPECT_NEAR(p.duration, 4.0, 0.15);
        // Strict readers find a well-formed ID3v2.4 tag: its header, then
        // padding (zeros) to the size the header gives, then the audio.
        const QByteArray bytes = readAll(file);
        const qsizetype tagBytes = leadingTagBytes(bytes);
        EXPECT_EQ(bytes.left(6), QByteArray("ID3\x04\x00\x00", 6));
        EXPECT_GT(tagBytes, 10);
        EXPECT_EQ(bytes.mid(10, tagBytes - 10), QByteArray(tagBytes - 10, '\0'));
        EXPECT_EQ(std::uint8_t(bytes[tagBytes]), 0xFF) << "a frame follows the tag";
        // What the encoder still held is missing, nothing more.
        const DecodedPcm decoded = decode(file);
        EXPECT_TRUE(decoded.complaints.isEmpty()) << decoded.complaints.toStdString();
        EXPECT_NEAR(decoded.seconds, 4.0, 0.15);
    }
}

// A blank title asks for no tag: the file keeps a valid tag of padding only
// and no ID3v1 tag.
TEST_F(Mp3Tags, BlankTitleGivesNoTexts)
{
    const QString path =
        write(QStringLiteral("blank.mp3"), 1.0,
              {QStringLiteral(" "), QStringLiteral("0_Skywell"), QStringLiteral("Show"), 1, 1765000000});
    const Mp3Probe p = probeMp3(path);
    ASSERT_TRUE(p.ok) << p.errors.toStdString();
    EXPECT_TRUE(p.tags.isEmpty());
    EXPECT_NEAR(decode(path).seconds, 1.0, 0.001);
    EXPECT_TRUE(id3v1Field(path, 3).isEmpty());
}

TEST(StationTitle, SplitsIntoArtistAndTitle)
{
    struct Case {
        QString text, artist, title;
    };
    const Case cases[] = {
        {QStringLiteral("Nina Simone - Feeling Good"), QStringLiteral("Nina Simone"), QStringLiteral("Feeling Good")},
        {QStringLiteral("AC - DC - Thunderstruck"), QStringLiteral("AC"), QStringLiteral("DC - Thunderstruck")},
        {QStringLiteral("Station ID"), QString(), QStringLiteral("Station ID")},
        {QStringLiteral("Jay-Z"), QString(), QStringLiteral("Jay-Z")},
        {QStringLiteral(" - Only Title"), QString(), QStringLiteral("- Only Title")},
        {QStringLiteral("Only Artist - "), QString(), QStringLiteral("Only Artist -")},
        {QStringLiteral("\t A \x01-\x02 B\n"), QStringLiteral("A"), QStringLiteral("B")},
        {QStringLiteral("\x01\r\n"), QString(), QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const StationTitleParts parts = splitStationTitle(c.text);
        EXPECT_EQ(parts.artist, c.artist);
        EXPECT_EQ(parts.title, c.title);
    }
}

// Every room size, down to the bare header, gives a tag of exactly that
// size whose frames a reader can walk to the padding, each text valid
// UTF-8 and cut (if at all) at a character's end.
TEST(Id3v2Room, TagFitsEveryRoomWithWholeFramesAndCharacters)
{
    const TagFields fields{QStringLiteral("Ωμέγα 東京 🎵 Café"), QStringLiteral("Ансамбль"),
                           QStringLiteral("Morgenmagazin"), 12, 1765000000};
    const QHash<QByteArray, QString> whole{
        {"TIT2", fields.title}, {"TPE1", fields.artist}, {"TALB", fields.album}, {"TRCK", QStringLiteral("12")}};
    for (qsizetype room = 10; room <= 140; ++room) {
        SCOPED_TRACE(room);
        const QByteArray tag = id3v2Tag(fields, room);
        ASSERT_EQ(tag.size(), room);
        ASSERT_EQ(leadingTagBytes(tag), room);
        qsizetype at = 10;
        while (at + 10 <= room && tag[at] != '\0') {
            qsizetype size = 0;
            for (int i = 4; i < 8; ++i)
                size = size << 7 | (tag[at + i] & 0x7F);
            ASSERT_LE(at + 10 + size, room);
            ASSERT_GE(size, 2);
            EXPECT_EQ(tag[at + 10], '\x03') << "UTF-8";
            QStringDecoder utf8(QStringDecoder::Utf8);
            const QString text = utf8(tag.mid(at + 11, size - 1));
            EXPECT_FALSE(utf8.hasError());
            // A text is its field, or the start of it; the date is whole.
            const QByteArray id = tag.mid(at, 4);
            if (id == "TDRC")
                EXPECT_EQ(text.size(), 16) << text.toStdString();
            else
                EXPECT_TRUE(!text.isEmpty() && whole.value(id).startsWith(text))
                    << id.constData() << ": " << text.toStdString();
            at += 10 + size;
        }
        EXPECT_EQ(tag.mid(at), QByteArray(room - at, '\0')) << "padding after the frames";
    }
}
