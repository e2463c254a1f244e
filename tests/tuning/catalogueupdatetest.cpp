#include "tuning/catalogueupdate.h"
#include "core/registry.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "platform/curltransfer.h"
#include "support/tempenv.h"
#include "tuning/cataloguemodel.h"
#include "tuning/downloadtestserver.h"

#include <QDir>
#include <QFile>

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
        registry.regWriteString(kCatalogueAddressSetting, server.url(QStringLiteral("/")), kProfileKey);
    }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    CatalogueUpdate update(const QString &programFolder = QString())
    {
        DownloadSetup setup;
        setup.transfers = makeCurlTransfer;
        setup.prompter = &prompter;
        setup.stallIntervalMs = 100;
        return CatalogueUpdate(setup, prompter, registry, programFolder.isEmpty() ? program.path() : programFolder,
                               temp.path());
    }
    QByteArray programFile(const char *name) { return test::readAll(program.file(QString::fromLatin1(name))); }

    DownloadTestServer server;
    TempFolder program;
    TempFolder temp;
    TempFolder user;
    TempFolder machine;
    Registry registry{user.path(), machine.path()};
    ScriptedPrompter prompter;
    const std::int64_t now = 1800000000;
};

} // namespace

TEST_F(CatalogueUpdateTest, AnUpdateReplacesBothListsAndTheListShowsThem)
{
    server.serve("/user/dump_radio_stations_50.php", kNewStations, 200, "text/plain");
    server.serve("/user/dump_shows_50.php", kNewShows, 200, "text/plain");
    EXPECT_TRUE(update().run(now));
    EXPECT_EQ(programFile("stations.txt"), kNewStations);
    EXPECT_EQ(programFile("shows.txt"), kNewShows);
    ASSERT_EQ(prompter.prompts().size(), 1);
    EXPECT_EQ(prompter.prompts()[0].kind, ScriptedPrompter::Kind::Information);
    EXPECT_EQ(prompter.prompts()[0].text, kCatalogueUpdatedText);
    EXPECT_EQ(registry.regReadString(kCatalogueUpdateDayValue, kSkywellKey), QString::number(catalogueDayNumber(now)));

    CatalogueModel model(CatalogueMode::Station, program.path());
    model.reload();
    EXPECT_EQ(model.names(), QStringList{QStringLiteral("New Station")});
}

TEST_F(CatalogueUpdateTest, AFailingStationListReplacesNothing)
{
    // An error page, a stalled transfer, a short body: none is a list.
    server.serve("/user/dump_radio_stations_50.php", "<html>Server Error</html>", 500, "text/html");
    server.serve("/user/dump_shows_50.php", kNewShows);
    EXPECT_FALSE(update().run(now));
    server.route("/user/dump_radio_stations_50.php",
                 [](DownloadTestServer::Connection &c, const DownloadTestServer::Request &) {
                     c.send(DownloadTestServer::statusLine(200) + "Content-Length: 5000\r\n\r\nHalf|a list\n");
                 });
    EXPECT_FALSE(update().run(now));

    EXPECT_EQ(programFile("stations.txt"), kOldStations);
    EXPECT_EQ(programFile("shows.txt"), kOldShows);
    ASSERT_EQ(prompter.prompts().size(), 2);
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
    EXPECT_TRUE(update().run(now));
    EXPECT_EQ(programFile("stations.txt"), kNewStations);
    EXPECT_EQ(programFile("shows.txt"), kOldShows);
    EXPECT_TRUE(prompter.prompts().isEmpty());
}

TEST_F(CatalogueUpdateTest, WithoutAServerAddressTheUpdateFailsAtOnce)
{
    registry.regWriteString(kCatalogueAddressSetting, QString(), kProfileKey);
    EXPECT_FALSE(update().run(now));
    ASSERT_EQ(prompter.prompts().size(), 1);
    EXPECT_EQ(prompter.prompts()[0].text, kCatalogueUpdateError);
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(CatalogueUpdateTest, AListThatCannotBeStoredIsAnErrorNotASuccess)
{
    server.serve("/user/dump_radio_stations_50.php", kNewStations);
    server.serve("/user/dump_shows_50.php", kNewShows);
    // A program "folder" that is a file: nothing can be written in it,
    // also for root.
    const QString blocked = program.file(QStringLiteral("blocked"));
    write(blocked, "a file");
    EXPECT_FALSE(update(blocked + QLatin1Char('/')).run(now));
    ASSERT_EQ(prompter.prompts().size(), 1);
    EXPECT_EQ(prompter.prompts()[0].kind, ScriptedPrompter::Kind::Error);
    EXPECT_TRUE(prompter.prompts()[0].text.startsWith(
        QStringLiteral("Error: Unable to save the list of shows and stations as ")));
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Information), 0);
}
