#include "shows/showstore.h"

#include "shows/showfile.h"
#include "showtesthelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace skywell::test
{
namespace
{

class ShowStoreTest : public ::testing::Test
{
protected:
    QString datPath() const { return folder.file(kShowFileName); }
    QByteArray logText() const { return readAll(log.filePath()); }
    int logCount(const QByteArray &text) const { return static_cast<int>(logText().count(text)); }

    TempFolder folder;
    ManualClock clock{1796680800};
    ActivityLog log{folder.path(), clock};
    ScriptedPrompter prompter;
    ShowStore store{folder.path(), log, prompter};
};

TEST_F(ShowStoreTest, FailedSavesAreLoggedEachTimeAndShownOnceUntilOneSucceeds)
{
    ShowList shows(2);
    ASSERT_TRUE(QDir().mkpath(datPath() + QStringLiteral("/inside")));
    const QByteArray line = "Cannot save the show list " + datPath().toUtf8() + ": Is a directory";

    EXPECT_FALSE(store.save(shows));
    EXPECT_FALSE(store.save(shows));
    EXPECT_EQ(logCount(line), 2) << logText().constData();
    ASSERT_EQ(prompter.count(ScriptedPrompter::Kind::Error), 1);
    EXPECT_EQ(prompter.prompts()[0].text, kShowListNotSavedText.arg(datPath(), QStringLiteral("Is a directory")));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("log.txt")})
        << "no temporary file is left behind";

    // The list the caller kept is written whole once the way is free.
    ASSERT_TRUE(QDir(datPath()).removeRecursively());
    EXPECT_TRUE(store.save(shows));
    EXPECT_EQ(readAll(datPath()).size(), 2 * 1052);
    EXPECT_EQ(logCount("Show list saved again " + datPath().toUtf8()), 1);

    // A new failure after a good save is news again.
    ASSERT_TRUE(QFile::remove(datPath()));
    ASSERT_TRUE(QDir().mkpath(datPath() + QStringLiteral("/inside")));
    EXPECT_FALSE(store.save(shows));
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Error), 2);
}

TEST_F(ShowStoreTest, AnUnreadableShowFileIsNeverWrittenOver)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(datPath()).constData(), 0600), 0);
    // An earlier run's list beside it, and a dangling link: both kept.
    QFile earlier(datPath() + QStringLiteral(".1"));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write(QByteArray(1052, 'x'));
    earlier.close();
    ASSERT_TRUE(QFile::link(folder.file(QStringLiteral("gone")), datPath() + QStringLiteral(".2")));

    ShowList shows;
    store.load(shows);
    EXPECT_TRUE(shows.empty());
    EXPECT_TRUE(store.fileUnreadable());
    EXPECT_TRUE(logText().contains("Cannot read the show list " + datPath().toUtf8() + ": it is a named pipe (FIFO)"));
    ASSERT_EQ(prompter.count(ScriptedPrompter::Kind::Error), 1);

    shows.resize(1);
    ASSERT_TRUE(store.save(shows));
    const QString beside = datPath() + QStringLiteral(".3");
    EXPECT_EQ(store.besidePath(), beside);
    EXPECT_EQ(readAll(beside).size(), 1052);
    EXPECT_TRUE(logText().contains("Show list saved beside the unreadable one " + beside.toUtf8()));
    EXPECT_EQ(prompter.prompts().last().text, kShowListSavedBesideText.arg(datPath(), beside));

    // Later saves go to the same file, without a new message.
    shows.resize(2);
    ASSERT_TRUE(store.save(shows));
    EXPECT_EQ(readAll(beside).size(), 2 * 1052);
    EXPECT_EQ(prompter.prompts().size(), 2);

    EXPECT_EQ(QFileInfo(datPath()).isFile(), false) << "the FIFO is still there";
    struct stat info {
    };
    ASSERT_EQ(::lstat(QFile::encodeName(datPath()).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(readAll(datPath() + QStringLiteral(".1")), QByteArray(1052, 'x'));
    EXPECT_TRUE(QFileInfo(datPath() + QStringLiteral(".2")).isSymLink());
}

TEST_F(ShowStoreTest, AMissingFileIsAFirstStartWithoutAWord)
{
    ShowList shows;
    store.load(shows);
    EXPECT_FALSE(store.fileUnreadable());
    EXPECT_TRUE(prompter.prompts().isEmpty());
    ASSERT_TRUE(store.save(shows));
    EXPECT_TRUE(QFileInfo(datPath()).isFile());
}

} // namespace
} // namespace skywell::test
