#include "app/appcore.h"

#include "core/settingsstore.h"
#include "shows/editoraccept.h"
#include "shows/fakewaketimer.h"
#include "shows/localtime.h"
#include "shows/showfile.h"
#include "shows/showtesthelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace skywell::test
{
namespace
{

constexpr std::uint32_t kWeekdays = SHOW_MON | SHOW_TUE | SHOW_WED | SHOW_THU | SHOW_FRI;

// The start-up and tick of the program with a real Show file on disk.
class AppCoreScheduling : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Wednesday 9 December 2026, 12:00 in New York (standard time).
        clock.set(localTime(2026, 12, 9, 12));
        core.setWakeTimerFactory([this] {
            auto timer = std::make_unique<FakeWakeTimer>();
            wake = timer.get();
            return timer;
        });
    }

    void writeShows(const ShowList &shows)
    {
        QFile file(folder.file(kShowFileName));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (const Show &show : shows)
            file.write(reinterpret_cast<const char *>(&show), static_cast<qint64>(kShowRecordSize));
    }

    ShowList savedShows()
    {
        const QByteArray data = readAll(folder.file(kShowFileName));
        EXPECT_EQ(data.size() % 1052, 0);
        ShowList shows;
        appendShowRecords(shows, data.constData(), static_cast<std::size_t>(data.size()));
        return shows;
    }

    QString writeImport(const QByteArray &line)
    {
        const QString path = folder.file(QStringLiteral("import.skw"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(line);
        return path;
    }

    ScopedEnv tz{"TZ", "America/New_York"};
    TempFolder folder;
    TempFolder configFolder;
    // A first start makes the default folders: in a home of the test's own.
    ScopedEnv home{"HOME", configFolder.path().toUtf8()};
    ScopedEnv configHome{"XDG_CONFIG_HOME", configFolder.file(QStringLiteral(".config")).toUtf8()};
    ScopedEnv cacheHome{"XDG_CACHE_HOME", configFolder.file(QStringLiteral(".cache")).toUtf8()};
    ManualClock clock{0};
    ActivityLog log{folder.path(), clock};
    SettingsStore settingsStore{configFolder.path() + QStringLiteral("user"),
                                configFolder.path() + QStringLiteral("machine")};
    ScriptedPrompter prompter;
    AppCore core{folder.path(), clock, log, settingsStore, prompter};
    FakeWakeTimer *wake = nullptr;
};

TEST_F(AppCoreScheduling, StartReschedulesAndSavesTheShowList)
{
    const std::int64_t lastMonday9 = localTime(2026, 11, 30, 9);
    Show once = makeShow("Once", OUT_MP3_FM, localTime(2026, 12, 1, 20), localTime(2026, 12, 1, 21));
    once.reserved956 = 42;
    writeShows({makeShow("Morning", SHOW_REPEATING | kWeekdays | OUT_MP3_FM, lastMonday9, lastMonday9 + 3600), once});

    core.start();
    ASSERT_EQ(core.shows().size(), 2u);
    const ShowList saved = savedShows();
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[0].startTime, localTime(2026, 12, 10, 9)) << "Thursday: today's 9:00 has passed";
    EXPECT_EQ(saved[1].startTime, once.startTime) << "once Shows stay";
    EXPECT_EQ(saved[1].reserved956, -1);
    EXPECT_EQ(settingsStore.readInt(kTimeZoneValueName, SettingsGroup::Program), 1);
    ASSERT_NE(wake, nullptr);
    ASSERT_EQ(wake->delays.size(), 1u);
    EXPECT_EQ(wake->delays[0], localTime(2026, 12, 10, 9) - (clock.now() + 60));
    EXPECT_TRUE(core.ticker().isRunning());
    core.shutdown();
}

TEST_F(AppCoreScheduling, UnreadableShowFileIsNotReplacedAtStartUp)
{
    ASSERT_TRUE(QDir().mkpath(folder.file(kShowFileName)));
    core.start();
    EXPECT_TRUE(core.shows().empty());
    EXPECT_TRUE(readAll(log.filePath()).contains("Cannot read the show list"));
    EXPECT_TRUE(QFileInfo(folder.file(kShowFileName)).isDir());

    // An import does not replace it either: the list goes beside it.
    ASSERT_TRUE(core.importShow(writeImport("Morning Show|http://127.0.0.1/m|0600|0900|MTWTF--|*\n")));
    EXPECT_TRUE(QFileInfo(folder.file(kShowFileName)).isDir());
    EXPECT_EQ(readAll(folder.file(kShowFileName + QStringLiteral(".1"))).size(), 1052);
    EXPECT_TRUE(readAll(log.filePath()).contains("Imported show Morning Show"));
    core.shutdown();
}

TEST_F(AppCoreScheduling, AnImportThatCannotBeSavedIsKeptAndNotReportedAsImported)
{
    core.start();
    ASSERT_TRUE(QFile::remove(folder.file(kShowFileName)));
    ASSERT_TRUE(QDir().mkpath(folder.file(kShowFileName + QStringLiteral("/inside"))));
    ASSERT_TRUE(core.importShow(writeImport("Morning Show|http://127.0.0.1/m|0600|0900|MTWTF--|*\n")));
    EXPECT_EQ(core.shows().size(), 1u);
    const QByteArray text = readAll(log.filePath());
    EXPECT_FALSE(text.contains("Imported show")) << text.constData();
    EXPECT_TRUE(text.contains("Show added but not saved Morning Show"));
    core.shutdown();
}

TEST_F(AppCoreScheduling, EveryTenthTickChecksTheTimeZone)
{
    const std::int64_t nine = localTime(2026, 12, 10, 9);
    writeShows({makeShow("Daily", SHOW_REPEATING | SHOW_DAYS, nine, nine + 3600)});
    core.start();
    // As if daylight time had been in force when the program last looked.
    settingsStore.writeInt(kTimeZoneValueName, 2, SettingsGroup::Program);
    for (int i = 0; i < 9; ++i)
        core.ticker().tick();
    EXPECT_EQ(core.shows()[0].startTime, nine);
    core.ticker().tick();
    EXPECT_EQ(core.shows()[0].startTime, nine + 3600);
    EXPECT_EQ(settingsStore.readInt(kTimeZoneValueName, SettingsGroup::Program), 1);
    core.shutdown();
}

TEST_F(AppCoreScheduling, ImportAddsTheShowAsIfTheEditorsOkWerePressed)
{
    core.start();
    ASSERT_TRUE(core.importShow(writeImport("Morning Show|http://127.0.0.1/m|0600|0900|MTWTF--|*\n")));
    ASSERT_EQ(core.shows().size(), 1u);
    const ShowList saved = savedShows();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(fieldText(saved[0].name), QStringLiteral("Morning Show"));
    EXPECT_EQ(saved[0].startTime, localTime(2026, 12, 10, 6)) << "next weekday morning";
    EXPECT_EQ(saved[0].endTime, localTime(2026, 12, 10, 9));
    EXPECT_EQ(saved[0].tunerKind, 'U');
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Hint), 1) << "the TuneHint";
    EXPECT_TRUE(readAll(log.filePath()).contains("Imported show Morning Show"));

    // The request of a second start imports the file named in "ImportFile".
    settingsStore.writeString(QStringLiteral("ImportFile"), writeImport("Late|http://x|2300|0100|-------|2026-12-20"),
                              SettingsGroup::Program);
    core.restoreAndImport();
    ASSERT_EQ(core.shows().size(), 2u);
    EXPECT_EQ(core.shows()[1].startTime, localTime(2026, 12, 20, 23));
    EXPECT_EQ(core.shows()[1].endTime, localTime(2026, 12, 21, 1)) << "the end follows the start";
    EXPECT_EQ(savedShows().size(), 2u);

    // A broken file adds nothing.
    EXPECT_FALSE(core.importShow(writeImport("only|two")));
    EXPECT_EQ(core.shows().size(), 2u);
    core.shutdown();
}

