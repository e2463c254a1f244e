// Tuning with real processes: the tuner values and the started tuner, a
// program run from its command line, the browser opener, the worker's
// notification, and ending what was started. The connection and the
// window system are played by the test.
#include "support/eventloop.h"
#include "support/tempenv.h"
#include "support/tuningstubs.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/processtree.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "recording/tuningport.h"
#include "shows/show.h"
#include "tuning/connectionstate.h"
#include "tuning/desktopplayer.h"
#include "tuning/desktopwindows.h"
#include "tuning/startedplayers.h"
#include "tuning/streamopener.h"
#include "tuning/tuning.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QThread>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>

namespace skywell
{
namespace
{

using test::TempFolder;

// True while the process exists and is not a zombie.
bool running(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close > 0 && close + 2 < text.size() && text[close + 2] != 'Z';
}

class TuningTest : public ::testing::Test
{
protected:
    TuningTest()
        : outEnv("TUNING_TEST_OUT", out.path().toUtf8()), log(program.path(), clock),
          settingsStore(config.path(), config.path() + QStringLiteral("machine"), &prompter)
    {
        becomeChildSubreaper();
        settings.connectLeadSeconds = 0;
    }

    QString script(const QString &name, const QString &body)
    {
        const QString path = out.file(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + body.toUtf8());
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    std::unique_ptr<Tuning> make(const QString &tunerProgram)
    {
        auto tuning =
            std::make_unique<Tuning>(settingsStore, log, prompter, settings, connection, windows, tunerProgram);
        QObject::connect(tuning.get(), &Tuning::statusChanged, [this](const QString &text) { statuses << text; });
        QObject::connect(tuning.get(), &Tuning::captureCanStart, [this](quint64 id) { notified << id; });
        return tuning;
    }

    QString logText() const { return QString::fromUtf8(test::readAll(log.filePath())); }
    bool exists(const QString &name) const { return QFile::exists(out.file(name)); }
    // The process id a script wrote to the file, once it is there whole.
    pid_t pidIn(const QString &name) const
    {
        const QByteArray text = test::readAll(out.file(name));
        return text.endsWith('\n') ? static_cast<pid_t>(text.trimmed().toInt()) : 0;
    }
    QStringList lines(const QString &name) const
    {
        QString text = QString::fromUtf8(test::readAll(out.file(name)));
        text.chop(1);
        return text.split(u'\n');
    }

    TempFolder out;
    TempFolder program;
    TempFolder config;
    test::ScopedEnv outEnv;
    ManualClock clock{1700000000};
    ActivityLog log;
    ScriptedPrompter prompter;
    SettingsStore settingsStore;
    Settings settings;
    test::AlwaysOnline connection;
    test::FakeWindows windows;
    QStringList statuses;
    QList<quint64> notified;
};

TEST_F(TuningTest, TheWorkerWritesTheTunerValuesStartsTheTunerAndNotifiesItsRecording)
{
    // The tuner keeps the values it found when it started.
    QString group;
    const QString ini = SettingsStore::iniFile(config.path(), SettingsGroup::Program, &group);
    const QString tuner =
        script(QStringLiteral("tuner"), QStringLiteral("cp '%1' \"$TUNING_TEST_OUT/values\"\nprintf '%s\\n' \"$@\" > "
                                                       "\"$TUNING_TEST_OUT/args\"\n")
                                            .arg(ini));
    auto tuning = make(tuner);
    tuning->setPlacementSource([] { return TunerPlacement{40, 700, 840, true}; });
    Show show;
    setFieldText(show.name, QStringLiteral("Jazz Hour"));
    setFieldText(show.url, QStringLiteral("http://radio.example/jazz"));
    show.tunerKind = 'U';
    tuning->tuneTo(show, 41);
    ASSERT_TRUE(test::spinUntil([&] { return !notified.isEmpty() && exists(QStringLiteral("args")); }, 10000));
    EXPECT_EQ(notified, QList<quint64>{41});
    EXPECT_EQ(statuses, (QStringList{QStringLiteral("Tuning to Jazz Hour"), QStringLiteral("Recording Jazz Hour")}));

    QSettings values(out.file(QStringLiteral("values")), QSettings::IniFormat);
    values.beginGroup(group);
    EXPECT_EQ(values.value(QStringLiteral("TunerTop")).toInt(), 700); // the main window's bottom edge
    EXPECT_EQ(values.value(QStringLiteral("TunerLeft")).toInt(), 40);
    EXPECT_EQ(values.value(QStringLiteral("TunerRight")).toInt(), 840);
    EXPECT_EQ(values.value(QStringLiteral("TunerURL")).toString(), QStringLiteral("http://radio.example/jazz"));
    EXPECT_EQ(values.value(QStringLiteral("TunerType")).toInt(), 1);
    // The tuner names the station while the stream names nothing itself.
    EXPECT_EQ(lines(QStringLiteral("args")),
              (QStringList{QStringLiteral("--minimized"), QStringLiteral("--station=Jazz Hour")}));

    // Each tune rewrites the values.
    tuning->tuneNow(QStringLiteral("http://radio.example/other"), 'x', kAddressTyped);
    EXPECT_EQ(settingsStore.readString(QStringLiteral("TunerURL"), SettingsGroup::Program),
              QStringLiteral("http://radio.example/other"));
    EXPECT_EQ(prompter.prompts().size(), 0);
}

TEST_F(TuningTest, EachTuneWithChoiceStartsItsOwnPlayer)
{
    // A desktop whose default player for streams is a program of the test,
    // and a player command with the address in its middle.
    TempFolder desktop;
    test::ScopedEnv dataHome("XDG_DATA_HOME", desktop.file(QStringLiteral("data")).toUtf8());
    test::ScopedEnv dataDirs("XDG_DATA_DIRS", desktop.file(QStringLiteral("none")).toUtf8());
    test::ScopedEnv configHome("XDG_CONFIG_HOME", desktop.file(QStringLiteral("config")).toUtf8());
    test::ScopedEnv configDirs("XDG_CONFIG_DIRS", desktop.file(QStringLiteral("none")).toUtf8());
    const auto write = [](const QString &path, const QByteArray &text) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    const auto player = [this](const QString &name) {
        // Written whole before it appears: the test reads it once it exists.
        return script(name, QStringLiteral("printf '%s\\n' \"$@\" > \"$TUNING_TEST_OUT/%1.part\"\n"
                                           "mv \"$TUNING_TEST_OUT/%1.part\" \"$TUNING_TEST_OUT/%1.args\"\n")
                                .arg(name));
    };
    write(desktop.file(QStringLiteral("data/applications/radio-player.desktop")),
          "[Desktop Entry]\nType=Application\nName=Radio Player\nExec=\"" + player(QStringLiteral("desktop")).toUtf8() +
              "\" --play %U\nMimeType=audio/mpeg;\n");
    settingsStore.writeString(SettingNames::playerCommand,
                              QStringLiteral("'%1' --no-video %u --quiet").arg(player(QStringLiteral("command"))),
                              SettingsGroup::Options);
    auto tuning = make(player(QStringLiteral("tuner")));
    const QString address = QStringLiteral("radio.example/live?a=1&b=$(touch%20shell)");
    const QString played = QStringLiteral("http://") + address;

    // Without a default player, or without a command, the Show is still
    // played: by the Skywell Tuner, and the log says why.
    const auto tunesWithOurTuner = [&](char letter) {
        tuning->tuneNow(address, letter, kAddressTyped);
        EXPECT_TRUE(test::spinUntil([&] { return exists(QStringLiteral("tuner.args")); }, 10000)) << letter;
        tuning->endStartedPlayers();
        QFile::remove(out.file(QStringLiteral("tuner.args")));
    };
    tunesWithOurTuner('W');
    EXPECT_TRUE(logText().contains(kNoDesktopPlayerText)) << logText().toStdString();

    write(desktop.file(QStringLiteral("config/mimeapps.list")),
          "[Default Applications]\naudio/x-mpegurl=gone.desktop;radio-player.desktop;\n");
    const struct {
        char letter;
        const char *program;
        QStringList arguments;
    } cases[] = {
        {'U', "tuner", {QStringLiteral("--minimized")}},
        {'W', "desktop", {QStringLiteral("--play"), played}},
        {'R', "command", {QStringLiteral("--no-video"), played, QStringLiteral("--quiet")}},
    };
    for (const auto &c : cases) {
        const QString started = QString::fromLatin1(c.program) + QStringLiteral(".args");
        tuning->tuneNow(address, c.letter, kAddressTyped);
        ASSERT_TRUE(test::spinUntil([&] { return exists(started); }, 10000)) << c.letter;
        EXPECT_EQ(lines(started), c.arguments) << c.letter;
        tuning->endStartedPlayers();
        for (const auto &other : cases)
            EXPECT_EQ(exists(QString::fromLatin1(other.program) + QStringLiteral(".args")), &other == &c) << c.letter;
        QFile::remove(out.file(started));
    }
    EXPECT_EQ(settingsStore.readInt(QStringLiteral("TunerType"), SettingsGroup::Program), 1);

    settingsStore.writeString(SettingNames::playerCommand, QString(), SettingsGroup::Options);
    tunesWithOurTuner('R');
    EXPECT_TRUE(logText().contains(kNoPlayerCommandText));
    EXPECT_EQ(prompter.prompts().size(), 0);
}

TEST_F(TuningTest, AStoppedRecordingsWorkerNeitherTunesNorNotifies)
{
    settings.connectLeadSeconds = 30;
    auto tuning = make(script(QStringLiteral("tuner"), QStringLiteral("touch \"$TUNING_TEST_OUT/started\"\n")));
    TuningJob job;
    job.recordingId = 5;
    job.name = QStringLiteral("Late Show");
    job.address = QStringLiteral("http://radio.example/late");
    tuning->startWorker(job);
    ASSERT_TRUE(test::spinUntil([&] { return exists(QStringLiteral("started")); }, 10000));
    tuning->recordingStopped(5);
    // The next recording, without an address, is notified at once; the
    // stopped one never is.
    job.recordingId = 6;
    job.address.clear();
    tuning->startWorker(job);
    ASSERT_TRUE(test::spinUntil([&] { return !notified.isEmpty(); }));
    test::spinUntil([] { return false; }, 300);
    EXPECT_EQ(notified, QList<quint64>{6});
}

TEST_F(TuningTest, ACommandLineRunsItsProgramWithQuotedArgumentsAndNoShell)
{
    const QString player =
        script(QStringLiteral("my player.exe"), QStringLiteral("printf '%s\\n' \"$@\" > \"$TUNING_TEST_OUT/args\"\n"));
    auto tuning = make(QStringLiteral("/nonexistent/tuner"));
    const QString address = QStringLiteral(R"('%1' "a;b" 'it'\''s' "\$HOME" "q\"x" ; touch '%2' `touch %2`)")
                                .arg(player, out.file(QStringLiteral("pwned")));
    tuning->tuneNow(address, 'U', kAddressTyped);
    // The file appears before printf has written it: wait for all nine arguments.
    ASSERT_TRUE(test::spinUntil([&] { return lines(QStringLiteral("args")).size() >= 9; }, 10000));
    EXPECT_EQ(
        lines(QStringLiteral("args")),
        (QStringList{QStringLiteral("a;b"), QStringLiteral("it's"), QStringLiteral("$HOME"), QStringLiteral("q\"x"),
                     QStringLiteral(";"), QStringLiteral("touch"), out.file(QStringLiteral("pwned")),
                     QStringLiteral("`touch"), out.file(QStringLiteral("pwned`"))}));
    EXPECT_FALSE(exists(QStringLiteral("pwned")));
    EXPECT_FALSE(exists(QStringLiteral("pwned`")));
    EXPECT_EQ(prompter.prompts().size(), 0);

    // The same line from the station directory is never run.
    QFile::remove(out.file(QStringLiteral("args")));
    tuning->tuneNow(QStringLiteral("run: '%1' x").arg(player), 'U', kAddressFromDirectory);
    tuning->tuneNow(QStringLiteral("'%1' x").arg(player), 'U', kAddressFromCatalogue);
    test::spinUntil([] { return false; }, 300);
    // A retune keeps the origin of the address it plays again.
    tuning->retune();
    test::spinUntil([] { return false; }, 300);
    EXPECT_FALSE(exists(QStringLiteral("args")));
    EXPECT_EQ(logText().count(QStringLiteral("Cannot tune: the address is not a URL")), 3);
}

TEST_F(TuningTest, FailuresAreLoggedAndShownAndTuningGoesOn)
{
    auto tuning = make(out.file(QStringLiteral("no-such-tuner")));
    tuning->tuneNow(QStringLiteral("run: /nonexistent/player --live"), 'U', kAddressTyped);
    EXPECT_TRUE(
        logText().contains(QStringLiteral("Opening EXE file for tuning failed run: /nonexistent/player --live")));
    ASSERT_EQ(prompter.prompts().size(), 1);
    EXPECT_EQ(prompter.prompts()[0].text, QStringLiteral("Cannot open application for tuning"));
    EXPECT_EQ(prompter.prompts()[0].caption, QStringLiteral("Skywell Error"));
    EXPECT_EQ(statuses.last(), QStringLiteral("Ready"));

    tuning->tuneNow(QStringLiteral("http://radio.example/live"), 'U', kAddressTyped);
    EXPECT_TRUE(logText().contains(QStringLiteral("The tuner could not be started ") +
                                   out.file(QStringLiteral("no-such-tuner"))));
    EXPECT_EQ(statuses.last(), QStringLiteral("The tuner could not be started"));

    tuning->tuneNow(QStringLiteral("http://radio.example/") + QString(600, u'a'), 'U', kAddressTyped);
    EXPECT_TRUE(logText().contains(QStringLiteral("Cannot tune: the address is longer than 511 characters")));
    tuning->tuneNow(QStringLiteral("my favourite station"), 'U', kAddressTyped);
    EXPECT_TRUE(logText().contains(QStringLiteral("Cannot tune: the address is not a URL")));
    EXPECT_TRUE(statuses.last().startsWith(QStringLiteral("Cannot tune: ")));
    EXPECT_EQ(settingsStore.readString(QStringLiteral("TunerURL"), SettingsGroup::Program),
              QStringLiteral("http://radio.example/live"));
    EXPECT_EQ(prompter.prompts().size(), 1);
}

TEST_F(TuningTest, TheBrowserPathOpensTheAddressAndSaysSoWhenNothingCanOpenIt)
{
    settings.tuneInBrowser = true;
    auto tuning = make(QStringLiteral("/nonexistent/tuner"));
    tuning->setBrowserOpener(
        script(QStringLiteral("opener"), QStringLiteral("echo \"$1\" > \"$TUNING_TEST_OUT/opened\"\nexit 3\n")));
    tuning->tuneNow(QStringLiteral("www.radio.example/live"), 'U', kAddressTyped);
    ASSERT_TRUE(test::spinUntil([&] { return prompter.prompts().size() == 1; }, 10000));
    EXPECT_EQ(lines(QStringLiteral("opened")), QStringList{QStringLiteral("http://www.radio.example/live")});
    EXPECT_EQ(prompter.prompts()[0].text, kNoBrowserText);
    EXPECT_EQ(prompter.prompts()[0].caption, QStringLiteral("Skywell"));
    EXPECT_EQ(tuning->queryBrowserWindow(), QString());
}

TEST_F(TuningTest, ClosingPlayersWithoutWindowsEndsTheStartedTunerAndWhatItStarted)
{
    const QString tuner =
        script(QStringLiteral("tuner"), QStringLiteral("setsid sleep 300 </dev/null >/dev/null 2>&1 &\n"
                                                       "echo $! > \"$TUNING_TEST_OUT/child\"\n"
                                                       "echo $$ > \"$TUNING_TEST_OUT/self\"\n"
                                                       "exec sleep 300\n"));
    auto tuning = make(tuner);
    tuning->tuneNow(QStringLiteral("http://radio.example/live"), 'U', kAddressTyped);
    ASSERT_TRUE(test::spinUntil([&] { return pidIn(QStringLiteral("self")) > 0 && pidIn(QStringLiteral("child")) > 0; },
                                10000));
    const pid_t self = pidIn(QStringLiteral("self"));
    const pid_t child = pidIn(QStringLiteral("child"));
    ASSERT_TRUE(running(self));
    ASSERT_TRUE(running(child));
    EXPECT_EQ(tuning->startedPlayers().runningPlayers(), 1);
    tuning->closePlayers();
    EXPECT_FALSE(running(self));
    EXPECT_FALSE(running(child));
    EXPECT_EQ(tuning->startedPlayers().runningPlayers(), 0);
}

TEST_F(TuningTest, APlayerThatEndsByItselfTakesWhatItLeftRunningAlong)
{
    // As a tuner whose window was closed: it ends, its helper would not.
    auto tuning = make(script(QStringLiteral("tuner"), QStringLiteral("setsid sleep 300 </dev/null >/dev/null 2>&1 &\n"
                                                                      "echo $! > \"$TUNING_TEST_OUT/child\"\n"
                                                                      "sleep 0.3\n")));
    tuning->tuneNow(QStringLiteral("http://radio.example/live"), 'U', kAddressTyped);
    ASSERT_TRUE(test::spinUntil([&] { return pidIn(QStringLiteral("child")) > 0; }, 10000));
    const pid_t child = pidIn(QStringLiteral("child"));
    ASSERT_TRUE(running(child));
    EXPECT_TRUE(test::spinUntil([&] { return !running(child); }, 8000));
}

} // namespace
} // namespace skywell

namespace skywell
{
namespace
{

TEST_F(TuningTest, TheControllersPortTunesSilentlyKnowsItsPlayersAndKeepsListAddressesUnrun)
{
    const QString tuner =
        // The file appears whole (renamed into place), so the test never reads it half written.
        script(QStringLiteral("tuner"), QStringLiteral("echo \"$PULSE_SINK\" > \"$TUNING_TEST_OUT/sink.part\"\n"
                                                       "mv \"$TUNING_TEST_OUT/sink.part\" \"$TUNING_TEST_OUT/sink\"\n"
                                                       "exec sleep 300\n"));
    const QString player = script(QStringLiteral("player.exe"), QStringLiteral("touch \"$TUNING_TEST_OUT/ran\"\n"));
    auto tuning = make(tuner);
    ShowList shows(1);
    setFieldText(shows[0].url, player);
    shows[0].addressOrigin = kAddressFromCatalogue;
    TuningPort port(*tuning, shows);

    port.tuneTo(player, 'U', 12, QString(), false);
    port.tuneTo(QStringLiteral("http://radio.example/live"), 'U', 13, QStringLiteral("skywell_mute"), false);
    ASSERT_TRUE(test::spinUntil([&] { return notified.size() == 2 && exists(QStringLiteral("sink")); }, 10000));
    // Each request runs on a worker of its own: their notices may come either way round.
    EXPECT_THAT(notified, ::testing::UnorderedElementsAre(12u, 13u));
    EXPECT_FALSE(exists(QStringLiteral("ran")));
    EXPECT_TRUE(logText().contains(QStringLiteral("Cannot tune: ")));
    EXPECT_EQ(lines(QStringLiteral("sink")), QStringList{QStringLiteral("skywell_mute")});
    // The controller shows its own status texts; only the refusal is ours.
    EXPECT_EQ(statuses.size(), 1);
    const QList<qint64> players = port.playerProcessIds(13);
    ASSERT_EQ(players.size(), 1);
    EXPECT_TRUE(running(static_cast<pid_t>(players[0])));
    port.closePlayers(13);
    EXPECT_TRUE(port.playerProcessIds(13).isEmpty());
}

// Two recordings side by side, each with its own tuner: the end of one
// closes its tuner's window and ends its tuner only; the other plays on.
// A user's own player window is closed by title as before.
TEST_F(TuningTest, EndingOneRecordingsPlayersLeavesTheOtherRecordingsPlaying)
{
    auto tuning = make(script(QStringLiteral("tuner"), QStringLiteral("exec sleep 300\n")));
    ShowList shows;
    TuningPort port(*tuning, shows);
    port.tuneTo(QStringLiteral("http://radio.example/one"), 'U', 1, QStringLiteral("sink_one"), false);
    port.tuneTo(QStringLiteral("http://radio.example/two"), 'U', 2, QStringLiteral("sink_two"), false);
    ASSERT_TRUE(test::spinUntil([&] { return notified.size() == 2; }, 10000));
    const QList<qint64> first = port.playerProcessIds(1);
    const QList<qint64> second = port.playerProcessIds(2);
    ASSERT_EQ(first.size(), 1);
    ASSERT_EQ(second.size(), 1);
    ASSERT_NE(first[0], second[0]);
    windows.add(10, QStringLiteral("Skywell Tuner - one"), QString(), first[0]);
    windows.add(11, QStringLiteral("Skywell Tuner - two"), QString(), second[0]);
    windows.add(12, QStringLiteral("Jazz FM - Winamp"));

    port.closePlayers(1);
    EXPECT_THAT(windows.closed, ::testing::UnorderedElementsAre(10u, 12u));
    EXPECT_FALSE(running(static_cast<pid_t>(first[0])));
    EXPECT_TRUE(running(static_cast<pid_t>(second[0])));
    EXPECT_TRUE(port.playerProcessIds(1).isEmpty());
    EXPECT_EQ(port.playerProcessIds(2), second);

    port.endStartedPlayers(2);
    EXPECT_FALSE(running(static_cast<pid_t>(second[0])));

    // Players that play into the sink they are given: the tuner and the
    // player command, unless the address goes to the browser.
    EXPECT_TRUE(port.startsOwnPlayer('U'));
    EXPECT_TRUE(port.startsOwnPlayer('R'));
    EXPECT_FALSE(port.startsOwnPlayer('W'));
    settings.tuneInBrowser = true;
    EXPECT_FALSE(port.startsOwnPlayer('U'));
}

} // namespace
} // namespace skywell
