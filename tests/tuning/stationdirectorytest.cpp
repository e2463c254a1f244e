#include "tuning/stationdirectory.h"
#include "core/settings.h"
#include "core/settingsstore.h"
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

QByteArray recordedAnswer()
{
    return test::readAll(QStringLiteral(SKYWELL_TUNING_TEST_DATA "radiobrowser-search-jazz.json"));
}

class StationDirectoryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(recordedAnswer().isEmpty());
        settingsStore.writeString(kStationDirectoryAddressSetting, server.url(QStringLiteral("/")),
                                  SettingsGroup::Options);
    }
    StationDirectory directory()
    {
        DownloadSetup setup;
        setup.transfers = makeCurlTransfer;
        setup.stallIntervalMs = 200;
        return StationDirectory(setup, settingsStore, program.path(), temp.path());
    }
    StationQuery jazz() const
    {
        StationQuery query;
        query.tag = QStringLiteral("jazz");
        return query;
    }

    DownloadTestServer server;
    TempFolder program;
    TempFolder temp;
    TempFolder user;
    TempFolder machine;
    SettingsStore settingsStore{user.path(), machine.path()};
};

} // namespace

TEST_F(StationDirectoryTest, ASearchYieldsStationsThePickListOffers)
{
    server.serve("/json/stations/search", recordedAnswer(), 200, "application/json");
    StationQuery query = jazz();
    query.name = QStringLiteral("Café jazz");
    query.country = QStringLiteral("fr");
    const DirectoryAnswer answer = directory().search(query);
    ASSERT_TRUE(answer.ok) << answer.error.toStdString();

    ASSERT_EQ(server.requests().size(), 1);
    const auto request = server.requests()[0];
    EXPECT_EQ(request.target, "/json/stations/search?name=Caf%C3%A9%20jazz&tag=jazz&countrycode=FR&limit=200"
                              "&hidebroken=true&order=votes&reverse=true");
    EXPECT_EQ(request.header("User-Agent"), "Skywell/5.02");

    // The entry without an address and the one with a file address are left out.
    ASSERT_EQ(answer.stations.size(), 4);
    EXPECT_EQ(answer.stations[0].name, QStringLiteral("Jazz Radio Café"));
    EXPECT_EQ(answer.stations[0].address, QStringLiteral("http://jazz-wr01.ice.infomaniak.ch/jazz-wr01-128.mp3"));
    EXPECT_EQ(answer.stations[0].codec, QStringLiteral("MP3"));
    EXPECT_EQ(answer.stations[0].bitrate, 128);
    EXPECT_EQ(answer.stations[0].homepage, QStringLiteral("https://www.jazzradio.fr/"));
    EXPECT_EQ(answer.stations[0].tags, QStringLiteral("jazz,smooth jazz,café"));
    EXPECT_EQ(answer.stations[1].name, QStringLiteral("Джаз FM Москва"));
    EXPECT_EQ(answer.stations[1].address, QStringLiteral("http://nashe1.hostingradio.ru/jazz-128.mp3"))
        << "the resolved address is preferred";
    EXPECT_EQ(answer.stations[2].name, QStringLiteral("ジャズ喫茶 Radio"));
    EXPECT_EQ(answer.stations[2].address, QStringLiteral("https://stream.example.jp/jazzkissa.aac"))
        << "the plain address when there is no resolved one";
    EXPECT_EQ(answer.stations[3].name, QStringLiteral("Smooth / Jazz 24/7")) << "no separator or line end";

    // The pick list in station mode offers them beside the catalogue.
    QFile catalogue(program.file(QStringLiteral("stations.txt")));
    ASSERT_TRUE(catalogue.open(QIODevice::WriteOnly));
    catalogue.write("Kept Station|http://kept.example/|0000|0000|-------|N|W\n");
    catalogue.close();
    CatalogueModel model(CatalogueMode::Station, program.path());
    model.setDirectoryStations(answer.stations);
    model.reload();
    ASSERT_EQ(model.names().size(), 5);
    ASSERT_EQ(model.find(QStringLiteral("москва")), CatalogueModel::FindResult::Found);
    const PickResult picked = model.pick(1800000000);
    EXPECT_EQ(picked.name, QStringLiteral("Джаз FM Москва"));
    EXPECT_EQ(picked.address, QStringLiteral("http://nashe1.hostingradio.ru/jazz-128.mp3"));
    EXPECT_EQ(picked.flags, kPickedStationFlags);
    EXPECT_EQ(picked.start, 0);
}

