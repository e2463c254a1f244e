#include "tuning/catalogueupdate.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "platform/curltransfer.h"
#include "support/eventloop.h"
#include "support/tempenv.h"
#include "tuning/cataloguemodel.h"
#include "tuning/downloadtestserver.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

using namespace skywell;
using skywell::test::DownloadTestServer;
using skywell::test::TempFolder;

namespace
{

const QByteArray kNewStations = "New Station|http://new.example/live|0000|0000|-------|N|W\n";
const QByteArray kNewShows = "New Show|http://new.example/show|1900|2000|MTWTF--|N|W\n";
const QByteArray kOldStations = "Old Station|http://old.example/\n";
const QByteArray kOldShows = "Old Show|http://old.example/show\n";

class CatalogueUpdateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(temp.path());
        write(program.file(QStringLiteral("stations.txt")), kOldStations);
        write(program.file(QStringLiteral("shows.txt")), kOldShows);
        settingsStore.writeString(kCatalogueAddressSetting, server.url(QStringLiteral("/")), SettingsGroup::Options);
    }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    DownloadSetup setup()
    {
        DownloadSetup setup;
        setup.transfers = makeCurlTransfer;
        setup.prompter = &prompter;
        setup.stallIntervalMs = 100;
        return setup;
    }
    // Runs an update to its end on the event loop; its finished() value,
    // or false when it did not start.
    bool run(const QString &programFolder = QString(), DownloadSetup s = {})
    {
        CatalogueUpdate update(s.transfers ? s : setup(), prompter, settingsStore,
                               programFolder.isEmpty() ? program.path() : programFolder);
        QSignalSpy finished(&update, &CatalogueUpdate::finished);
        if (!update.start(now))
            return false;
        EXPECT_TRUE(test::spinUntil([&] { return !finished.isEmpty(); }, 30000));
        return !finished.isEmpty() && finished[0][0].toBool();
    }
    QByteArray programFile(const char *name) { return test::readAll(program.file(QString::fromLatin1(name))); }

    DownloadTestServer server;
    TempFolder program;
    TempFolder temp;
    TempFolder user;
    TempFolder machine;
    SettingsStore settingsStore{user.path(), machine.path()};
    ScriptedPrompter prompter;
    const std::int64_t now = 1800000000;
};

} // namespace

TEST_F(CatalogueUpdateTest, AnUpdateReplacesBothListsAndTheListShowsThem)
{
    server.serve("/user/dump_radio_stations_50.php", kNewStations, 200, "text/plain");
    server.serve("/user/dump_shows_50.php", kNewShows, 200, "text/plain");
    EXPECT_TRUE(run());
    EXPECT_EQ(programFile("stations.txt"), kNewStations);
    EXPECT_EQ(programFile("shows.txt"), kNewShows);
    ASSERT_EQ(prompter.prompts().size(), 1);
    EXPECT_EQ(prompter.prompts()[0].kind, ScriptedPrompter::Kind::Information);
    EXPECT_EQ(prompter.prompts()[0].text, kCatalogueUpdatedText);
    EXPECT_EQ(settingsStore.readString(kCatalogueUpdateDayValue, SettingsGroup::Program),
              QString::number(catalogueDayNumber(now)));

    CatalogueModel model(CatalogueMode::Station, program.path());
    model.reload();
    EXPECT_EQ(model.names(), QStringList{QStringLiteral("New Station")});
}

