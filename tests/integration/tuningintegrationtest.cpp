// Tuning against the real parts: tuneTo starts the built skywell-tuner on a
// stream served on 127.0.0.1, the tuner plays into a PulseAudio null sink
// whose monitor the test records, and player windows on the X server
// (Xvfb) are closed by title. Run under xvfb-run with the test PulseAudio
// server (PULSE_SERVER).
#include "integration/station.h"
#include "support/eventloop.h"
#include "support/tempenv.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/processtree.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "platform/pulseprivatesink.h"
#include "platform/x11windows.h"
#include "recording/tuningport.h"
#include "shows/show.h"
#include "tuning/connectionstate.h"
#include "tuning/playerwindows.h"
#include "tuning/startedplayers.h"
#include "tuning/tuning.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <memory>
#include <unistd.h>

namespace skywell
{
namespace
{

using test::kStationTitle;
using test::recordedLevel;
using test::Station;
using test::TempFolder;

// The stream comes from 127.0.0.1, which needs no route to anywhere.
class Online final : public ConnectionState
{
public:
    bool isOnline() const override { return true; }
};

class TuningIntegration : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        becomeChildSubreaper();
        station = new Station;
    }
    static void TearDownTestSuite()
    {
        delete station;
        station = nullptr;
    }

    TuningIntegration()
        : home("SKYWELL_HOME", program.path().toUtf8()), configHome("XDG_CONFIG_HOME", config.path().toUtf8()),
          log(program.path(), clock), settingsStore(config.path(), config.path() + QStringLiteral("machine"), &prompter)
    {
        settings.connectLeadSeconds = 2;
    }

    void SetUp() override { ASSERT_TRUE(station->ready) << "the test station or its null sink did not start"; }

    std::unique_ptr<Tuning> make()
    {
        auto tuning = std::make_unique<Tuning>(settingsStore, log, prompter, settings, online, windows,
                                               qEnvironmentVariable("SKYWELL_TUNER"));
        QObject::connect(tuning.get(), &Tuning::captureCanStart, [this](quint64 id) { notified << id; });
        return tuning;
    }

    Show show(const QString &path)
    {
        Show s;
        setFieldText(s.name, QStringLiteral("Jazz Hour"));
        setFieldText(s.url, station->url(path));
        return s;
    }

    bool windowWithTitle(const QString &title)
    {
        for (const DesktopWindow &window : windows.topLevelWindows()) {
            if (window.title == title)
                return true;
        }
        return false;
    }

    // Ends a helper window's process that is still running.
    struct EndProcess {
        void operator()(QProcess *process) const
        {
            process->kill();
            process->waitForFinished(3000);
            delete process;
        }
    };
    using WindowProcess = std::unique_ptr<QProcess, EndProcess>;

    // A helper window with the title, once it is on the screen.
    WindowProcess openWindow(const QString &title)
    {
        WindowProcess process(new QProcess);
        process->start(qEnvironmentVariable("X11_TEST_WINDOW"), {title});
        EXPECT_TRUE(process->waitForStarted(5000));
        EXPECT_TRUE(test::spinUntil([&] { return process->canReadLine() || process->waitForReadyRead(50); }, 5000))
            << qPrintable(title);
        EXPECT_TRUE(test::spinUntil([&] { return windowWithTitle(title); }, 5000)) << qPrintable(title);
        return process;
    }

