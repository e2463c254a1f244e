#include "core/firstrunsetup.h"
#include "support/tempenv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace skywell;
using skywell::test::TempFolder;

TEST(FirstRunSetup, TakesUsableSeparateFoldersAndCreatesThem)
{
    TempFolder root;
    QFile plain(root.file(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    ASSERT_TRUE(QFile::link(root.file(QStringLiteral("music")), root.file(QStringLiteral("link"))));
    struct Case {
        QString recordings, temp, problemStart;
    };
    const Case cases[] = {
        {root.file(QStringLiteral("music")), root.file(QStringLiteral("cache/skywell")), QString()},
        {QString(), root.file(QStringLiteral("cache")), QStringLiteral("Please enter a folder for recordings.")},
        {root.file(QStringLiteral("music")), QStringLiteral("  "),
         QStringLiteral("Please enter a folder for temporary files.")},
        {QStringLiteral("Music/Skywell"), root.file(QStringLiteral("cache")),
         QStringLiteral("The folder Music/Skywell cannot be used for recordings: it is not a full path")},
        // A folder that cannot be created: a file lies on its way.
        {root.file(QStringLiteral("plain/Skywell")), root.file(QStringLiteral("cache")),
         QStringLiteral("The folder %1 cannot be used for recordings: ")
             .arg(root.file(QStringLiteral("plain/Skywell")))},
        {root.file(QStringLiteral("music")), root.file(QStringLiteral("music/")), kSameFolderText},
        {root.file(QStringLiteral("music")), root.file(QStringLiteral("link")), kSameFolderText},
    };
    for (const Case &c : cases) {
        FirstRunChoices choices;
        choices.recordingsFolder = c.recordings;
        choices.tempFolder = c.temp;
        const std::optional<QString> problem = firstRunProblem(choices);
        if (c.problemStart.isEmpty()) {
            EXPECT_FALSE(problem) << problem.value_or(QString()).toStdString();
            EXPECT_TRUE(QDir(c.recordings).exists());
            EXPECT_TRUE(QDir(c.temp).exists());
        } else {
            ASSERT_TRUE(problem) << c.recordings.toStdString();
            EXPECT_TRUE(problem->startsWith(c.problemStart)) << problem->toStdString();
        }
    }
}

TEST(FirstRunSetup, ChoicesLandInTheSettings)
{
    Settings loaded;
    loaded.mp3Folder = QStringLiteral("/home/ann/Music/Skywell/");
    loaded.tempFolder = QStringLiteral("/home/ann/.cache/skywell/");
    loaded.startOnBoot = true;
    FirstRunChoices choices = firstRunChoices(loaded);
    EXPECT_EQ(choices.recordingsFolder, loaded.mp3Folder);
    EXPECT_FALSE(choices.startAtLogin) << "asked, off until ticked";
    EXPECT_TRUE(choices.runSourceTest);
    choices.recordingsFolder = QStringLiteral(" /srv/radio ");
    choices.tempFolder = QStringLiteral("/var/tmp/sky//");
    choices.startAtLogin = true;
    const Settings out = settingsFromFirstRun(loaded, choices);
    EXPECT_EQ(out.mp3Folder, QStringLiteral("/srv/radio/"));
    EXPECT_EQ(out.tempFolder, QStringLiteral("/var/tmp/sky/"));
    EXPECT_TRUE(out.startOnBoot);
    choices.startAtLogin = false;
    EXPECT_FALSE(settingsFromFirstRun(loaded, choices).startOnBoot);
}
