#include "core/settingsstore.h"
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
class SettingsStoreTest : public ::testing::Test
{
protected:
    TempFolder user;
    TempFolder machine;
    ScriptedPrompter prompter;
    SettingsStore settingsStore{user.path(), machine.path(), &prompter};
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
} // namespace

TEST_F(SettingsStoreTest, MissingValuesReadAsEmptyAndZero)
{
    EXPECT_EQ(settingsStore.readString(QStringLiteral("ImportFile"), SettingsGroup::Program), QString());
    EXPECT_EQ(settingsStore.readInt(QStringLiteral("SavedLeft"), SettingsGroup::Program), 0);
    EXPECT_FALSE(settingsStore.readIntValue(QStringLiteral("SavedLeft"), SettingsGroup::Program).has_value());
    EXPECT_EQ(settingsStore.readMachineString(QStringLiteral("x"), SettingsGroup::Program), QString());
}

TEST_F(SettingsStoreTest, RoundTripAndDelete)
{
    settingsStore.writeString(QStringLiteral("ImportFile"), QStringLiteral("/home/u/My Show.skw"),
                              SettingsGroup::Program);
    settingsStore.writeInt(QStringLiteral("SavedLeft"), -120, SettingsGroup::Program);
    settingsStore.writeString(QStringLiteral("ErrorMsg"), QStringLiteral("Success"), SettingsGroup::CdWrite);
    EXPECT_EQ(settingsStore.readString(QStringLiteral("ImportFile"), SettingsGroup::Program),
              QStringLiteral("/home/u/My Show.skw"));
    EXPECT_EQ(settingsStore.readInt(QStringLiteral("SavedLeft"), SettingsGroup::Program), -120);
    EXPECT_EQ(settingsStore.readString(QStringLiteral("ErrorMsg"), SettingsGroup::CdWrite), QStringLiteral("Success"));
    EXPECT_EQ(settingsStore.readString(QStringLiteral("ErrorMsg"), SettingsGroup::Program), QString())
        << "keys are separate";

    // A second store on the same folder (another process) sees the values.
    SettingsStore other(user.path(), machine.path());
    EXPECT_EQ(other.readInt(QStringLiteral("SavedLeft"), SettingsGroup::Program), -120);

    settingsStore.removeValue(QStringLiteral("SavedLeft"), SettingsGroup::Program);
    settingsStore.removeValue(QStringLiteral("NeverWritten"), SettingsGroup::Options);
    EXPECT_EQ(settingsStore.readInt(QStringLiteral("SavedLeft"), SettingsGroup::Program), 0);
    EXPECT_EQ(prompter.prompts().size(), 0);
}

TEST_F(SettingsStoreTest, NumbersAndLongTexts)
{
    settingsStore.writeString(QStringLiteral("Text"), QStringLiteral("not a number"), SettingsGroup::Program);
    EXPECT_EQ(settingsStore.readInt(QStringLiteral("Text"), SettingsGroup::Program), 0);
    settingsStore.writeString(QStringLiteral("Long"), QString(5000, QLatin1Char('a')), SettingsGroup::Program);
    EXPECT_EQ(settingsStore.readString(QStringLiteral("Long"), SettingsGroup::Program).size(),
              SettingsStore::kMaxStringLength);
    settingsStore.writeString(QStringLiteral("Odd"), QStringLiteral("a=b;c\\d\n\"e\" [f] ünï"), SettingsGroup::Program);
    EXPECT_EQ(settingsStore.readString(QStringLiteral("Odd"), SettingsGroup::Program),
              QStringLiteral("a=b;c\\d\n\"e\" [f] ünï"));
}

TEST_F(SettingsStoreTest, GroupsMapToIniFiles)
{
    QString group;
    EXPECT_EQ(SettingsStore::iniFile(QStringLiteral("/c"), SettingsGroup::Program, &group),
              QStringLiteral("/c/Skywell/Skywell5.ini"));
    EXPECT_EQ(group, QString());
    EXPECT_EQ(SettingsStore::iniFile(QStringLiteral("/c"), SettingsGroup::CdWrite, &group),
              QStringLiteral("/c/Skywell/CDWriteConfig.ini"));
    EXPECT_EQ(SettingsStore::iniFile(QStringLiteral("/c"), SettingsGroup::Options, &group),
              QStringLiteral("/c/Skywell/skywell.ini"));
    EXPECT_EQ(group, QStringLiteral("Skywell 5"));
}

