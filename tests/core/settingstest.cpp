#include "core/settings.h"
#include "core/defaultfolders.h"
#include "core/settingsstore.h"
#include "support/tempenv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace skywell;
using skywell::test::ScopedEnv;
using skywell::test::TempFolder;

namespace
{
const QString kProgram = QStringLiteral("/opt/skywell/");

class SettingsTest : public ::testing::Test
{
protected:
    TempFolder user;
    TempFolder machine;
    SettingsStore settingsStore{user.path(), machine.path()};
    // The desktop's folders: music from user-dirs.dirs, the cache from the
    // environment.
    ScopedEnv home{"HOME", "/home/ann"};
    ScopedEnv config{"XDG_CONFIG_HOME", user.path().toUtf8()};
    ScopedEnv cache{"XDG_CACHE_HOME", "/home/ann/.cache"};
};
} // namespace

TEST_F(SettingsTest, FirstStartTakesTheDefaults)
{
    QFile dirs(user.file(QStringLiteral("user-dirs.dirs")));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_MUSIC_DIR=\"$HOME/Musik\"\n");
    dirs.close();
    Settings s;
    s.connectLeadSeconds = 99;
    EXPECT_FALSE(loadSettings(s, settingsStore, kProgram));
    EXPECT_EQ(s.mp3Folder, QStringLiteral("/home/ann/Musik/Skywell/"));
    EXPECT_EQ(s.tempFolder, QStringLiteral("/home/ann/.cache/skywell/"));
    EXPECT_EQ(s.soundCard, QStringLiteral("Default Device"));
    EXPECT_EQ(s.fileNameFormat, QStringLiteral("%%s %b %#d"));
    EXPECT_EQ(s.proxyAddress, QString());
    EXPECT_EQ(s.proxyPort, QString());
    EXPECT_EQ(s.connectLeadSeconds, 30);
    EXPECT_EQ(s.retuneSeconds, 60);
    EXPECT_FALSE(s.useDialup);
    EXPECT_FALSE(s.startOnBoot) << "starting at login is asked for, off by default";
    EXPECT_FALSE(s.tuneInBrowser);
    EXPECT_TRUE(s.optimizeVolume);
    EXPECT_FALSE(s.useProxy);
    EXPECT_FALSE(s.firstTime) << "cleared in memory so that saving ends the first start";
}

TEST_F(SettingsTest, SavedSettingsLoadBackAndEndTheFirstStart)
{
    Settings s;
    loadSettings(s, settingsStore, kProgram);
    s.mp3Folder = QStringLiteral("/radio/");
    s.tempFolder = QStringLiteral("/tmp/radio/");
    s.soundCard = QStringLiteral("RecSink Monitor");
    s.fileNameFormat = QStringLiteral("%%s %Y-%m-%d");
    s.proxyAddress = QStringLiteral("proxy.local");
    s.proxyPort = QStringLiteral("3128");
    s.connectLeadSeconds = 45;
    s.retuneSeconds = 120;
    s.useDialup = true;
    s.startOnBoot = true;
    s.tuneInBrowser = true;
    s.optimizeVolume = false;
    s.useProxy = true;
    saveSettings(s, settingsStore);

    Settings back;
    EXPECT_TRUE(loadSettings(back, settingsStore, kProgram));
    // Every field as saved; the first start is over.
    s.firstTime = false;
    EXPECT_TRUE(back == s);
    EXPECT_EQ(settingsStore.readInt(SettingNames::firstTime, SettingsGroup::Options), 0);
}

TEST_F(SettingsTest, FoldersAlwaysEndWithASeparator)
{
    settingsStore.writeString(SettingNames::mp3Folder, QStringLiteral("/home/u/Radio"), SettingsGroup::Options);
    settingsStore.writeString(SettingNames::tempFolder, QStringLiteral("/home/u/Temp/"), SettingsGroup::Options);
    Settings s;
    loadSettings(s, settingsStore, kProgram);
    EXPECT_EQ(s.mp3Folder, QStringLiteral("/home/u/Radio/"));
    EXPECT_EQ(s.tempFolder, QStringLiteral("/home/u/Temp/"));
}

