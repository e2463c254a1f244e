#include "recording/freespace.h"
#include "core/settings.h"
#include "shows/show.h"
#include "support/tempenv.h"

#include <QFile>
#include <QMap>
#include <QScopeGuard>
#include <gtest/gtest.h>

#include <sys/mount.h>

using namespace skywell;
using namespace skywell::test;

namespace
{

constexpr std::uint64_t MB = 1000 * 1000;

// Needed bytes for a figure of bytes: 10 % and 20 MB more.
constexpr std::uint64_t withMargin(std::uint64_t bytes)
{
    return bytes + bytes / 10 + 20 * MB;
}

class FreeSpaceTest : public ::testing::Test
{
protected:
    FreeSpaceTest()
    {
        settings.tempFolder = QStringLiteral("/temp/");
        settings.mp3Folder = QStringLiteral("/recordings/");
    }
    void place(const QString &folder, std::uint64_t available, std::uint64_t fileSystem)
    {
        space[folder] = FolderSpace{available, fileSystem};
    }
    QString problem(std::uint32_t flags, std::int64_t seconds, std::int64_t splitEverySeconds = 0)
    {
        return freeSpaceProblem(settings, flags, seconds, splitEverySeconds, [this](const QString &folder) {
            asked << folder;
            return space.contains(folder) ? std::optional(space[folder]) : std::nullopt;
        });
    }

    Settings settings;
    QMap<QString, FolderSpace> space;
    QStringList asked;
};

} // namespace

TEST_F(FreeSpaceTest, OutputKindsWithoutARateOfTheirOwnAreCountedAsDecided)
{
    // An MP3 CD is encoded at CD quality, the custom script gets CD audio,
    // a download is guessed at 128 kbit/s, listening writes nothing.
    EXPECT_EQ(recordingBytesPerSecond(OUT_MP3_CD), 128000u / 8);
    EXPECT_EQ(recordingBytesPerSecond(OUT_CUSTOM), 176400u);
    EXPECT_EQ(recordingBytesPerSecond(OPT_DIRECT_DOWNLOAD | OUT_WAV), 128000u / 8);
    EXPECT_EQ(recordingBytesPerSecond(OUT_NONE), 0u);
}

TEST_F(FreeSpaceTest, ExactlyEnoughIsEnoughAndOneByteLessIsReported)
{
    // One hour of FM-quality MP3: 28.8 MB, with the margin 51.68 MB.
    const std::uint64_t needed = withMargin(8000 * 3600);
    place(settings.tempFolder, 10 * needed, 1);
    place(settings.mp3Folder, needed, 2);
    EXPECT_EQ(problem(OUT_MP3_FM, 3600), QString());

    place(settings.mp3Folder, needed - 1, 2);
    EXPECT_EQ(
        problem(OUT_MP3_FM, 3600),
        QStringLiteral("Not enough free space in /recordings/ for this recording: about 52 MB needed, 51 MB free."));
}

TEST_F(FreeSpaceTest, TheTemporaryFolderHoldsOneTrackTheRecordingsFolderAllOfThem)
{
    // Two hours of WAV cut every 30 minutes: 317.52 MB a track, 1270.08 MB in all.
    const std::uint64_t track = withMargin(176400ull * 1800), whole = withMargin(176400ull * 7200);
    place(settings.mp3Folder, whole, 2);
    place(settings.tempFolder, track, 1);
    EXPECT_EQ(problem(OUT_WAV | OPT_TIME_SPLIT, 7200, 1800), QString());

    const QString temp = problem(OUT_WAV | OPT_TIME_SPLIT, 7200, 0);
    EXPECT_TRUE(temp.startsWith(QStringLiteral("Not enough free space in /temp/ for this recording: about 1418 MB")))
        << temp.toStdString();

    // A split longer than the recording does not shorten it.
    place(settings.tempFolder, whole - 1, 1);
    EXPECT_FALSE(problem(OUT_WAV | OPT_TIME_SPLIT, 7200, 9000).isEmpty());

    // Ten hours of WAV in one track: the temporary file ends at 4 GB and
    // the next one starts after it was delivered.
    place(settings.mp3Folder, withMargin(176400ull * 36000), 2);
    place(settings.tempFolder, withMargin(0xFFFFFFFFull - 39), 1);
    EXPECT_EQ(problem(OUT_WAV, 36000), QString());

    // Both short: both named, on one line.
    place(settings.mp3Folder, 0, 2);
    place(settings.tempFolder, 0, 1);
    const QString both = problem(OUT_WAV, 7200);
    EXPECT_TRUE(both.contains(QStringLiteral("in /temp/")) && both.contains(QStringLiteral("in /recordings/")))
        << both.toStdString();
    EXPECT_FALSE(both.contains(QLatin1Char('\n')));
}

