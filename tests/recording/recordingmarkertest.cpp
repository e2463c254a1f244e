#include "recording/recordingmarker.h"
#include "recording/recordingsession.h"
#include "shows/show.h"
#include "support/tempenv.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace skywell;
using namespace skywell::test;

TEST(RecordingMarkerTest, KeepsTheLatestTrackOfTheRecordingUntilCleared)
{
    TempFolder folder;
    EXPECT_FALSE(RecordingMarker::read(folder.path()));
    // Any name a Show can have, quotes and line ends included.
    const QString name = QStringLiteral("Jazz \"Late\" Night\nÄ – 夜");
    ASSERT_TRUE(RecordingMarker::write(folder.path(), {name, OUT_MP3_FM | OPT_TIME_SPLIT, 1, 1765000000}));
    ASSERT_TRUE(RecordingMarker::write(folder.path(), {name, OUT_MP3_FM | OPT_TIME_SPLIT, 3, 1765000000}));

    const auto marker = RecordingMarker::read(folder.path());
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->name, name);
    EXPECT_EQ(marker->flags, OUT_MP3_FM | OPT_TIME_SPLIT);
    EXPECT_EQ(marker->trackNumber, 3);
    EXPECT_EQ(marker->startTime, 1765000000);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{RecordingMarker::kFileName})
        << "no half-written file left beside it";

    // The station's title, the playlist so far and the series of names
    // are kept too; a marker of an older Skywell without them still reads.
    RecordingMarker full{name, OUT_MP3_FM, 4, 1765000000};
    full.stationTitle = QStringLiteral("Mira – Łódź \"nocą\"");
    full.playlistText = QStringLiteral("#EXTM3U\r\n#EXTINF:20,A\r\n/r/a - 01.mp3\r\n/r/a - 02.mp3");
    full.seriesIndex = 2;
    ASSERT_TRUE(RecordingMarker::write(folder.path(), full));
    const auto read = RecordingMarker::read(folder.path());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->stationTitle, full.stationTitle);
    EXPECT_EQ(read->playlistText, full.playlistText);
    EXPECT_EQ(read->seriesIndex, 2);
    {
        QFile old(folder.file(RecordingMarker::kFileName));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
        old.write(R"({"name":"Show","flags":1024,"track":2,"start":1765000000})");
    }
    ASSERT_TRUE(RecordingMarker::read(folder.path()));
    EXPECT_TRUE(RecordingMarker::read(folder.path())->stationTitle.isEmpty());

    EXPECT_TRUE(RecordingMarker::clear(folder.path()));
    EXPECT_FALSE(RecordingMarker::read(folder.path()));
    EXPECT_TRUE(RecordingMarker::clear(folder.path()));
    EXPECT_FALSE(RecordingMarker::write(folder.file(QStringLiteral("missing/")), {name, 0, 1, 0}));
}

TEST(RecordingMarkerTest, RecordingsSideBySideEachKeepTheirOwnMarker)
{
    TempFolder folder;
    const struct {
        const char *key;
        const char *marker;
        const char *resume;
    } names[] = {
        {"", "skywell-recording.json", "skywell-resume.json"},
        {"m5xk2a1", "skywell-recording-m5xk2a1.json", "skywell-resume-m5xk2a1.json"},
        {"q7", "skywell-recording-q7.json", "skywell-resume-q7.json"},
    };
    RecordingSession session;
    for (const auto &n : names) {
        EXPECT_EQ(RecordingMarker::fileNameFor(QLatin1String(n.key)), QLatin1String(n.marker));
        EXPECT_EQ(RecordingMarker::resumeFileNameFor(QLatin1String(n.key)), QLatin1String(n.resume));
        session.name = QStringLiteral("Show ") + QLatin1String(n.key);
        session.fileKey = QLatin1String(n.key);
        ASSERT_TRUE(
            RecordingMarker::write(folder.path(), RecordingMarker::of(session, 1765000000), QLatin1String(n.marker)));
    }
    ASSERT_TRUE(RecordingMarker::clear(folder.path(), QLatin1String(names[1].marker)));
    for (const auto &n : names) {
        const auto marker = RecordingMarker::read(folder.path(), QLatin1String(n.marker));
        if (&n == &names[1]) {
            EXPECT_FALSE(marker);
            continue;
        }
        ASSERT_TRUE(marker) << n.marker;
        EXPECT_EQ(marker->name, QStringLiteral("Show ") + QLatin1String(n.key));
        EXPECT_EQ(marker->fileKey, QLatin1String(n.key));
    }
    // A marker without the key (an older Skywell's) is the plain names'.
    EXPECT_TRUE(readAll(folder.file(QLatin1String(names[0].marker))).indexOf("key") < 0);
}

TEST(RecordingMarkerTest, AnythingButAWholeMarkerReadsAsNone)
{
    TempFolder folder;
    const QString path = folder.file(RecordingMarker::kFileName);
    const QByteArray good = R"({"name":"Show","flags":1024,"track":2,"start":1765000000})";
    const QList<QByteArray> bad = {
        "",
        good.left(good.size() - 5),
        QByteArray("\x00\xff\xfe garbage", 12),
        R"(["Show",1024,2,1765000000])",
        R"({"name":7,"flags":1024,"track":2,"start":1765000000})",
        R"({"name":"Show","flags":-1,"track":2,"start":1765000000})",
        R"({"name":"Show","flags":4294967296,"track":2,"start":1765000000})",
        R"({"name":"Show","flags":1024,"track":0,"start":1765000000})",
        R"({"name":"Show","flags":1024,"track":2.5,"start":1765000000})",
        R"({"name":"Show","flags":1024,"track":2})",
        R"({"name":"Show","flags":1024,"track":2,"start":"soon"})",
        R"({"name":"Show","flags":1024,"track":2,"start":1765000000,"title":7})",
        R"({"name":"Show","flags":1024,"track":2,"start":1765000000,"series":-2})",
        R"({"name":"Show","flags":1024,"track":2,"start":1765000000,"key":"../x"})",
        R"({"name":"Show","flags":1024,"track":2,"start":1765000000,"key":7})",
        good + QByteArray(5 * 1024 * 1024, ' '),
    };
    for (const QByteArray &text : bad) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();
        EXPECT_FALSE(RecordingMarker::read(folder.path())) << text.left(80).toStdString();
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(good);
    file.close();
    EXPECT_TRUE(RecordingMarker::read(folder.path()));

    // A link or a folder in its place is not followed.
    TempFolder other;
    ASSERT_TRUE(QFile::rename(path, other.file(QStringLiteral("marker"))));
    ASSERT_EQ(::symlink(QFile::encodeName(other.file(QStringLiteral("marker"))).constData(),
                        QFile::encodeName(path).constData()),
              0);
    EXPECT_FALSE(RecordingMarker::read(folder.path()));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkdir(path));
    EXPECT_FALSE(RecordingMarker::read(folder.path()));
}
