#include "core/settingssheetrules.h"
#include "core/autostart.h"
#include "support/tempenv.h"

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

TEST(SettingsSheetRules, FileNamingFormatHoldsTheNameOnce)
{
    for (const char *good : {"%%s %b %#d", "%Y-%m-%d %%s", "%%s", "100%%%% %%s"})
        EXPECT_FALSE(fileNameFormatProblem(QString::fromLatin1(good))) << good;
    // "%% " would leave "% " once the time is filled in: a code with a flag.
    for (const char *bad : {"", "%b", "%%s%%s", "%%s %n", "%%s %", "%%s %%d", "%s", "%%s %#", "100%% %%s"})
        EXPECT_TRUE(fileNameFormatProblem(QString::fromLatin1(bad))) << bad;
}

TEST(SettingsSheetRules, ProxyPortAnyLength)
{
    EXPECT_FALSE(proxyPortProblem(QString()));
    EXPECT_FALSE(proxyPortProblem(QStringLiteral("1")));
    EXPECT_FALSE(proxyPortProblem(QStringLiteral("65535")));
    for (const char *bad : {"0", "65536", "-80", "80a", "123456789012345678901234567890"})
        EXPECT_EQ(proxyPortProblem(QString::fromLatin1(bad)), kProxyPortText) << bad;
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
