#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "shows/localtime.h"
#include "shows/show.h"
#include "support/tempenv.h"
#include "tuning/cataloguemodel.h"
#include "tuning/catalogueupdate.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace skywell;
using skywell::test::ScopedEnv;
using skywell::test::TempFolder;

namespace
{

std::int64_t localTime(int year, int month, int day, int hour = 0, int minute = 0)
{
    std::int64_t midnight = 0;
    localDateToTime(year, month, day, &midnight);
    return midnight + hour * 3600 + minute * 60;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class CatalogueTest : public ::testing::Test
{
protected:
    void writeCatalogue(CatalogueMode mode, const QByteArray &text)
    {
        writeFile(folder.file(catalogueFileName(mode)), text);
    }
    PickResult pickNamed(CatalogueMode mode, const QString &name)
    {
        return pickCatalogueEntry(folder.file(catalogueFileName(mode)), mode, name, now);
    }

    ScopedEnv zone{"TZ", "America/New_York"}; // standard time UTC-5
    TempFolder folder;
    std::int64_t now = localTime(2027, 1, 12, 15); // a Tuesday in winter
};

const QByteArray kLines = "Morning Edition|http://radio.example/me.m3u|0500|0700|MTWTF--|N|W\r\n"
                          "Jazz Tonight|http://jazz.example/live|1930|2100|-T-T---|Y|R\n"
                          "Lower Days|http://lower.example/|0000|0100|mtwtfss|N|x\n"
                          "Bare Station|http://bare.example/stream\n"
                          "Bad Time|http://bad.example/|2460|0100|MTWTFSS|N|W\n"
                          "Bad Minutes|http://bad.example/|1299|1300|MTWTFSS|N|W\n"
                          "Spaced||||http://spaced.example/|0600|0700|||M------|N|W\n";

} // namespace

TEST_F(CatalogueTest, ShowLinesGiveTheirAddressTimesDaysAndPlayer)
{
    writeCatalogue(CatalogueMode::Show, kLines);

    const PickResult weekdays = pickNamed(CatalogueMode::Show, QStringLiteral("Morning Edition"));
    EXPECT_EQ(weekdays.name, QStringLiteral("Morning Edition"));
    EXPECT_EQ(weekdays.address, QStringLiteral("http://radio.example/me.m3u"));
    EXPECT_EQ(weekdays.flags, 0x101Fu);
    EXPECT_EQ(weekdays.playerLetter, 'W');
    // 05:00 Pacific is 08:00 in New York.
    EXPECT_EQ(weekdays.start, localTime(2027, 1, 12, 8));
    EXPECT_EQ(weekdays.end, localTime(2027, 1, 12, 10));

    const PickResult tueThu = pickNamed(CatalogueMode::Show, QStringLiteral("Jazz Tonight"));
    EXPECT_EQ(tueThu.flags, SHOW_REPEATING | SHOW_TUE | SHOW_THU | OPT_DIRECT_DOWNLOAD);
    EXPECT_EQ(tueThu.playerLetter, 'R');
    EXPECT_EQ(tueThu.start, localTime(2027, 1, 12, 22, 30)) << "19:30 Pacific at UTC-5";

    EXPECT_EQ(pickNamed(CatalogueMode::Show, QStringLiteral("Lower Days")).flags, SHOW_REPEATING)
        << "lower-case letters set no day";
    const PickResult spaced = pickNamed(CatalogueMode::Show, QStringLiteral("Spaced"));
    EXPECT_EQ(spaced.address, QStringLiteral("http://spaced.example/")) << "separators in a row count as one";
    EXPECT_EQ(spaced.flags, SHOW_REPEATING | SHOW_MON);
}

TEST_F(CatalogueTest, PacificTimesAreConvertedForAZoneEastOfUtc)
{
    ScopedEnv berlin("TZ", "Europe/Berlin"); // UTC+1 in winter
    const std::int64_t berlinNow = localTime(2027, 1, 12, 15);
    const auto start = catalogueTime("1930", berlinNow);
    ASSERT_TRUE(start.has_value());
    EXPECT_EQ(*start, localTime(2027, 1, 13, 4, 30)) << "04:30 the next day";
}

TEST_F(CatalogueTest, StationModeGivesUnscheduledMp3UnlessTheLineIsShort)
{
    writeCatalogue(CatalogueMode::Station, kLines);
    const PickResult full = pickNamed(CatalogueMode::Station, QStringLiteral("Jazz Tonight"));
    EXPECT_EQ(full.flags, kPickedStationFlags) << "whatever the days and the direct field say";
    EXPECT_EQ(full.address, QStringLiteral("http://jazz.example/live"));

    const PickResult bare = pickNamed(CatalogueMode::Station, QStringLiteral("Bare Station"));
    EXPECT_EQ(bare.address, QStringLiteral("http://bare.example/stream"));
    EXPECT_EQ(bare.flags, 0u);
    EXPECT_EQ(bare.start, 0);
    EXPECT_EQ(bare.playerLetter, 0);

    const PickResult unknown = pickNamed(CatalogueMode::Station, QStringLiteral("No Such Station"));
    EXPECT_EQ(unknown.address, QStringLiteral("http://"));
    EXPECT_EQ(unknown.flags, kPickedStationFlags);
    EXPECT_EQ(pickNamed(CatalogueMode::Show, QStringLiteral("No Such Show")).flags, 0u);

    const PickResult nothing = pickCatalogueEntry(folder.file(QStringLiteral("missing.txt")), CatalogueMode::Station,
                                                  QStringLiteral("Jazz Tonight"), now);
    EXPECT_EQ(nothing.address, QStringLiteral("http://"));
    EXPECT_EQ(nothing.flags, kPickedStationFlags);
}

TEST_F(CatalogueTest, ATimeOutsideTheClockCountsAsAMissingField)
{
    writeCatalogue(CatalogueMode::Station, kLines);
    for (const char *name : {"Bad Time", "Bad Minutes"}) {
        const PickResult bad = pickNamed(CatalogueMode::Station, QString::fromLatin1(name));
        EXPECT_EQ(bad.address, QStringLiteral("http://bad.example/")) << name;
        EXPECT_EQ(bad.start, 0) << name;
        EXPECT_EQ(bad.flags, 0u) << name << ": reading stopped, so no station flags";
    }
    for (const char *field : {"2400", "0060", "12345", "-100", "9a", ""})
        EXPECT_FALSE(catalogueTime(field, now).has_value()) << field;
    EXPECT_EQ(catalogueTime("2359", now), localTime(2027, 1, 13, 2, 59));
    EXPECT_EQ(catalogueTime("0", now), localTime(2027, 1, 12, 3));
}

TEST_F(CatalogueTest, FindWrapsToTheTopAndReachesTheSelectionLast)
{
    writeCatalogue(CatalogueMode::Show, "delta|http://d/\nAlpha Jazz|http://a/\nbeta|http://b/\n"
                                        "Cool JAZZ|http://c/\n");
    CatalogueModel model(CatalogueMode::Show, folder.path());
    EXPECT_EQ(model.find(QStringLiteral("x")), CatalogueModel::FindResult::EmptyList);
    model.reload();
    ASSERT_EQ(model.names(), (QStringList{QStringLiteral("Alpha Jazz"), QStringLiteral("beta"),
                                          QStringLiteral("Cool JAZZ"), QStringLiteral("delta")}))
        << "sorted without regard to letter case";

    EXPECT_EQ(model.find(QStringLiteral("jAzZ")), CatalogueModel::FindResult::Found);
    EXPECT_EQ(model.selection(), 0);
    EXPECT_EQ(model.find(QStringLiteral("JAZZ")), CatalogueModel::FindResult::Found);
    EXPECT_EQ(model.selection(), 2);
    EXPECT_EQ(model.find(QStringLiteral("jazz")), CatalogueModel::FindResult::Found);
    EXPECT_EQ(model.selection(), 0) << "wrapped to the top";

    model.select(3);
    EXPECT_EQ(model.find(QStringLiteral("delta")), CatalogueModel::FindResult::Found);
    EXPECT_EQ(model.selection(), 3) << "the selected item itself comes last";
    EXPECT_EQ(model.find(QString()), CatalogueModel::FindResult::Found);
    EXPECT_EQ(model.selection(), 0) << "an empty search selects the next item";
    EXPECT_EQ(model.find(QStringLiteral("opera")), CatalogueModel::FindResult::NotFound);
    EXPECT_EQ(model.selection(), 0);

    model.select(2);
    const PickResult picked = model.pick(now);
    EXPECT_EQ(picked.name, QStringLiteral("Cool JAZZ"));
    EXPECT_EQ(picked.address, QStringLiteral("http://c/"));
    model.select(-1);
    EXPECT_EQ(model.pick(now).address, QStringLiteral("http://")) << "OK with nothing selected";
}

TEST_F(CatalogueTest, TheUpdateIsOfferedAfterMoreThanSevenDays)
{
    TempFolder user;
    TempFolder machine;
    SettingsStore settingsStore(user.path(), machine.path());
    ScriptedPrompter prompter;
    CatalogueUpdate update(DownloadSetup(), prompter, settingsStore, folder.path());
    const std::int64_t today = catalogueDayNumber(now);
    // 134774 days lie between 1 January 1601 and 1 January 1970.
    EXPECT_EQ(today, (localTime(2027, 1, 12) - localTime(1970, 1, 1)) / 86400 + 134774);

    // Without a catalogue server nothing is offered, however old the lists.
    EXPECT_FALSE(update.offerIfDue(now));
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Question), 0);
    EXPECT_TRUE(catalogueUpdateDue(settingsStore, now));
    settingsStore.writeString(kCatalogueAddressSetting, QStringLiteral("http://127.0.0.1:9/"), SettingsGroup::Options);

    settingsStore.writeString(kCatalogueUpdateDayValue, QString::number(today - 7), SettingsGroup::Program);
    EXPECT_FALSE(update.offerIfDue(now));
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Question), 0);
    EXPECT_EQ(settingsStore.readString(kCatalogueUpdateDayValue, SettingsGroup::Program), QString::number(today));

    settingsStore.writeString(kCatalogueUpdateDayValue, QString::number(today - 8), SettingsGroup::Program);
    EXPECT_FALSE(update.offerIfDue(now)) << "answered No";
    ASSERT_EQ(prompter.count(ScriptedPrompter::Kind::Question), 1);
    EXPECT_EQ(prompter.prompts()[0].text, kCatalogueUpdateQuestion);
    EXPECT_EQ(settingsStore.readString(kCatalogueUpdateDayValue, SettingsGroup::Program), QString::number(today))
        << "stored whatever the answer";

    settingsStore.removeValue(kCatalogueUpdateDayValue, SettingsGroup::Program);
    EXPECT_TRUE(catalogueUpdateDue(settingsStore, now)) << "a missing value counts as 0";
}

