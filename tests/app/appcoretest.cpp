#include "app/appcore.h"
#include "core/activitylog.h"
#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "support/tempenv.h"

#include <QDir>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace skywell;
using skywell::test::readAll;
using skywell::test::ScopedEnv;
using skywell::test::TempFolder;

namespace
{
class AppCoreTest : public ::testing::Test
{
protected:
    ScopedEnv tz{"TZ", "UTC"};
    TempFolder program;
    // The user's home: the default folders go to its Music and .cache.
    TempFolder home;
    ScopedEnv homeEnv{"HOME", home.path().toUtf8()};
    ScopedEnv configEnv{"XDG_CONFIG_HOME", home.file(QStringLiteral(".config")).toUtf8()};
    ScopedEnv cacheEnv{"XDG_CACHE_HOME", home.file(QStringLiteral(".cache")).toUtf8()};
    TempFolder config;
    ManualClock clock{1102367107};
    ActivityLog log{program.path(), clock};
    ScriptedPrompter prompter;
    SettingsStore settingsStore{config.path(), config.path() + QStringLiteral("machine"), &prompter};

    QByteArray logText() const { return readAll(program.file(QStringLiteral("log.txt"))); }
};
} // namespace

TEST_F(AppCoreTest, HeadlessFirstStartTakesDefaultsAndCreatesFolders)
{
    AppCore core(program.path(), clock, log, settingsStore, prompter);
    core.openRun();
    core.start();
    core.shutdown();
    const QString recordings = home.file(QStringLiteral("Music/Skywell/"));
    EXPECT_TRUE(QDir(recordings).exists());
    EXPECT_TRUE(QDir(home.file(QStringLiteral(".cache/skywell"))).exists());
    EXPECT_EQ(core.settings().mp3Folder, recordings);
    const QByteArray text = logText();
    EXPECT_TRUE(text.startsWith("\r\nMon Dec 6 9:05:07 PM OS = ")) << text.constData();
    EXPECT_TRUE(text.contains("Created folder " + recordings.toUtf8()));
    EXPECT_TRUE(text.endsWith("Mon Dec 6 9:05:07 PM Load Program.  Current Version 5.02\r\n"));
    EXPECT_EQ(prompter.prompts().size(), 0) << "nobody is there to answer";

    // The next start is not a first start.
    Settings again;
    EXPECT_TRUE(loadSettings(again, settingsStore, program.path()));
}

TEST_F(AppCoreTest, HeadlessRecreatesAMissingFolderAndLogsIt)
{
    Settings s = defaultSettings(program.path());
    s.mp3Folder = program.file(QStringLiteral("gone/"));
    s.firstTime = false;
    saveSettings(s, settingsStore);
    AppCore core(program.path(), clock, log, settingsStore, prompter);
    core.start();
    EXPECT_TRUE(QDir(program.file(QStringLiteral("gone"))).exists());
    const QByteArray text = logText();
    EXPECT_TRUE(text.contains("The folder for MP3 files no longer exists.  Please choose a new folder in Settings."));
    EXPECT_TRUE(text.contains("The folder for Temporary files no longer exists."));
    EXPECT_EQ(prompter.prompts().size(), 0);
}

TEST_F(AppCoreTest, DesktopFirstStartAsksOnceAndSavesOnlyWhenAccepted)
{
    QList<bool> calls;
    AppCore core(program.path(), clock, log, settingsStore, prompter);
    core.setConfigureSettings([&calls](Settings &s, bool firstTime) {
        calls.append(firstTime);
        s.retuneSeconds = 90;
        return false; // cancelled
    });
    core.start();
    // Cancelled: the defaults serve this run, their folders made without
    // a box or a second sheet.
    EXPECT_EQ(calls, (QList<bool>{true}));
    EXPECT_EQ(prompter.prompts().size(), 0);
    EXPECT_TRUE(QDir(home.file(QStringLiteral("Music/Skywell"))).exists());
    Settings stored;
    EXPECT_FALSE(loadSettings(stored, settingsStore, program.path())) << "cancelled: the first start comes back";
}

TEST_F(AppCoreTest, SecondStartRequests)
{
    AppCore core(program.path(), clock, log, settingsStore, prompter);
    QSignalSpy quit(&core, &AppCore::quitRequested);
    QSignalSpy restore(&core, &AppCore::restoreRequested);
    deliverInstanceMessage(core, 1033, 513);
    EXPECT_EQ(restore.count(), 1);
    deliverInstanceMessage(core, 1042, 906);
    EXPECT_EQ(restore.count(), 2);
    deliverInstanceMessage(core, 1042, 902);
    EXPECT_EQ(quit.count(), 1);
    deliverInstanceMessage(core, 1042, 904);
    deliverInstanceMessage(core, 7, 7);
    EXPECT_EQ(quit.count() + restore.count(), 3) << "unknown requests do nothing";
}

TEST_F(AppCoreTest, TickStartsWithTheSchedulingAndStopsAtShutdown)
{
    AppCore core(program.path(), clock, log, settingsStore, prompter);
    EXPECT_FALSE(core.ticker().isRunning());
    core.start();
    EXPECT_TRUE(core.ticker().isRunning());
    core.shutdown();
    EXPECT_FALSE(core.ticker().isRunning());
    core.shutdown();
}

TEST(Ticker, TenthTickRunsTheSlowerHandlers)
{
    Ticker ticker;
    int every = 0;
    int tenth = 0;
    ticker.onEveryTick([&every] { ++every; });
    ticker.onTenthTick([&tenth] { ++tenth; });
    for (int i = 0; i < 25; ++i)
        ticker.tick();
    EXPECT_EQ(every, 25);
    EXPECT_EQ(tenth, 2);
    EXPECT_EQ(ticker.tickCount(), 25);
}