TEST_F(AppCoreScheduling, ImportedShowOverlappingAnotherIsReported)
{
    // Tuned in the browser, both are heard through the chosen source.
    settingsStore.writeInt(SettingNames::tuneInBrowser, 1, SettingsGroup::Options);
    core.start();
    core.importShow(writeImport("A|http://a|1300|1400|-------|2026-12-11"));
    core.importShow(writeImport("B|http://b|1330|1500|-------|2026-12-11"));
    ASSERT_EQ(prompter.count(ScriptedPrompter::Kind::Error), 1);
    for (const ScriptedPrompter::Prompt &prompt : prompter.prompts()) {
        if (prompt.kind == ScriptedPrompter::Kind::Error) {
            EXPECT_TRUE(prompt.text.contains(QStringLiteral("shows A and B on Friday December 11 at 1:30 PM")))
                << prompt.text.toStdString();
        }
    }
    core.shutdown();
}

TEST(EditorAccept, TimesOfDayGoToTheirNextOccurrence)
{
    ScopedEnv tz("TZ", "Europe/Berlin");
    TempFolder config;
    SettingsStore settingsStore(config.path() + QStringLiteral("u"), config.path() + QStringLiteral("m"));
    ScriptedPrompter prompter;
    const std::int64_t now = localTime(2026, 12, 9, 14);

    // Saving at 14:00 a repeating Show that starts at 9:00: tomorrow 9:00.
    Show show =
        makeShow("R", SHOW_REPEATING | SHOW_MON | OUT_WAV, localTime(2026, 12, 9, 9), localTime(2026, 12, 9, 10));
    show.lastRecorded = 99;
    acceptShowUnchanged(show, now, settingsStore, prompter);
    EXPECT_EQ(show.startTime, localTime(2026, 12, 10, 9));
    EXPECT_EQ(show.endTime, localTime(2026, 12, 10, 10));
    EXPECT_EQ(show.lastRecorded, 0);

    // A once Show with a past date keeps it; the end before the start is
    // the next day.
    Show once = makeShow("O", OUT_MP3_FM, localTime(2026, 12, 9, 23), localTime(2026, 12, 9, 1));
    once.onceDate = static_cast<std::int32_t>(localTime(2004, 1, 10));
    acceptShowUnchanged(once, now, settingsStore, prompter);
    EXPECT_EQ(once.startTime, localTime(2004, 1, 10, 23));
    EXPECT_EQ(once.endTime, localTime(2004, 1, 11, 1));
    // Days are whole 86400-second steps: in summer the stored time is an
    // hour off the wall clock until the time-zone check moves it.
    Show summer = makeShow("S", OUT_MP3_FM, localTime(2026, 12, 9, 23), localTime(2026, 12, 9, 23, 30));
    summer.onceDate = static_cast<std::int32_t>(localTime(2004, 5, 1));
    acceptShowUnchanged(summer, now, settingsStore, prompter);
    EXPECT_EQ(summer.startTime, localTime(2004, 5, 1, 23) + 3600);
    // The same for a date to come: the Show stays on its own day.
    Show future = makeShow("F", OUT_MP3_FM, localTime(2026, 12, 9, 23), localTime(2026, 12, 10, 1));
    future.onceDate = static_cast<std::int32_t>(localTime(2030, 5, 1));
    acceptShowUnchanged(future, now, settingsStore, prompter);
    EXPECT_EQ(future.startTime, localTime(2030, 5, 1, 23) + 3600);
    EXPECT_EQ(future.endTime, localTime(2030, 5, 2, 1) + 3600);

    // A new Show proposes the next full hour for an hour.
    Show fresh;
    fresh.flags = OUT_MP3_FM;
    acceptShowUnchanged(fresh, localTime(2026, 12, 9, 10, 17, 30), settingsStore, prompter);
    EXPECT_EQ(fresh.startTime, localTime(2026, 12, 9, 11));
    EXPECT_EQ(fresh.endTime, localTime(2026, 12, 9, 12));
    EXPECT_EQ(fresh.onceDate, localTime(2026, 12, 9));

    // Direct Download: a minute long; long audio CDs are warned about.
    Show direct = makeShow("D", OUT_AUDIO_CD, localTime(2026, 12, 9, 15), localTime(2026, 12, 9, 17));
    settingsStore.writeString(QStringLiteral("LastRecordSource"), QStringLiteral("Direct Download"),
                              SettingsGroup::Program);
    acceptShowUnchanged(direct, now, settingsStore, prompter);
    EXPECT_EQ(direct.endTime - direct.startTime, 60);
    EXPECT_TRUE(direct.flags & OPT_DIRECT_DOWNLOAD);
    Show cd = makeShow("C", OUT_AUDIO_CD, localTime(2026, 12, 9, 15), localTime(2026, 12, 9, 23));
    setField(cd.recordSource, "Monitor");
    acceptShowUnchanged(cd, now, settingsStore, prompter);
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Information), 2) << "74 minutes and 6 hours";
}

} // namespace
} // namespace skywell::test
