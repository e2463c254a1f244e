// The recordings folder as the browser reads it: real files made by sox and
// lame, read back for their length and title, newest first, and a folder
// of thousands of files with unreadable ones and a named pipe among them.
#include "postprocess/audiofiles.h"
#include "support/tempenv.h"

#include "postprocess/recordingsbrowserrules.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <map>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skywell
{
namespace
{

using test::TempFolder;

const QDateTime kNow = QDateTime::currentDateTime();

void touch(const QString &path, int daysAgo, const QByteArray &data = {})
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append));
    file.write(data);
    ASSERT_TRUE(file.flush());
    ASSERT_TRUE(file.setFileTime(kNow.addDays(-daysAgo), QFileDevice::FileModificationTime));
}

bool lame(const QString &wav, const QString &mp3, const QStringList &options)
{
    return test::runTool(QStringLiteral("lame"),
                         QStringList{QStringLiteral("--quiet")} + options + QStringList{wav, mp3});
}

TEST(RecordingScan, ReadsLengthAndTitleNewestFirst)
{
    TempFolder folder;
    const QString wav = folder.file(QStringLiteral("Jazz Monday.wav"));
    ASSERT_TRUE(test::makeWav(wav, 2.0));
    // Lame's Info header counts the frames; without it (-t) the length
    // comes from the size at the bitrate.
    ASSERT_TRUE(lame(wav, folder.file(QStringLiteral("News 1.mp3")),
                     {QStringLiteral("--add-id3v2"), QStringLiteral("--tt"), QStringLiteral("Evening News")}));
    ASSERT_TRUE(lame(wav, folder.file(QStringLiteral("News 2.mp3")),
                     {QStringLiteral("-t"), QStringLiteral("-b"), QStringLiteral("128")}));
    touch(folder.file(QStringLiteral("News 1.mp3")), 3);
    touch(folder.file(QStringLiteral("Jazz Monday.wav")), 1);
    touch(folder.file(QStringLiteral("News 2.mp3")), 2);
    touch(folder.file(QStringLiteral("Not audio.mp3")), 4, "just some text, no frames at all");
    touch(folder.file(QStringLiteral("notes.txt")), 0);

    const RecordingScan scan = scanRecordings(folder.path(), QStringLiteral("."));
    EXPECT_TRUE(scan.problem.isEmpty());
    struct Expected {
        const char *name;
        const char *title;
        const char *length;
    };
    const Expected expected[] = {{"Jazz Monday.wav", "Jazz Monday", "0:02"},
                                 {"News 2.mp3", "News 2", "0:02"},
                                 {"News 1.mp3", "Evening News", "0:02"},
                                 {"Not audio.mp3", "Not audio", ""}};
    ASSERT_EQ(scan.entries.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const RecordingEntry &entry = scan.entries[qsizetype(i)];
        SCOPED_TRACE(entry.name.toStdString());
        EXPECT_EQ(entry.name, QString::fromUtf8(expected[i].name));
        EXPECT_EQ(entry.title, QString::fromUtf8(expected[i].title));
        EXPECT_EQ(recordingLengthText(entry), QString::fromUtf8(expected[i].length));
        EXPECT_TRUE(entry.problem.isEmpty());
        if (entry.seconds >= 0) {
            EXPECT_NEAR(entry.seconds, 2.0, 0.1);
        }
    }
    RecordingEntry hours;
    hours.seconds = 2 * 3600 + 5 * 60 + 7.4;
    EXPECT_EQ(recordingLengthText(hours), QStringLiteral("2:05:07"));
}

