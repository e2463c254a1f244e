#include "core/settingssheetrules.h"
#include "core/autostart.h"
#include "core/clock.h"
#include "core/settingsstore.h"
#include "shows/outputnaming.h"
#include "support/tempenv.h"
#include "tuning/catalogueupdate.h"
#include "tuning/stationdirectory.h"

#include <QFile>

#include <gtest/gtest.h>

namespace skywell::test
{
namespace
{

TEST(SettingsSheetRules, NumberBoxes)
{
    EXPECT_EQ(integerProblem(QStringLiteral("121"), 0, 120),
              QStringLiteral("Please enter an integer between 0 and 120."));
    EXPECT_EQ(integerProblem(QStringLiteral("-1"), 0, 120),
              QStringLiteral("Please enter an integer between 0 and 120."));
    EXPECT_EQ(integerProblem(QStringLiteral("99999999999999999999"), 0, 120),
              QStringLiteral("Please enter an integer."));
    EXPECT_EQ(integerProblem(QStringLiteral("12a"), 0, 120), QStringLiteral("Please enter an integer."));
    EXPECT_FALSE(integerProblem(QStringLiteral("120"), 0, 120));
    EXPECT_FALSE(integerProblem(QStringLiteral("0"), 0, 180));
}

// The check takes exactly the patterns the output naming turns into clean
// names: the table says which, and every name made from an accepted
// pattern has no "%" code, tab or line break left and holds the Show's
// name where the pattern asks for it.
TEST(SettingsSheetRules, FileNamingFormatTakesWhatTheNamingMakesCleanNames)
{
    const std::pair<const char *, bool> cases[] = {
        {"%%s %b %#d", true},
        {"%b %#d", true}, // no name: the names are the date alone
        {"%Y-%m-%d", true},
        {"%Y-%m-%d %%s", true},
        {"%%s %e %B %H:%M", true},
        {"%%s %F %T %D %R %r", true},
        {"%%s %a %A %j %U %W %V %G %g %u %w %C %y %h", true},
        {"%%s %#I %p %P %k %l %S %s %z %Z %c %x %X", true},
        {"%%s %-d %_H %0e %^a %Ey %Od", true},
        {"100%%%% %%s", true},
        {"", false},
        {"   ", false},
        {"%%s%%s", false},
        {"%%s %n", false},
        {"%%s %t", false},
        {"%%s %", false},
        {"%%s %%d", false},
        {"%%s %#", false},
        {"100%% %%s", false},
        {"%%s %Q", false},
        {"%%s %5Y", false},
        {"%%s %E", false},
    };
    RecordingNaming naming;
    naming.recordingName = QStringLiteral("Morning Show");
    naming.mp3Folder = QStringLiteral("/rec/");
    const ManualClock clock(1765227900); // Mon Dec 8 2025, 21:05 UTC
    for (const auto &[pattern, accepted] : cases) {
        const QString format = QString::fromLatin1(pattern);
        EXPECT_EQ(!fileNameFormatProblem(format), accepted) << pattern;
        if (!accepted || format.trimmed().isEmpty())
            continue;
        naming.fileNameFormat = format;
        const QString name = outputFileName(naming, QStringLiteral("mp3"), 0, clock);
        const QString percent = format.contains(QStringLiteral("%%%%")) ? QStringLiteral("100%") : QString();
        EXPECT_FALSE(QString(name).remove(percent).contains(QLatin1Char('%')))
            << pattern << " gives " << name.toStdString();
        EXPECT_FALSE(name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\t'))) << pattern;
        EXPECT_EQ(name.contains(naming.recordingName), format.contains(QStringLiteral("%%s"))) << pattern;
        EXPECT_TRUE(name.endsWith(QStringLiteral(" - 01.mp3"))) << pattern;
    }
}

TEST(SettingsSheetRules, ProxyPortAnyLength)
{
    EXPECT_FALSE(proxyPortProblem(QString()));
    EXPECT_FALSE(proxyPortProblem(QStringLiteral("1")));
    EXPECT_FALSE(proxyPortProblem(QStringLiteral("65535")));
    for (const char *bad : {"0", "65536", "-80", "80a", "123456789012345678901234567890"})
        EXPECT_EQ(proxyPortProblem(QString::fromLatin1(bad)), kProxyPortText) << bad;
}

TEST(SettingsSheetRules, ServerBoxesTakeWhatTheirUsersCanConnectTo)
{
    for (const char *good : {"", "localhost", "192.168.1.5", "music.home.arpa"})
        EXPECT_FALSE(libraryHostProblem(QString::fromLatin1(good))) << good;
    for (const char *bad : {"http://localhost", "localhost:6600", "my server", "host/path"})
        EXPECT_EQ(libraryHostProblem(QString::fromLatin1(bad)), kLibraryHostText) << bad;
    const QString what = QStringLiteral("catalogue server");
    for (const char *good : {"", "http://127.0.0.1:8080", "https://lists.example.org/skywell/"})
        EXPECT_FALSE(serverAddressProblem(QString::fromLatin1(good), what)) << good;
    for (const char *bad : {"lists.example.org", "ftp://lists.example.org", "http://", "http://a b.org"})
        EXPECT_EQ(serverAddressProblem(QString::fromLatin1(bad), what), kServerAddressText.arg(what)) << bad;
}

// Dial-up is asked about only on a computer that has a dial command (or
// still has dial-up on, so that it can be turned off).
TEST(SettingsSheetRules, DialUpIsShownOnlyWithADialCommand)
{
    EXPECT_FALSE(dialupShown(false, QStringLiteral("  ")));
    EXPECT_TRUE(dialupShown(false, QStringLiteral("pon")));
    EXPECT_TRUE(dialupShown(true, QString()));
}

// The boxes of the Tuning and Other pages are saved under the names that
// tuning, the catalogue update and the station directory read.
TEST(SettingsSheetRules, PlayerCommandAndServerAddressesAreSavedWhereTheyAreRead)
{
    TempFolder config;
    SettingsStore settingsStore(config.path(), config.path() + QStringLiteral("machine"));
    const SheetExtras original = loadSheetExtras(settingsStore);
    SheetExtras pages = original;
    pages.playerCommand = QStringLiteral(" mpv --no-video ");
    pages.catalogueAddress = QStringLiteral("http://127.0.0.1:8080");
    pages.directoryAddress = QStringLiteral("https://directory.example");
    // Pages never shown hand back what they were given.
    EXPECT_EQ(extrasFromPages(original, pages, kFoldersPage | kConnectionsPage), original);
    const SheetExtras accepted = extrasFromPages(original, pages, kTuningPage | kOtherPage);
    ASSERT_TRUE(saveSheetExtras(original, accepted, settingsStore));
    EXPECT_EQ(settingsStore.readString(SettingNames::playerCommand, SettingsGroup::Options),
              QStringLiteral("mpv --no-video"));
    EXPECT_EQ(settingsStore.readString(kCatalogueAddressSetting, SettingsGroup::Options),
              QStringLiteral("http://127.0.0.1:8080"));
    EXPECT_EQ(settingsStore.readString(kStationDirectoryAddressSetting, SettingsGroup::Options),
              QStringLiteral("https://directory.example"));
    EXPECT_EQ(loadSheetExtras(settingsStore), accepted);
}

TEST(SettingsSheetRules, CaptureDevices)
{
    const QStringList devices{QStringLiteral("Default Device"), QStringLiteral("HDA Intel"),
                              QStringLiteral("Skywell muted sink"), QStringLiteral("USB Mic")};
    const CaptureDeviceList list = captureDeviceList(devices, QStringLiteral("usb"));
    EXPECT_EQ(list.items, (QStringList{QStringLiteral("HDA Intel"), QStringLiteral("USB Mic")}));
    EXPECT_EQ(list.selected, 1);
    EXPECT_EQ(captureDeviceList(devices, QStringLiteral("Default Device")).selected, 0);
    EXPECT_EQ(captureDeviceList({}, QStringLiteral("x")).selected, -1);
    EXPECT_EQ(soundCardFromList(QString(), QStringLiteral("Old")), QStringLiteral("Old"));
}

TEST(SettingsSheetRules, FoldersAreRefusedWhenUnusable)
{
    TempFolder dir;
    EXPECT_EQ(folderProblem(QStringLiteral("  "), QStringLiteral("output files")),
              QStringLiteral("Please enter a folder for output files."));
    EXPECT_TRUE(folderProblem(QStringLiteral("relative/rec"), QStringLiteral("x")));
    QFile file(dir.path() + QStringLiteral("file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_TRUE(folderProblem(dir.path() + QStringLiteral("file"), QStringLiteral("x")));
    EXPECT_TRUE(folderProblem(dir.path() + QStringLiteral("file/sub"), QStringLiteral("x")));
    EXPECT_FALSE(folderProblem(dir.path() + QStringLiteral("new/deep"), QStringLiteral("x")));
    EXPECT_TRUE(QFileInfo(dir.path() + QStringLiteral("new/deep")).isDir());
}

TEST(Autostart, EntryQuotesThePathAndRemovesTheMachineEntry)
{
    TempFolder dir;
    const AutostartEntry entry(dir.path() + QStringLiteral("u"), dir.path() + QStringLiteral("m"),
                               QStringLiteral("/home/a \"b\"/$x/100%/sky\\well"));
    EXPECT_TRUE(
        entry.entryText().contains(QStringLiteral("\nExec=\"/home/a \\\"b\\\"/\\$x/100%%/sky\\\\well\" -quiet\n")))
        << entry.entryText().toStdString();
    QString problem;
    EXPECT_TRUE(entry.canApply(true, &problem));
    ASSERT_TRUE(entry.apply(true, &problem)) << problem.toStdString();
    EXPECT_TRUE(QFile::exists(entry.userEntryPath()));
    EXPECT_TRUE(entry.apply(false, &problem));
    EXPECT_FALSE(QFile::exists(entry.userEntryPath()));
    EXPECT_TRUE(entry.apply(false, &problem)) << "removing what is not there";
}

} // namespace
} // namespace skywell::test
