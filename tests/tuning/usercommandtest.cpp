// The dial-up commands: run from the settings store, no shell, bounded.
#include "support/tempenv.h"
#include "support/tuningstubs.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "tuning/connectionstate.h"
#include "tuning/desktopwindows.h"
#include "tuning/tuning.h"
#include "tuning/usercommand.h"

#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>

namespace skywell
{
namespace
{

using test::TempFolder;

class UserCommandTest : public ::testing::Test
{
protected:
    QString script(const QString &body)
    {
        const QString path = folder.file(QStringLiteral("command"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + body.toUtf8());
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    TempFolder folder;
};

TEST_F(UserCommandTest, RunsWithQuotedArgumentsAndReportsFailures)
{
    const QString command = script(QStringLiteral("printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args\"\nexit 0\n"));
    EXPECT_EQ(runUserCommand(QStringLiteral("'%1' \"my isp\" ';' '$x'").arg(command), std::chrono::seconds(5)),
              QString());
    EXPECT_EQ(test::readAll(folder.file(QStringLiteral("args"))), QByteArray("my isp\n;\n$x\n"));

    script(QStringLiteral("exit 4\n"));
    EXPECT_EQ(runUserCommand(command, std::chrono::seconds(5)), QStringLiteral("exited with code 4"));
    EXPECT_FALSE(runUserCommand(QStringLiteral("/nonexistent/pon"), std::chrono::seconds(5)).isEmpty());
    EXPECT_FALSE(runUserCommand(QStringLiteral("pon 'unclosed"), std::chrono::seconds(5)).isEmpty());

    // One that does not return is ended at the limit.
    script(QStringLiteral("exec sleep 60\n"));
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(runUserCommand(command, std::chrono::milliseconds(300)).contains(QStringLiteral("still running")));
    EXPECT_LT(timer.elapsed(), 5000);
}

TEST_F(UserCommandTest, HangUpRunsTheConfiguredCommandAndNothingWithoutOne)
{
    TempFolder program, config;
    ManualClock clock{1700000000};
    ActivityLog log(program.path(), clock);
    ScriptedPrompter prompter;
    SettingsStore settingsStore(config.path(), config.path() + QStringLiteral("machine"), &prompter);
    Settings settings;
    test::AlwaysOnline online;
    test::NoDesktopWindows windows;
    Tuning tuning(settingsStore, log, prompter, settings, online, windows, QStringLiteral("/nonexistent/tuner"));

    tuning.hangUp();
    EXPECT_EQ(test::readAll(log.filePath()), QByteArray());

    const QString command = script(QStringLiteral("touch \"$(dirname \"$0\")/hung-up\"\n"));
    settingsStore.writeString(QStringLiteral("Hang Up Command"), QStringLiteral("'%1'").arg(command),
                              SettingsGroup::Options);
    tuning.hangUp();
    EXPECT_TRUE(QFile::exists(folder.file(QStringLiteral("hung-up"))));

    settingsStore.writeString(QStringLiteral("Hang Up Command"), QStringLiteral("/nonexistent/poff"),
                              SettingsGroup::Options);
    tuning.hangUp();
    EXPECT_TRUE(QString::fromUtf8(test::readAll(log.filePath()))
                    .contains(QStringLiteral("The hang-up command failed /nonexistent/poff")));
}

TEST(CaptureStart, OnlyTheCurrentRecordingsNotificationStartsCapture)
{
    EXPECT_TRUE(shouldStartCapture(8, 8, true, false));
    EXPECT_FALSE(shouldStartCapture(7, 8, true, false));  // from a stopped recording's worker
    EXPECT_FALSE(shouldStartCapture(8, 8, true, true));   // capture already runs
    EXPECT_FALSE(shouldStartCapture(8, 8, false, false)); // stopped meanwhile
}

} // namespace
} // namespace skywell