TEST_F(FreeSpaceTest, OneFileSystemForBothCountsTheRecordingOnce)
{
    // Tracks move from the temporary folder by renaming: ten hours of MP3
    // at CD quality need 576 MB there once, not once per folder.
    const std::uint64_t whole = withMargin(16000ull * 36000);
    place(settings.tempFolder, whole, 7);
    place(settings.mp3Folder, whole, 7);
    EXPECT_EQ(problem(OUT_MP3_CD_QUALITY, 36000), QString());

    place(settings.tempFolder, whole - 1, 7);
    place(settings.mp3Folder, whole - 1, 7);
    const QString text = problem(OUT_MP3_CD_QUALITY, 36000);
    EXPECT_EQ(text.count(QStringLiteral("Not enough free space")), 1) << text.toStdString();
}

TEST_F(FreeSpaceTest, ListeningDownloadingAndUnknownFoldersAskForLittleOrNothing)
{
    EXPECT_EQ(problem(OUT_NONE, 3600), QString());

    // A download goes straight into the recordings folder.
    place(settings.tempFolder, 0, 1);
    place(settings.mp3Folder, withMargin(16000 * 3600), 2);
    EXPECT_EQ(problem(OPT_DIRECT_DOWNLOAD | OUT_MP3_FM, 3600), QString());
    place(settings.mp3Folder, withMargin(16000 * 3600) - 1, 2);
    EXPECT_FALSE(problem(OPT_DIRECT_DOWNLOAD | OUT_MP3_FM, 3600).isEmpty());

    // A folder that cannot be asked is named: nothing could be saved there.
    space.clear();
    EXPECT_EQ(problem(OUT_WAV, 3600), QStringLiteral("The folder /temp/ is missing or cannot be opened. The folder "
                                                     "/recordings/ is missing or cannot be opened."));
    EXPECT_EQ(asked, (QStringList{QStringLiteral("/recordings/"), QStringLiteral("/recordings/"),
                                  QStringLiteral("/recordings/"), QStringLiteral("/temp/")}));
}

TEST(FreeSpaceSystemTest, ASmallFileSystemIsMeasuredAsItIs)
{
    TempFolder small;
    const QByteArray mountPoint = QFile::encodeName(small.path());
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64m") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root): the real free-space query is not tested";
    const auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });
    TempFolder disk;
    Settings settings;
    settings.tempFolder = small.path();
    settings.mp3Folder = small.path();

    const auto tmpfs = systemFreeSpace(small.path());
    ASSERT_TRUE(tmpfs);
    EXPECT_EQ(tmpfs->availableBytes, 64ull * 1024 * 1024);
    EXPECT_NE(tmpfs->fileSystem, systemFreeSpace(disk.path())->fileSystem);
    EXPECT_FALSE(systemFreeSpace(small.file(QStringLiteral("missing/"))));

    // An hour at FM quality (52 MB with the margin) fits in 67 MB; at CD
    // quality (84 MB) it does not.
    EXPECT_EQ(freeSpaceProblem(settings, OUT_MP3_FM, 3600), QString());
    EXPECT_EQ(freeSpaceProblem(settings, OUT_MP3_CD_QUALITY, 3600),
              QStringLiteral("Not enough free space in %1 for this recording: about 84 MB needed, 67 MB free.")
                  .arg(small.path()));

    // The same hour with its recordings on the big disk: the temporary
    // folder still needs the one whole track.
    settings.mp3Folder = disk.path();
    EXPECT_TRUE(freeSpaceProblem(settings, OUT_MP3_CD_QUALITY, 3600).contains(small.path()));
    EXPECT_EQ(freeSpaceProblem(settings, OUT_MP3_CD_QUALITY | OPT_TIME_SPLIT, 3600, 1800), QString());
}