    static bool closedByRequest(QProcess &process)
    {
        return process.waitForFinished(3000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    static Station *station;
    TempFolder program;
    TempFolder config;
    test::ScopedEnv home;
    test::ScopedEnv configHome;
    SystemClock clock;
    ActivityLog log;
    ScriptedPrompter prompter;
    SettingsStore settingsStore;
    Settings settings;
    Online online;
    X11Windows windows;
    QList<quint64> notified;
};

Station *TuningIntegration::station = nullptr;

TEST_F(TuningIntegration, TheTunerPlaysAPlaylistIntoTheSinkShowsTheTitleAndClosesOnRequest)
{
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY"));
    auto tuning = make();
    tuning->setPlacementSource([] { return TunerPlacement{100, 300, 600, false}; });
    tuning->tuneTo(show(QStringLiteral("list.pls")), 3, false, station->sink);
    ASSERT_TRUE(test::spinUntil([&] { return !notified.isEmpty(); }, 20000));
    EXPECT_EQ(notified, QList<quint64>{3});
    EXPECT_EQ(settingsStore.readString(QStringLiteral("TunerURL"), SettingsGroup::Program),
              station->url(QStringLiteral("list.pls")));
    EXPECT_EQ(settingsStore.readInt(QStringLiteral("TunerTop"), SettingsGroup::Program), 300);

    // The station's title reaches the window title.
    EXPECT_TRUE(
        test::spinUntil([&] { return windowWithTitle(QStringLiteral("Skywell Tuner - ") + kStationTitle); }, 15000));
    // At full volume: the recording has the stream's own level (a sine at
    // half scale, RMS 0.35).
    EXPECT_TRUE(test::spinUntil([&] { return recordedLevel(station->sink, 1000) > 0.1; }, 10000));
    EXPECT_GT(recordedLevel(station->sink, 2000), 0.3);

    // Closing the player windows closes the tuner; it ends by itself.
    EXPECT_EQ(closePlayerWindows(windows), 1);
    EXPECT_TRUE(test::spinUntil([&] { return tuning->startedPlayers().runningPlayers() == 0; }, 5000));
    EXPECT_LT(recordedLevel(station->sink, 1000), 0.001);
}

TEST_F(TuningIntegration, TwoPlayerWindowsCloseInTwoPassesAndOtherWindowsStay)
{
    auto notes = openWindow(QStringLiteral("Notes - Editor"));
    auto winamp = openWindow(QStringLiteral("Jazz FM - Winamp"));
    auto other = openWindow(QStringLiteral("skywell tuner notes"));
    auto page = openWindow(QStringLiteral("Radio Page (playing)"));
    auto tuning = make();
    tuning->closePlayers();
    EXPECT_TRUE(closedByRequest(*winamp));
    EXPECT_TRUE(closedByRequest(*page));
    EXPECT_EQ(notes->state(), QProcess::Running);
    EXPECT_EQ(other->state(), QProcess::Running);
    EXPECT_TRUE(windowWithTitle(QStringLiteral("Notes - Editor")));
}

TEST_F(TuningIntegration, SevenPlayerWindowsLeaveTheOneEnumeratedFirst)
{
    std::vector<WindowProcess> players;
    for (int i = 1; i <= 7; ++i)
        players.push_back(openWindow(QStringLiteral("Station %1 - RealPlayer").arg(i)));
    EXPECT_EQ(closePlayerWindows(windows), 6);
    // Without a window manager the window mapped last is on top, the first
    // in enumeration order: it is the one every pass passed over.
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(closedByRequest(*players[i])) << i;
    EXPECT_EQ(players[6]->state(), QProcess::Running);
    EXPECT_TRUE(windowWithTitle(QStringLiteral("Station 7 - RealPlayer")));
}

TEST_F(TuningIntegration, WithoutADisplayTheTunerPlaysWindowlessAndEndsWithTheRecording)
{
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    auto tuning = make();
    tuning->tuneTo(show(QStringLiteral("moved")), 9, false, station->sink);
    ASSERT_TRUE(test::spinUntil([&] { return !notified.isEmpty(); }, 20000));
    EXPECT_TRUE(test::spinUntil([&] { return recordedLevel(station->sink, 1000) > 0.1; }, 10000));
    EXPECT_EQ(tuning->startedPlayers().runningPlayers(), 1);
    tuning->closePlayers();
    EXPECT_EQ(tuning->startedPlayers().runningPlayers(), 0);
    EXPECT_LT(recordedLevel(station->sink, 1000), 0.001);
    qputenv("DISPLAY", display);
}

// Muting while the stream plays in the browser: the browser the opener
// started (here the tuner, windowless, on the station's sink, which stands
// for the speakers; the opener returns at once, as xdg-open does) has its
// sound moved to the muted sink.
TEST_F(TuningIntegration, MutingMovesTheSoundOfTheBrowserTheOpenerStarted)
{
    const QString opener = program.path() + QStringLiteral("/opener.sh");
    QFile script(opener);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nenv -u DISPLAY PULSE_SINK=%1 '%2' \"$1\" </dev/null >/dev/null 2>&1 &\n")
                     .arg(station->sink, qEnvironmentVariable("SKYWELL_TUNER"))
                     .toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    PulsePrivateSink muted;
    ASSERT_TRUE(muted.open()) << qPrintable(muted.errorText());
    settings.tuneInBrowser = true;
    auto tuning = make();
    tuning->setBrowserOpener(opener);
    tuning->tuneNow(station->url(QStringLiteral("stream.mp3")), 'U', kAddressTyped, muted.sinkName());
    EXPECT_TRUE(test::spinUntil([&] { return recordedLevel(station->sink, 1000) > 0.1; }, 15000));

    ShowList shows;
    TuningPort port(*tuning, shows);
    const QList<qint64> players = port.playerProcessIds(0);
    const StreamMove move = muted.moveStreamsOf(players);
    EXPECT_GE(move.moved, 1) << qPrintable(move.problem);
    EXPECT_TRUE(test::spinUntil([&] { return recordedLevel(station->sink, 500) < 0.001; }, 5000));
    EXPECT_GT(recordedLevel(muted.sinkName(), 1000), 0.1);
    for (const qint64 pid : players)
        ::kill(pid_t(pid), SIGTERM);
    muted.close();
}

} // namespace
} // namespace skywell
