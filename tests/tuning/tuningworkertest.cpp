// The tuning worker's steps, with waits and the connection played by the test.
#include "tuning/tuningworker.h"
#include "shows/show.h"

#include <gtest/gtest.h>

#include <vector>

namespace skywell
{
namespace
{

using std::chrono::milliseconds;

struct Recorder {
    std::vector<QString> events;
    std::vector<milliseconds> waits;
    int onlineAfterChecks = 0; // online from this check on; -1 never
    int checks = 0;
    int stopAtWait = -1; // the wait (0-based) that reports a stop
    std::optional<bool> wasOnline;

    TuningWorkerHooks hooks()
    {
        TuningWorkerHooks h;
        h.wait = [this](milliseconds time) {
            waits.push_back(time);
            return static_cast<int>(waits.size()) - 1 != stopAtWait;
        };
        h.isOnline = [this] { return ++checks > onlineAfterChecks && onlineAfterChecks >= 0; };
        h.dial = [this] { events.push_back(QStringLiteral("dial")); };
        h.setWasOnlineBeforeDial = [this](bool online) { wasOnline = online; };
        h.status = [this](const QString &text) { events.push_back(QStringLiteral("status ") + text); };
        h.log = [this](const QString &message, const QString &) { events.push_back(QStringLiteral("log ") + message); };
        h.tune = [this] { events.push_back(QStringLiteral("tune")); };
        h.captureCanStart = [this] { events.push_back(QStringLiteral("904")); };
        return h;
    }
};

TuningJob job(const QString &address)
{
    TuningJob j;
    j.recordingId = 7;
    j.name = QStringLiteral("Jazz Hour");
    j.address = address;
    j.connectLeadSeconds = 30;
    return j;
}

TEST(TuningWorker, OnlineLanTunesWaitsTheLeadAndNotifies)
{
    Recorder r;
    runTuningWorker(job(QStringLiteral("http://radio.example/live")), r.hooks());
    EXPECT_EQ(r.events, (std::vector<QString>{QStringLiteral("status Tuning to Jazz Hour"), QStringLiteral("tune"),
                                              QStringLiteral("status Recording Jazz Hour"), QStringLiteral("904")}));
    ASSERT_FALSE(r.waits.empty());
    EXPECT_EQ(r.waits.front(), milliseconds(30000));
}

// Record Now: capture starts once the player plays, and no later than the
// connect-ahead time when it never says so.
TEST(TuningWorker, CaptureWhenPlayingStartsAsSoonAsThePlayerPlays)
{
    for (const int playsAfterChecks : {3, -1}) {
        Recorder r;
        int checks = 0;
        TuningWorkerHooks hooks = r.hooks();
        hooks.playing = [&] { return playsAfterChecks >= 0 && ++checks > playsAfterChecks; };
        TuningJob j = job(QStringLiteral("http://radio.example/live"));
        j.captureWhenPlaying = true;
        runTuningWorker(j, hooks);
        milliseconds waited{0};
        for (const milliseconds w : r.waits)
            waited += w;
        EXPECT_EQ(r.events.back(), QStringLiteral("904")) << playsAfterChecks;
        if (playsAfterChecks >= 0)
            EXPECT_LE(waited, milliseconds(1000));
        else
            EXPECT_EQ(waited, milliseconds(30000));
    }
}

TEST(TuningWorker, QuickRecordAndListenOnlyStartAtOnce)
{
    Recorder r;
    runTuningWorker(job(QString()), r.hooks());
    EXPECT_EQ(r.events, (std::vector<QString>{QStringLiteral("status Recording Jazz Hour"), QStringLiteral("904")}));
    EXPECT_EQ(r.checks, 0);
    for (const milliseconds wait : r.waits)
        EXPECT_EQ(wait.count(), 0);

    Recorder listen;
    TuningJob j = job(QString());
    j.flags = OUT_NONE;
    runTuningWorker(j, listen.hooks());
    EXPECT_EQ(listen.events.front(), QStringLiteral("status Listening to Jazz Hour"));

    // A track split in progress skips tuning too.
    Recorder split;
    j = job(QStringLiteral("http://radio.example/live"));
    j.splitInProgress = true;
    runTuningWorker(j, split.hooks());
    EXPECT_EQ(split.events,
              (std::vector<QString>{QStringLiteral("status Recording Jazz Hour"), QStringLiteral("904")}));
}

TEST(TuningWorker, LanWithoutConnectionLogsAfterThirtyChecksAndTunesAnyway)
{
    Recorder r;
    r.onlineAfterChecks = -1;
    runTuningWorker(job(QStringLiteral("http://radio.example/live")), r.hooks());
    EXPECT_EQ(r.checks, 30);
    EXPECT_EQ(std::count(r.waits.begin(), r.waits.end(), milliseconds(2000)), 30);
    EXPECT_EQ(r.events.front(), QStringLiteral("log LAN connection failed after 60 seconds"));
    EXPECT_EQ(r.events.back(), QStringLiteral("904"));

    Recorder late;
    late.onlineAfterChecks = 3;
    runTuningWorker(job(QStringLiteral("http://radio.example/live")), late.hooks());
    EXPECT_EQ(late.checks, 4);
    EXPECT_EQ(late.events.front(), QStringLiteral("status Tuning to Jazz Hour"));
}

TEST(TuningWorker, DialUpDialsOnlyWhenOffline)
{
    TuningJob j = job(QStringLiteral("http://radio.example/live"));
    j.useDialup = true;
    Recorder online;
    runTuningWorker(j, online.hooks());
    EXPECT_EQ(online.wasOnline, true);
    EXPECT_EQ(std::count(online.events.begin(), online.events.end(), QStringLiteral("dial")), 0);

    Recorder offline;
    offline.onlineAfterChecks = -1;
    runTuningWorker(j, offline.hooks());
    EXPECT_EQ(offline.wasOnline, false);
    EXPECT_EQ(offline.events.front(), QStringLiteral("dial"));
    EXPECT_EQ(offline.waits.front(), milliseconds(15000));
    EXPECT_EQ(offline.events.back(), QStringLiteral("904"));
}

TEST(TuningWorker, AStoppedRecordingGetsNoCapture)
{
    // Stopped while waiting for the network: not even tuned.
    Recorder early;
    early.onlineAfterChecks = 2;
    early.stopAtWait = 0;
    runTuningWorker(job(QStringLiteral("http://radio.example/live")), early.hooks());
    EXPECT_TRUE(early.events.empty());

    // Stopped while the player buffers: tuned, but no notification.
    Recorder buffering;
    buffering.stopAtWait = 0;
    runTuningWorker(job(QStringLiteral("http://radio.example/live")), buffering.hooks());
    EXPECT_EQ(buffering.events,
              (std::vector<QString>{QStringLiteral("status Tuning to Jazz Hour"), QStringLiteral("tune")}));

    // Quick Record stopped before the worker ran.
    Recorder quick;
    quick.stopAtWait = 0;
    runTuningWorker(job(QString()), quick.hooks());
    EXPECT_TRUE(quick.events.empty());
}

} // namespace
} // namespace skywell