TEST(RecordingScan, ReadsLengthAndTitleOfTracksKeptAsBroadcast)
{
    TempFolder folder;
    // A reopened Ogg track holds one stream after the other (chained); the
    // AAC track is longer than the head that is read of it.
    struct Case {
        const char *name;
        const char *title;
        QList<double> links;
    };
    const Case cases[] = {{"Jazz.aac", "Jazz at noon", {12.0}},
                          {"Folk.ogg", "Fölk är här", {3.3}},
                          {"Talk.opus", "Talk of the town", {2.5}},
                          {"Drop.ogg", "After the drop", {2.0, 1.5}}};
    std::map<QString, double> expected;
    for (const Case &c : cases) {
        const QString path = folder.file(QString::fromUtf8(c.name));
        QByteArray chained;
        for (qsizetype i = 0; i < c.links.size(); ++i) {
            const QString link = folder.path() + QStringLiteral("link.") + QFileInfo(path).suffix();
            ASSERT_TRUE(test::makeBroadcastTrack(link, c.links[i], QString::fromUtf8(c.title), int(i) * 1000));
            expected[QString::fromUtf8(c.name)] += test::probeSeconds(link);
            chained += test::readAll(link);
            QFile::remove(link);
        }
        touch(path, 1, chained);
    }

    const RecordingScan scan = scanRecordings(folder.path(), QStringLiteral("."));
    ASSERT_EQ(scan.entries.size(), std::size(cases));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto entry = std::find_if(scan.entries.begin(), scan.entries.end(),
                                        [&c](const RecordingEntry &e) { return e.name == QString::fromUtf8(c.name); });
        ASSERT_NE(entry, scan.entries.end());
        EXPECT_EQ(entry->title, QString::fromUtf8(c.title));
        EXPECT_TRUE(entry->problem.isEmpty());
        EXPECT_NEAR(entry->seconds, expected[entry->name], 0.1);
    }
}

// Permission bits hold for root too once the file-system user is another.
class AsOtherUser
{
public:
    AsOtherUser() : m_root(::geteuid() == 0)
    {
        if (m_root)
            ::setfsuid(65534);
    }
    ~AsOtherUser()
    {
        if (m_root)
            ::setfsuid(0);
    }

private:
    bool m_root;
};

TEST(RecordingScan, ManyFilesUnreadableOnesAndPipes)
{
    TempFolder folder;
    ASSERT_EQ(::chmod(QFile::encodeName(folder.path()).constData(), 0755), 0);
    constexpr int kFiles = 5000;
    for (int i = 0; i < kFiles; ++i)
        touch(folder.file(QStringLiteral("Show %1.mp3").arg(i)), i % 97);
    const QString locked = folder.file(QStringLiteral("Show 17.mp3"));
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
    // A reader opening a pipe would wait for a writer for ever.
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.file(QStringLiteral("pipe.mp3"))).constData(), 0644), 0);

    RecordingScan scan;
    {
        AsOtherUser other;
        scan = scanRecordings(folder.path(), QStringLiteral("Show"));
    }
    ASSERT_EQ(scan.entries.size(), kFiles);
    EXPECT_TRUE(
        std::is_sorted(scan.entries.begin(), scan.entries.end(),
                       [](const RecordingEntry &a, const RecordingEntry &b) { return a.modified > b.modified; }));
    int unreadable = 0;
    for (const RecordingEntry &entry : scan.entries) {
        if (entry.name != QStringLiteral("Show 17.mp3"))
            continue;
        ++unreadable;
        EXPECT_FALSE(entry.problem.isEmpty());
        EXPECT_EQ(recordingLengthText(entry), QStringLiteral("unreadable"));
        EXPECT_EQ(entry.title, QStringLiteral("Show 17"));
    }
    EXPECT_EQ(unreadable, 1);

    // A folder that is missing, or cannot be read, says so.
    EXPECT_FALSE(scanRecordings(folder.file(QStringLiteral("gone/")), QStringLiteral(".")).problem.isEmpty());
    ASSERT_EQ(::chmod(QFile::encodeName(folder.path()).constData(), 0), 0);
    {
        AsOtherUser other;
        scan = scanRecordings(folder.path(), QStringLiteral("."));
    }
    ::chmod(QFile::encodeName(folder.path()).constData(), 0700);
    EXPECT_TRUE(scan.entries.isEmpty());
    EXPECT_TRUE(scan.problem.contains(QStringLiteral("cannot be read"))) << scan.problem.toStdString();
}

} // namespace
} // namespace skywell