// The files on disk are those earlier versions wrote and read: the same
// files, sections and keys, booleans as 1 and 0.
TEST_F(SettingsStoreTest, FilesOnDiskKeepTheirFormat)
{
    struct Value {
        SettingsGroup group;
        QString name;
        QVariant value;
    };
    const Value values[] = {
        {SettingsGroup::Program, QStringLiteral("SavedLeft"), -120},
        {SettingsGroup::Program, QStringLiteral("ImportFile"), QStringLiteral("/home/u/My Show.skw")},
        {SettingsGroup::Program, kTuneHintName, true},
        {SettingsGroup::CdWrite, QStringLiteral("Device"), QStringLiteral("/dev/sr0")},
        {SettingsGroup::CdWrite, QStringLiteral("WriteImage"), true},
        {SettingsGroup::Options, SettingNames::mp3Folder, QStringLiteral("/music/")},
        {SettingsGroup::Options, SettingNames::useProxy, true},
        {SettingsGroup::Options, SettingNames::startOnBoot, false},
    };
    const QPair<QString, QByteArray> files[] = {
        {QStringLiteral("Skywell5.ini"), "[General]\nImportFile=/home/u/My Show.skw\nSavedLeft=-120\nTuneHint=1\n"},
        {QStringLiteral("CDWriteConfig.ini"), "[General]\nDevice=/dev/sr0\nWriteImage=1\n"},
        {QStringLiteral("skywell.ini"), "[Skywell%205]\nMP3%20Folder=/music/\nStart%20on%20Boot=0\nUses%20Proxy=1\n"},
    };
    for (const Value &v : values) {
        if (v.value.typeId() == QMetaType::Bool)
            settingsStore.writeBool(v.name, v.value.toBool(), v.group);
        else if (v.value.typeId() == QMetaType::Int)
            settingsStore.writeInt(v.name, v.value.toInt(), v.group);
        else
            settingsStore.writeString(v.name, v.value.toString(), v.group);
    }
    TempFolder old;
    for (const auto &[name, text] : files) {
        QFile file(user.file(QStringLiteral("Skywell/") + name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        EXPECT_EQ(file.readAll(), text) << name.toStdString();
        writeFile(old.file(QStringLiteral("Skywell/") + name), text);
    }
    // Files an earlier version left behind read back as they were written.
    const SettingsStore earlier(old.path(), machine.path());
    for (const Value &v : values) {
        const QVariant read = v.value.typeId() == QMetaType::Bool  ? QVariant(earlier.readBool(v.name, v.group))
                              : v.value.typeId() == QMetaType::Int ? QVariant(earlier.readInt(v.name, v.group))
                                                                   : QVariant(earlier.readString(v.name, v.group));
        EXPECT_EQ(read, v.value) << v.name.toStdString();
    }
}

TEST_F(SettingsStoreTest, MachineWideValuesComeFromTheMachineRoot)
{
    writeFile(machine.file(QStringLiteral("Skywell/Skywell5.ini")), "[General]\nVendor=example\n");
    EXPECT_EQ(settingsStore.readMachineString(QStringLiteral("Vendor"), SettingsGroup::Program),
              QStringLiteral("example"));
    EXPECT_EQ(settingsStore.readString(QStringLiteral("Vendor"), SettingsGroup::Program), QString());
}

TEST_F(SettingsStoreTest, CorruptFileReadsAsMissing)
{
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    writeFile(user.file(QStringLiteral("Skywell/Skywell5.ini")), garbage);
    EXPECT_EQ(settingsStore.readInt(QStringLiteral("TZ"), SettingsGroup::Program), 0);
    EXPECT_EQ(settingsStore.readString(QStringLiteral("ImportFile"), SettingsGroup::Program), QString());
    // Writing replaces the damage with a readable file.
    settingsStore.writeInt(QStringLiteral("TZ"), 2, SettingsGroup::Program);
    EXPECT_EQ(settingsStore.readInt(QStringLiteral("TZ"), SettingsGroup::Program), 2);
}

TEST_F(SettingsStoreTest, UnwritableFileShowsSettingsErrorAndGoesOn)
{
    // A file where the folder should be: the key cannot be created.
    writeFile(user.file(QStringLiteral("Skywell")), "x");
    settingsStore.writeInt(QStringLiteral("TZ"), 1, SettingsGroup::Program);
    ASSERT_EQ(prompter.prompts().size(), 1);
    // It says what could not be saved, where, and why.
    EXPECT_EQ(prompter.prompts().front().text,
              QStringLiteral("Settings Error: settings cannot be saved to %1: %2")
                  .arg(user.file(QStringLiteral("Skywell/Skywell5.ini")), QStringLiteral("Not a directory")));
    EXPECT_EQ(prompter.prompts().front().caption, QStringLiteral("Skywell"));
    EXPECT_EQ(settingsStore.readInt(QStringLiteral("TZ"), SettingsGroup::Program), 0);

    // Further values for the same folder add nothing new to say.
    Settings settings = defaultSettings(user.path());
    EXPECT_FALSE(saveSettings(settings, settingsStore));
    settingsStore.writeString(QStringLiteral("ImportFile"), QStringLiteral("/x.skw"), SettingsGroup::Program);
    EXPECT_EQ(prompter.prompts().size(), 1);
}

TEST_F(SettingsStoreTest, HintShowsUntilItsBoxIsTicked)
{
    showHintOnce(kTuneHintName, kTuneHintText, settingsStore, prompter);
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Hint), 1);
    EXPECT_EQ(settingsStore.readInt(kTuneHintName, SettingsGroup::Program), 0)
        << "closed without the box: nothing stored";

    prompter.queueAnswer(true); // box ticked
    showHintOnce(kTuneHintName, kTuneHintText, settingsStore, prompter);
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Hint), 2);
    EXPECT_EQ(settingsStore.readInt(kTuneHintName, SettingsGroup::Program), 1);

    showHintOnce(kTuneHintName, kTuneHintText, settingsStore, prompter);
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Hint), 2) << "not shown again";

    showHintOnce(kAddShowHintName, kAddShowHintText, settingsStore, prompter);
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Hint), 3) << "each hint has its own mark";
    EXPECT_EQ(prompter.prompts().back().caption, QStringLiteral("Skywell Hint"));
    EXPECT_EQ(prompter.prompts().back().text,
              QStringLiteral("Hint:\n\nTo record a show, start by clicking \"Add Show\". "));
}
