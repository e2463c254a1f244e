#include "recording/recordingmarker.h"
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

    EXPECT_TRUE(RecordingMarker::clear(folder.path()));
    EXPECT_FALSE(RecordingMarker::read(folder.path()));
    EXPECT_TRUE(RecordingMarker::clear(folder.path()));
    EXPECT_FALSE(RecordingMarker::write(folder.file(QStringLiteral("missing/")), {name, 0, 1, 0}));
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
        good + QByteArray(70000, ' '),
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
