#include "core/registry.h"
#include "core/hint.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "support/tempenv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace skywell;
using skywell::test::TempFolder;

namespace
{
class RegistryTest : public ::testing::Test
{
protected:
    TempFolder user;
    TempFolder machine;
    ScriptedPrompter prompter;
    Registry registry{user.path(), machine.path(), &prompter};
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
} // namespace

TEST_F(RegistryTest, MissingValuesReadAsEmptyAndZero)
{
    EXPECT_EQ(registry.regReadString(QStringLiteral("ImportFile"), kSkywellKey), QString());
    EXPECT_EQ(registry.regReadInt(QStringLiteral("SavedLeft"), kSkywellKey), 0);
    EXPECT_FALSE(registry.readIntValue(QStringLiteral("SavedLeft"), kSkywellKey).has_value());
    EXPECT_EQ(registry.regReadMachineString(QStringLiteral("x"), kSkywellKey), QString());
}

TEST_F(RegistryTest, RoundTripAndDelete)
{
    registry.regWriteString(QStringLiteral("ImportFile"), QStringLiteral("/home/u/My Show.skw"), kSkywellKey);
    registry.regWriteInt(QStringLiteral("SavedLeft"), -120, kSkywellKey);
    registry.regWriteString(QStringLiteral("ErrorMsg"), QStringLiteral("Success"), kCdWriteKey);
    EXPECT_EQ(registry.regReadString(QStringLiteral("ImportFile"), kSkywellKey), QStringLiteral("/home/u/My Show.skw"));
    EXPECT_EQ(registry.regReadInt(QStringLiteral("SavedLeft"), kSkywellKey), -120);
    EXPECT_EQ(registry.regReadString(QStringLiteral("ErrorMsg"), kCdWriteKey), QStringLiteral("Success"));
    EXPECT_EQ(registry.regReadString(QStringLiteral("ErrorMsg"), kSkywellKey), QString()) << "keys are separate";

    // A second store on the same folder (another process) sees the values.
    Registry other(user.path(), machine.path());
    EXPECT_EQ(other.regReadInt(QStringLiteral("SavedLeft"), kSkywellKey), -120);

    registry.regDeleteValue(QStringLiteral("SavedLeft"), kSkywellKey);
    registry.regDeleteValue(QStringLiteral("NeverWritten"), QStringLiteral("Software\\Nothing"));
    EXPECT_EQ(registry.regReadInt(QStringLiteral("SavedLeft"), kSkywellKey), 0);
    EXPECT_EQ(prompter.prompts().size(), 0);
}

TEST_F(RegistryTest, NumbersAndLongTexts)
{
    registry.regWriteString(QStringLiteral("Text"), QStringLiteral("not a number"), kSkywellKey);
    EXPECT_EQ(registry.regReadInt(QStringLiteral("Text"), kSkywellKey), 0);
    registry.regWriteString(QStringLiteral("Long"), QString(5000, QLatin1Char('a')), kSkywellKey);
    EXPECT_EQ(registry.regReadString(QStringLiteral("Long"), kSkywellKey).size(), Registry::kMaxStringLength);
    registry.regWriteString(QStringLiteral("Odd"), QStringLiteral("a=b;c\\d\n\"e\" [f] ünï"), kSkywellKey);
    EXPECT_EQ(registry.regReadString(QStringLiteral("Odd"), kSkywellKey), QStringLiteral("a=b;c\\d\n\"e\" [f] ünï"));
}

TEST_F(RegistryTest, KeyPathsMapToIniFiles)
{
    QString group;
    EXPECT_EQ(Registry::iniFileForKey(QStringLiteral("/c"), kSkywellKey, &group),
              QStringLiteral("/c/Skywell/Skywell5.ini"));
    EXPECT_EQ(group, QString());
    EXPECT_EQ(Registry::iniFileForKey(QStringLiteral("/c"), kCdWriteKey, &group),
              QStringLiteral("/c/Skywell/CDWriteConfig.ini"));
    EXPECT_EQ(
        Registry::iniFileForKey(QStringLiteral("/c"), QStringLiteral("Software\\Skywell\\skywell\\Skywell 5"), &group),
        QStringLiteral("/c/Skywell/skywell.ini"));
    EXPECT_EQ(group, QStringLiteral("Skywell 5"));
}

TEST_F(RegistryTest, MachineWideValuesComeFromTheMachineRoot)
{
    writeFile(machine.file(QStringLiteral("Skywell/Skywell5.ini")), "[General]\nVendor=example\n");
    EXPECT_EQ(registry.regReadMachineString(QStringLiteral("Vendor"), kSkywellKey), QStringLiteral("example"));
    EXPECT_EQ(registry.regReadString(QStringLiteral("Vendor"), kSkywellKey), QString());
}

TEST_F(RegistryTest, CorruptFileReadsAsMissing)
{
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    writeFile(user.file(QStringLiteral("Skywell/Skywell5.ini")), garbage);
    EXPECT_EQ(registry.regReadInt(QStringLiteral("TZ"), kSkywellKey), 0);
    EXPECT_EQ(registry.regReadString(QStringLiteral("ImportFile"), kSkywellKey), QString());
    // Writing replaces the damage with a readable file.
    registry.regWriteInt(QStringLiteral("TZ"), 2, kSkywellKey);
    EXPECT_EQ(registry.regReadInt(QStringLiteral("TZ"), kSkywellKey), 2);
}

TEST_F(RegistryTest, UnwritableKeyShowsRegistryErrorAndGoesOn)
{
    // A file where the folder should be: the key cannot be created.
    writeFile(user.file(QStringLiteral("Skywell")), "x");
    registry.regWriteInt(QStringLiteral("TZ"), 1, kSkywellKey);
    ASSERT_EQ(prompter.prompts().size(), 1);
    // It says what could not be saved, where, and why.
    EXPECT_EQ(prompter.prompts().front().text,
              QStringLiteral("Settings Error: settings cannot be saved to %1: %2")
                  .arg(user.file(QStringLiteral("Skywell/Skywell5.ini")), QStringLiteral("Not a directory")));
    EXPECT_EQ(prompter.prompts().front().caption, QStringLiteral("Skywell"));
    EXPECT_EQ(registry.regReadInt(QStringLiteral("TZ"), kSkywellKey), 0);

    // Further values for the same folder add nothing new to say.
    Settings settings = defaultSettings(user.path());
    EXPECT_FALSE(saveSettings(settings, registry));
    registry.regWriteString(QStringLiteral("ImportFile"), QStringLiteral("/x.skw"), kSkywellKey);
    EXPECT_EQ(prompter.prompts().size(), 1);
}

TEST_F(RegistryTest, HintShowsUntilItsBoxIsTicked)
{
    showHintOnce(kTuneHintName, kTuneHintText, registry, prompter);
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Hint), 1);
    EXPECT_EQ(registry.regReadInt(kTuneHintName, kSkywellKey), 0) << "closed without the box: nothing stored";

    prompter.queueAnswer(true); // box ticked
    showHintOnce(kTuneHintName, kTuneHintText, registry, prompter);
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Hint), 2);
    EXPECT_EQ(registry.regReadInt(kTuneHintName, kSkywellKey), 1);

    showHintOnce(kTuneHintName, kTuneHintText, registry, prompter);
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Hint), 2) << "not shown again";

    showHintOnce(kAddShowHintName, kAddShowHintText, registry, prompter);
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Hint), 3) << "each hint has its own mark";
    EXPECT_EQ(prompter.prompts().back().caption, QStringLiteral("Skywell Hint"));
    EXPECT_EQ(prompter.prompts().back().text,
              QStringLiteral("Hint:\n\nTo record a show, start by clicking \"Add Show\". "));
}
