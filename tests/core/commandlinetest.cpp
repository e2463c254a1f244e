#include "core/commandline.h"
#include "core/folders.h"
#include "core/systemreport.h"
#include "support/tempenv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <unistd.h>

using namespace skywell;
using skywell::test::ScopedEnv;
using skywell::test::TempFolder;

namespace
{
CommandLine parse(std::initializer_list<const char *> words)
{
    QStringList args;
    for (const char *w : words)
        args << QString::fromUtf8(w);
    return parseCommandLine(args, QStringLiteral("/work/here"));
}
} // namespace

TEST(CommandLine, Marks)
{
    const CommandLine empty = parse({});
    EXPECT_FALSE(empty.quiet || empty.uninstall || empty.headless);
    EXPECT_TRUE(empty.importPath.isEmpty());

    EXPECT_TRUE(parse({"-quiet"}).quiet);
    EXPECT_TRUE(parse({"UNINSTALL"}).uninstall);
    EXPECT_FALSE(parse({"uninstall"}).uninstall) << "marks are case-sensitive";
    EXPECT_FALSE(parse({"-QUIET"}).quiet);
    EXPECT_TRUE(parse({"--headless"}).headless);
    EXPECT_FALSE(parse({"--headless"}).quiet);
    EXPECT_TRUE(parse({"x-quietx"}).quiet) << "a mark counts anywhere in the text";
}

TEST(CommandLine, ImportPath)
{
    EXPECT_EQ(parse({"/home/u/Morning.skw"}).importPath, QStringLiteral("/home/u/Morning.skw"));
    // A path with blanks given without quotes comes back whole.
    EXPECT_EQ(parse({"/home/u/My", "Show.skw"}).importPath, QStringLiteral("/home/u/My Show.skw"));
    const CommandLine both = parse({"/home/u/a.skw", "-quiet"});
    EXPECT_TRUE(both.quiet);
    EXPECT_EQ(both.importPath, QStringLiteral("/home/u/a.skw"));
    // A relative path names a file in the folder the command was started
    // in, not in the running instance's.
    EXPECT_EQ(parse({"--headless", "a.skw"}).importPath, QStringLiteral("/work/here/a.skw"));
    EXPECT_EQ(parse({"../shows/My", "Show.skw"}).importPath, QStringLiteral("/work/shows/My Show.skw"));
    EXPECT_TRUE(parse({"show.txt"}).importPath.isEmpty());
}

TEST(Folders, TrailingSeparator)
{
    EXPECT_EQ(withTrailingSeparator(QStringLiteral("/radio")), QStringLiteral("/radio/"));
    EXPECT_EQ(withTrailingSeparator(QStringLiteral("/radio/")), QStringLiteral("/radio/"));
    EXPECT_EQ(withTrailingSeparator(QString()), QString());
}

TEST(Folders, FolderExistsLeavesTheCurrentDirectoryAlone)
{
    TempFolder folder;
    QFile file(folder.file(QStringLiteral("plain")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    char before[4096];
    ASSERT_NE(::getcwd(before, sizeof before), nullptr);
    EXPECT_TRUE(folderExists(folder.path()));
    EXPECT_TRUE(folderExists(folder.path().chopped(1)));
    EXPECT_FALSE(folderExists(folder.file(QStringLiteral("plain"))));
    EXPECT_FALSE(folderExists(folder.file(QStringLiteral("missing/"))));
    EXPECT_FALSE(folderExists(QString()));
    char after[4096];
    ASSERT_NE(::getcwd(after, sizeof after), nullptr);
    EXPECT_STREQ(before, after);

    EXPECT_TRUE(createFolder(folder.file(QStringLiteral("a/b/c/"))));
    EXPECT_TRUE(folderExists(folder.file(QStringLiteral("a/b/c/"))));
    EXPECT_FALSE(createFolder(folder.file(QStringLiteral("plain/sub/"))));
}

TEST(Folders, ProgramFolderFromEnvironment)
{
    {
        ScopedEnv home("SKYWELL_HOME", "/srv/skywell");
        EXPECT_EQ(programFolderFromEnvironment(), QStringLiteral("/srv/skywell/"));
    }
    ScopedEnv noHome("SKYWELL_HOME", "");
    {
        ScopedEnv data("XDG_DATA_HOME", "/data/u");
        EXPECT_EQ(programFolderFromEnvironment(), QStringLiteral("/data/u/Skywell/"));
    }
    ScopedEnv noData("XDG_DATA_HOME", "");
    EXPECT_EQ(programFolderFromEnvironment(), QDir::homePath() + QStringLiteral("/.local/share/Skywell/"));
}

TEST(SystemReport, DescribesTheDistributionAndKernel)
{
    EXPECT_EQ(
        osReleaseName(QStringLiteral("NAME=\"Debian\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n")),
        QStringLiteral("Debian GNU/Linux 12 (bookworm)"));
    EXPECT_EQ(osReleaseName(QStringLiteral("PRETTY_NAME=Plain\n")), QStringLiteral("Plain"));
    EXPECT_EQ(osReleaseName(QStringLiteral("NAME=x\n")), QString());
    EXPECT_EQ(osReleaseName(QStringLiteral("PRETTY_NAME=\"\n")), QStringLiteral("\""));
    const QString description = systemDescription();
    EXPECT_TRUE(description.contains(QStringLiteral("Linux "))) << qPrintable(description);
    EXPECT_TRUE(description.endsWith(QLatin1Char(' ')));
}
