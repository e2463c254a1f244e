#include "core/folders.h"
#include "core/settingsstore.h"
#include "core/writeprobe.h"
#include "support/tempenv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace skywell;
using skywell::test::ScopedEnv;
using skywell::test::TempFolder;

TEST(Home, WithoutAHomeOrSkywellHomeTheStartIsRefused)
{
    ScopedEnv xdgConfig("XDG_CONFIG_HOME", "");
    ScopedEnv xdgData("XDG_DATA_HOME", "");
    {
        ScopedEnv home("HOME", "");
        ScopedEnv skywellHome("SKYWELL_HOME", "");
        EXPECT_TRUE(homeFolder().isEmpty());
        EXPECT_FALSE(missingHomeMessage().isEmpty());
    }
    {
        // "/" is where a process without a home would write: no home.
        ScopedEnv home("HOME", "/");
        ScopedEnv skywellHome("SKYWELL_HOME", "");
        EXPECT_FALSE(missingHomeMessage().isEmpty());
        ScopedEnv relative("HOME", "somewhere");
        EXPECT_FALSE(missingHomeMessage().isEmpty());
    }
    {
        // SKYWELL_HOME stands in for the home, settings included.
        ScopedEnv home("HOME", "");
        ScopedEnv skywellHome("SKYWELL_HOME", "/srv/skywell");
        EXPECT_TRUE(missingHomeMessage().isEmpty());
        EXPECT_EQ(programFolderFromEnvironment(), QStringLiteral("/srv/skywell/"));
        EXPECT_EQ(SettingsStore::defaultUserRoot(), QStringLiteral("/srv/skywell/.config"));
    }
    {
        ScopedEnv home("HOME", "/home/listener/");
        ScopedEnv skywellHome("SKYWELL_HOME", "");
        EXPECT_TRUE(missingHomeMessage().isEmpty());
        EXPECT_EQ(programFolderFromEnvironment(), QStringLiteral("/home/listener/.local/share/Skywell/"));
        EXPECT_EQ(SettingsStore::defaultUserRoot(), QStringLiteral("/home/listener/.config"));
    }
}

TEST(WriteProbe, NamesWhatStandsInTheWayAndLeavesNothing)
{
    TempFolder folder;
    QFile plain(folder.file(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(whyCannotWrite(folder.file(QStringLiteral("plain/deeper/skywell.ini"))),
              QStringLiteral("Not a directory"));
    ASSERT_TRUE(QDir().mkpath(folder.file(QStringLiteral("dir.ini"))));
    EXPECT_EQ(whyCannotWrite(folder.file(QStringLiteral("dir.ini"))), QStringLiteral("Is a directory"));
    // Nothing wrong to be seen: a plain statement, and no probe left over.
    EXPECT_EQ(whyCannotWrite(folder.file(QStringLiteral("missing/skywell.ini"))),
              QStringLiteral("the file could not be written"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("dir.ini"), QStringLiteral("plain")}));
}