TEST_F(StationDirectoryTest, TheLastResultsStayForOfflineUseWhenASearchFails)
{
    server.serve("/json/stations/search", recordedAnswer(), 200, "application/json");
    const DirectoryAnswer first = directory().search(jazz());
    ASSERT_TRUE(first.ok);
    EXPECT_EQ(directory().cachedStations(), first.stations);
    const QByteArray cache = test::readAll(directory().cachePath());

    const QByteArray answer = recordedAnswer();
    server.serve("/json/stations/search", answer.left(answer.size() / 2), 200, "application/json");
    const DirectoryAnswer truncated = directory().search(jazz());
    EXPECT_FALSE(truncated.ok);
    EXPECT_TRUE(truncated.error.startsWith(QStringLiteral("The station directory's answer cannot be read")))
        << truncated.error.toStdString();

    server.serve("/json/stations/search", "{\"error\": \"not a list\"}", 200, "application/json");
    EXPECT_FALSE(directory().search(jazz()).ok);
    server.serve("/json/stations/search", "Service Unavailable", 503, "text/plain");
    const DirectoryAnswer unavailable = directory().search(jazz());
    EXPECT_FALSE(unavailable.ok);
    EXPECT_EQ(unavailable.error, QStringLiteral("The station directory answered with status 503."));

    EXPECT_EQ(test::readAll(directory().cachePath()), cache);
    EXPECT_EQ(directory().cachedStations(), first.stations);
    EXPECT_TRUE(QDir(temp.path()).isEmpty()) << "no download is left behind";
}

TEST_F(StationDirectoryTest, AGigabyteAnswerIsRefusedWithoutFillingMemory)
{
    server.route("/json/stations/search", [](DownloadTestServer::Connection &c, const DownloadTestServer::Request &) {
        const qint64 gigabyte = 1024LL * 1024 * 1024;
        c.send(DownloadTestServer::statusLine(200) +
               "Content-Type: application/json\r\nContent-Length: " + QByteArray::number(gigabyte) + "\r\n\r\n[");
        QByteArray block;
        while (block.size() < 60000)
            block += R"({"name":"Endless","url":"http://endless.example/"},)";
        for (qint64 sent = 0; sent < gigabyte && c.send(block); sent += block.size()) {
        }
    });
    const DirectoryAnswer answer = directory().search(jazz());
    EXPECT_FALSE(answer.ok);
    EXPECT_EQ(answer.error, QStringLiteral("The station directory's answer is too large."));
    EXPECT_TRUE(directory().cachedStations().isEmpty());
}

TEST_F(StationDirectoryTest, ServersAreFoundWhenNoAddressIsSet)
{
    settingsStore.writeString(kStationDirectoryAddressSetting, QString(), SettingsGroup::Options);
    server.serve("/json/stations/search", recordedAnswer(), 200, "application/json");
    StationDirectory found = directory();
    // The first server is gone; the next one answers.
    found.setServerFinder([this] { return QStringList{QStringLiteral("http://127.0.0.1:1"), server.url(QString())}; });
    EXPECT_TRUE(found.search(jazz()).ok);
    StationDirectory none = directory();
    none.setServerFinder([] { return QStringList(); });
    EXPECT_EQ(none.search(jazz()).error, QStringLiteral("No server of the station directory can be found."));

    EXPECT_EQ(
        serverNamesFromJson(R"([{"name":"de1.api.radio-browser.info","ip":"1.2.3.4"},)"
                            R"({"name":"DE1.api.radio-browser.info"},{"name":"evil.example/path?x"},)"
                            R"({"name":"fi1.api.radio-browser.info"},{"ip":"5.6.7.8"}, 7])"),
        (QList<QString>{QStringLiteral("de1.api.radio-browser.info"), QStringLiteral("fi1.api.radio-browser.info")}));
}