TEST_F(SettingsTest, SavedInTheProfileSectionWithTheExactNames)
{
    Settings s;
    loadSettings(s, settingsStore, kProgram);
    saveSettings(s, settingsStore);
    QFile file(user.file(QStringLiteral("Skywell/skywell.ini")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("[Skywell%205]")) << text.constData();
    for (const char *name :
         {"MP3%20Folder=", "Temp%20Folder=", "Sound%20Card=", "Format%20String=", "Proxy%20Address=", "Proxy%20Port=",
          "Connection%20Time=30", "Retune%20Time=60", "Dialup%20Connection=0", "Start%20on%20Boot=0",
          "Tune%20In%20Browser=0", "Optimize%20Volume=1", "Uses%20Proxy=0", "First%20Time=0"})
        EXPECT_TRUE(text.contains(name)) << name;
}

TEST_F(SettingsTest, BadValuesReadAsDefaults)
{
    QDir().mkpath(user.file(QStringLiteral("Skywell")));
    QFile file(user.file(QStringLiteral("Skywell/skywell.ini")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "[Skywell%205]\nConnection%20Time=soon\nRetune%20Time=\x01\x02\nFirst%20Time=zero\n\xff\xfe garbage ]]][[\n");
    file.close();
    Settings s;
    EXPECT_FALSE(loadSettings(s, settingsStore, kProgram)) << "an unreadable First Time counts as a first start";
    EXPECT_EQ(s.connectLeadSeconds, 30);
    EXPECT_EQ(s.retuneSeconds, 60);
    EXPECT_EQ(s.mp3Folder, QStringLiteral("/home/ann/Music/Skywell/"));
}

TEST_F(SettingsTest, UnreadableProfileReadsAsDefaults)
{
    // A folder where the profile file should be.
    ASSERT_TRUE(QDir().mkpath(user.file(QStringLiteral("Skywell/skywell.ini"))));
    Settings s;
    EXPECT_FALSE(loadSettings(s, settingsStore, kProgram));
    EXPECT_EQ(s.soundCard, QStringLiteral("Default Device"));
}

TEST(DefaultFolders, FollowTheDesktopAndNeverShareAFolder)
{
    struct Case {
        const char *music, *cache, *home, *recordings, *temp;
    };
    const Case cases[] = {
        {"/home/ann/Music", "/home/ann/.cache", "/home/ann", "/home/ann/Music/Skywell/", "/home/ann/.cache/skywell/"},
        {"", "", "/home/ann", "/home/ann/Music/Skywell/", "/home/ann/.cache/skywell/"},
        {"/data/Musik/", "relative/cache", "/home/ann", "/data/Musik/Skywell/", "/home/ann/.cache/skywell/"},
        // No home: the program folder serves.
        {"", "", "", "/opt/skywell/Recordings/", "/opt/skywell/Temp/"},
        // The music folder as the cache: still two folders.
        {"/srv", "/srv", "/home/ann", "/srv/Skywell/", "/srv/skywell/"},
        {"/", "/", "/home/ann", "/home/ann/Music/Skywell/", "/home/ann/.cache/skywell/"},
    };
    for (const Case &c : cases) {
        const FolderEnvironment environment{QString::fromUtf8(c.music), QString::fromUtf8(c.cache),
                                            QString::fromUtf8(c.home), QStringLiteral("/opt/skywell/")};
        EXPECT_EQ(defaultRecordingsFolder(environment), QString::fromUtf8(c.recordings)) << c.music;
        EXPECT_EQ(defaultTempFolder(environment), QString::fromUtf8(c.temp)) << c.cache;
    }
}