TEST_F(CatalogueUpdateTest, AFailingStationListReplacesNothing)
{
    // An error page, a short body, a page that is no list: none replaces
    // the catalogue.
    server.serve("/user/dump_radio_stations_50.php", "<html>Server Error</html>", 500, "text/html");
    server.serve("/user/dump_shows_50.php", kNewShows);
    EXPECT_FALSE(run());
    server.route("/user/dump_radio_stations_50.php",
                 [](DownloadTestServer::Connection &c, const DownloadTestServer::Request &) {
                     c.send(DownloadTestServer::statusLine(200) + "Content-Length: 5000\r\n\r\nHalf|a list\n");
                 });
    EXPECT_FALSE(run());
    // A page sent as a success is no list either.
    server.serve("/user/dump_radio_stations_50.php", "<html>Down for maintenance</html>\n", 200, "text/html");
    EXPECT_FALSE(run());

    EXPECT_EQ(programFile("stations.txt"), kOldStations);
    EXPECT_EQ(programFile("shows.txt"), kOldShows);
    ASSERT_EQ(prompter.prompts().size(), 3);
    for (const auto &prompt : prompter.prompts()) {
        EXPECT_EQ(prompt.kind, ScriptedPrompter::Kind::Error);
        EXPECT_EQ(prompt.caption, QStringLiteral("Skywell"));
        EXPECT_EQ(prompt.text, kCatalogueUpdateError);
    }
    for (const auto &request : server.requests())
        EXPECT_EQ(request.path, "/user/dump_radio_stations_50.php") << "the show list is not asked for";
}

TEST_F(CatalogueUpdateTest, AFailingShowListKeepsTheNewStationsQuietly)
{
    server.serve("/user/dump_radio_stations_50.php", kNewStations);
    EXPECT_TRUE(run());
    EXPECT_EQ(programFile("stations.txt"), kNewStations);
    EXPECT_EQ(programFile("shows.txt"), kOldShows);
    EXPECT_TRUE(prompter.prompts().isEmpty());
}

TEST_F(CatalogueUpdateTest, WithoutAServerAddressTheUpdateSaysSoAtOnce)
{
    settingsStore.writeString(kCatalogueAddressSetting, QString(), SettingsGroup::Options);
    EXPECT_FALSE(run());
    ASSERT_EQ(prompter.prompts().size(), 1);
    EXPECT_EQ(prompter.prompts()[0].text, kNoCatalogueAddressText);
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(CatalogueUpdateTest, ATricklingServerNeitherHoldsTheProgramNorReplacesTheList)
{
    // A whole list without a length, one byte every 300 ms: never idle
    // long enough to count as stalled, far below the minimum rate.
    server.route("/user/dump_radio_stations_50.php",
                 [](DownloadTestServer::Connection &c, const DownloadTestServer::Request &) {
                     if (!c.send(DownloadTestServer::statusLine(200) + "Content-Type: text/plain\r\n\r\n"))
                         return;
                     for (const char byte : kNewStations)
                         if (!c.pause(300) || !c.send(QByteArray(1, byte)))
                             return;
                 });
    DownloadSetup s = setup();
    s.stallIntervalMs = 1000;
    s.minBytesPerSecond = 100;
    s.slowSeconds = 2;
    CatalogueUpdate update(s, prompter, settingsStore, program.path());
    QSignalSpy finished(&update, &CatalogueUpdate::finished);
    int ticksWhileUpdating = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ticksWhileUpdating += update.isRunning() ? 1 : 0; });
    tick.start(50);
    ASSERT_TRUE(update.start(now));
    ASSERT_TRUE(test::spinUntil([&] { return !finished.isEmpty(); }, 30000));
    EXPECT_FALSE(finished[0][0].toBool());
    EXPECT_GT(ticksWhileUpdating, 0) << "the main loop ran on during the download";
    EXPECT_EQ(programFile("stations.txt"), kOldStations);
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Error), 1);
    EXPECT_EQ(QDir(program.path()).entryList(QDir::Files | QDir::Hidden).size(), 2) << "no temporary list is left";
}

TEST_F(CatalogueUpdateTest, AListThatCannotBeStoredIsAnErrorNotASuccess)
{
    server.serve("/user/dump_radio_stations_50.php", kNewStations);
    server.serve("/user/dump_shows_50.php", kNewShows);
    // A folder where the station list should be: it cannot be replaced,
    // also for root.
    TempFolder blocked;
    ASSERT_TRUE(QDir().mkpath(blocked.file(QStringLiteral("stations.txt"))));
    EXPECT_FALSE(run(blocked.path()));
    ASSERT_EQ(prompter.prompts().size(), 1);
    EXPECT_EQ(prompter.prompts()[0].kind, ScriptedPrompter::Kind::Error);
    EXPECT_TRUE(prompter.prompts()[0].text.startsWith(
        QStringLiteral("Error: Unable to save the list of shows and stations as ")));
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Information), 0);
}
