#include "shows/outputnaming.h"

#include "showtesthelpers.h"

#include <QDir>
#include <QFile>

namespace skywell::test
{
namespace
{

class OutputNaming : public ZoneTest
{
protected:
    void SetUp() override
    {
        ZoneTest::SetUp();
        clock.set(localTime(2026, 12, 6, 21, 5));
        naming.fileNameFormat = QStringLiteral("%%s %b %#d");
        naming.mp3Folder = folder.path();
        naming.recordingName = QStringLiteral("Morning Show");
        naming.flags = OUT_MP3_FM;
        naming.trackNumber = 1;
    }

    void touch(const QString &name)
    {
        QFile file(naming.mp3Folder + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    RecordingNaming naming;
};

TEST_P(OutputNaming, DefaultPatternAndTrackNumbers)
{
    EXPECT_EQ(outputFileName(naming, QStringLiteral("mp3"), 0, clock), QStringLiteral("Morning Show Dec 6 - 01.mp3"));
    EXPECT_EQ(outputFileName(naming, QStringLiteral("m3u"), -1, clock), QStringLiteral("Morning Show Dec 6.m3u"));
    naming.trackNumber = 12;
    EXPECT_EQ(outputFileName(naming, QStringLiteral("wav"), 3, clock),
              QStringLiteral("Morning Show Dec 6(3) - 12.wav"));
}

TEST_P(OutputNaming, ExistingFilesAreNotOverwritten)
{
    OutputFilePath first = uniqueOutputFile(naming, clock);
    EXPECT_EQ(first.name, QStringLiteral("Morning Show Dec 6 - 01.mp3"));
    EXPECT_EQ(first.path, folder.path() + first.name);
    touch(first.name);
    EXPECT_EQ(uniqueOutputFile(naming, clock).name, QStringLiteral("Morning Show Dec 6(2) - 01.mp3"));
    touch(QStringLiteral("Morning Show Dec 6(2) - 01.mp3"));
    EXPECT_EQ(uniqueOutputFile(naming, clock).name, QStringLiteral("Morning Show Dec 6(3) - 01.mp3"));

    for (int i = 3; i <= 100; ++i)
        touch(QStringLiteral("Morning Show Dec 6(%1) - 01.mp3").arg(i));
    EXPECT_EQ(uniqueOutputFile(naming, clock).name, QStringLiteral("Morning Show Dec 6(101) - 01.mp3"))
        << "numbers go on past 100 instead of overwriting";
    touch(QStringLiteral("Morning Show Dec 6(101) - 01.mp3"));
    EXPECT_EQ(uniqueOutputFile(naming, clock).name, QStringLiteral("Morning Show Dec 6(102) - 01.mp3"));

    naming.flags = OUT_AUDIO_CD;
    EXPECT_EQ(uniqueOutputFile(naming, clock).name, QStringLiteral("Morning Show Dec 6 - 01.wav"));
    naming.flags = OUT_WAV;
    EXPECT_EQ(uniqueOutputFile(naming, clock).name, QStringLiteral("Morning Show Dec 6 - 01.wav"));
}

TEST_P(OutputNaming, ForbiddenCharactersBecomeDashes)
{
    naming.fileNameFormat = QStringLiteral("%%s %H:%M");
    EXPECT_EQ(outputFileName(naming, QStringLiteral("mp3"), 0, clock), QStringLiteral("Morning Show 21-05 - 01.mp3"));
    naming.fileNameFormat = QStringLiteral("%%s");
    naming.recordingName = QStringLiteral("AC/DC \\ \"Live\" <1>: *? | ok");
    EXPECT_EQ(outputFileName(naming, QStringLiteral("mp3"), 0, clock),
              QStringLiteral("AC-DC - -Live- -1-- -- | ok - 01.mp3"));
}

TEST_P(OutputNaming, PatternWithoutNameAndPercentSigns)
{
    naming.fileNameFormat = QStringLiteral("Recording %Y");
    EXPECT_EQ(outputFileName(naming, QStringLiteral("mp3"), 0, clock), QStringLiteral("Recording 2026 - 01.mp3"));
    // A name holding "%s" or "%%" is taken as it is.
    naming.fileNameFormat = QStringLiteral("%%s 100%%%% %%s");
    naming.recordingName = QStringLiteral("50%s");
    EXPECT_EQ(outputFileName(naming, QStringLiteral("mp3"), -1, clock), QStringLiteral("50%s 100% %s.mp3"));
}

TEST_P(OutputNaming, OverlongNamesAreShortenedOnCharacters)
{
    // 127 bytes of three-byte characters and more, with a long pattern.
    naming.recordingName = QString(42, QChar(0x263a)) + QStringLiteral("x");
    naming.fileNameFormat = QStringLiteral("%%s %A %B %#d %Y ") + QString(60, QChar(0xe9)) + QStringLiteral(" %%s");
    const QString name = outputFileName(naming, QStringLiteral("mp3"), 42, clock);
    EXPECT_LE(name.toUtf8().size(), kMaxFileNameBytes);
    EXPECT_GE(name.toUtf8().size(), kMaxFileNameBytes - 3);
    EXPECT_TRUE(name.endsWith(QStringLiteral("(42) - 01.mp3")));
    EXPECT_EQ(QString::fromUtf8(name.toUtf8()), name) << "valid UTF-8";
    touch(name);
    EXPECT_TRUE(QFile::exists(folder.path() + name)) << "the file system takes it";

    // Names of ordinary length are not cut.
    naming.fileNameFormat = QStringLiteral("%%s %b %#d");
    naming.recordingName = QString(127, QLatin1Char('n'));
    EXPECT_EQ(outputFileName(naming, QStringLiteral("mp3"), 0, clock),
              naming.recordingName + QStringLiteral(" Dec 6 - 01.mp3"));
}

TEST_P(OutputNaming, PlaylistOfThreeTracks)
{
    const QString text = folder.path() + QStringLiteral("a - 01.mp3\r\n") + folder.path() +
                         QStringLiteral("a - 02.mp3\r\n") + folder.path() + QStringLiteral("a - 03.mp3");
    const QString path = writePlaylist(naming, text, clock);
    EXPECT_EQ(path, folder.path() + QStringLiteral("Morning Show Dec 6.m3u"));
    EXPECT_EQ(readAll(path), text.toUtf8());
    // A second recording of the same day gets its own playlist; the first
    // one keeps its tracks.
    EXPECT_EQ(writePlaylist(naming, QStringLiteral("x"), clock),
              folder.path() + QStringLiteral("Morning Show Dec 6(2).m3u"));
    EXPECT_EQ(writePlaylist(naming, QStringLiteral("y"), clock),
              folder.path() + QStringLiteral("Morning Show Dec 6(3).m3u"));
    EXPECT_EQ(readAll(path), text.toUtf8());
    EXPECT_EQ(readAll(folder.path() + QStringLiteral("Morning Show Dec 6(2).m3u")), QByteArray("x"));

    EXPECT_TRUE(writePlaylist(naming, QString(), clock).isEmpty());
    naming.mp3Folder = folder.path() + QStringLiteral("missing/");
    EXPECT_TRUE(writePlaylist(naming, text, clock).isEmpty()) << "an uncreatable playlist is skipped";
}

INSTANTIATE_TEST_SUITE_P(Zones, OutputNaming, ::testing::ValuesIn(kTestZones));

} // namespace
} // namespace skywell::test