TEST_F(CatalogueTest, TextsAreCutOnCharacterBoundaries)
{
    // 100 two-byte letters: 200 bytes, cut to 63 letters (126 bytes).
    const QString longName = QString(100, QChar(0x00E9));
    const QString longAddress = QStringLiteral("http://x/") + QString(300, QChar(0x4E2D)); // 3 bytes each
    writeCatalogue(CatalogueMode::Station, longName.toUtf8() + '|' + longAddress.toUtf8() + "\n");
    CatalogueModel model(CatalogueMode::Station, folder.path());
    model.reload();
    ASSERT_EQ(model.names().size(), 1);
    EXPECT_EQ(model.names()[0], QString(63, QChar(0x00E9)));
    model.select(0);
    const PickResult picked = model.pick(now);
    EXPECT_EQ(picked.address.toUtf8().size(), 9 + 501) << "167 whole characters in 511 bytes";
    EXPECT_TRUE(longAddress.startsWith(picked.address));

    EXPECT_EQ(catalogueText("Caf\xe9 M\xfcnchen", 127), QStringLiteral("Café München")) << "Latin-1 text";
}

TEST_F(CatalogueTest, HostileFilesLoadWithoutHarm)
{
    QByteArray text;
    text += QByteArray(5000, 'N') + "|http://long.example/|0100|0200|MTWTFSS|N|W\n"; // over 255 characters
    text += "no separators at all\n";
    text += QByteArray("\x00\xff\xfe|\x01\x02|\x80\x81\n", 10);
    text += "\n\n|nameless|0000\n";
    text += QByteArray(200000, 'z'); // a last line without an end
    writeCatalogue(CatalogueMode::Show, text);
    CatalogueModel model(CatalogueMode::Show, folder.path());
    model.reload();
    EXPECT_EQ(model.names().size(), 4);
    for (int i = 0; i < model.names().size(); ++i) {
        model.select(i);
        const PickResult picked = model.pick(now);
        EXPECT_LE(picked.name.toUtf8().size(), kCatalogueNameBytes);
        EXPECT_LE(picked.address.toUtf8().size(), kCatalogueAddressBytes);
    }
    model.select(model.names().indexOf(QString(127, QLatin1Char('N'))));
    EXPECT_EQ(model.pick(now).address, QStringLiteral("http://long.example/"));
}

TEST_F(CatalogueTest, AMillionLinesLoad)
{
    QByteArray text;
    text.reserve(60 * 1000000);
    for (int i = 0; i < 1000000; ++i)
        text += "Station " + QByteArray::number(i) + "|http://s.example/" + QByteArray::number(i) +
                "|0100|0200|MTWTFSS|N|W\n";
    writeCatalogue(CatalogueMode::Station, text);
    text.clear();
    CatalogueModel model(CatalogueMode::Station, folder.path());
    model.reload();
    ASSERT_EQ(model.names().size(), 1000000);
    model.select(model.names().indexOf(QStringLiteral("Station 999999")));
    EXPECT_EQ(model.pick(now).address, QStringLiteral("http://s.example/999999"));
}
