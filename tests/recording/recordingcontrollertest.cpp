// The recordings over the real block path, Show list, scheduler and Show
// file, with tuning and the download as doubles: when recordings start and
// end, what the Show reads afterwards, and what is kept.
#include "recording/audiofixtures.h"
#include "recording/recordingfixture.h"

#include "core/settingsstore.h"
#include "recording/freespace.h"
#include "recording/recordingroster.h"
#include "shows/localtime.h"
#include "shows/scheduler.h"
#include "shows/showstore.h"
#include "support/eventloop.h"
#include "support/forwardingparts.h"
#include "support/memoryprivatesink.h"
#include "support/onerecording.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

using namespace skywell;
using namespace skywell::test;

namespace
{

class FakeTuning final : public StreamTuning
{
public:
    struct Tune {
        QString address;
        char letter;
        std::uint64_t id;
    };
    void tuneTo(const QString &address, char letter, std::uint64_t id, const QString &sink, bool) override
    {
        tunes.push_back({address, letter, id});
        sinks.push_back(sink);
    }
    void recordingStopped(std::uint64_t id) override { stopped.push_back(id); }
    void closePlayers(std::uint64_t) override { ++closes; }
    void endStartedPlayers(std::uint64_t) override {}
    QList<qint64> playerProcessIds(std::uint64_t) const override { return players; }
    bool startsOwnPlayer(char) const override { return ownPlayer; }
    bool isOnline() override { return true; }
    bool wasOnlineBeforeDial() const override { return onlineBefore; }
    void dial() override {}
    void hangUp() override { ++hangUps; }

    std::vector<Tune> tunes;
    QStringList sinks;
    std::vector<std::uint64_t> stopped;
    QList<qint64> players;
    int closes = 0;
    int hangUps = 0;
    bool onlineBefore = true;
    bool ownPlayer = false;
};

class FakeDownload final : public DirectDownload
{
public:
    void start(const QString &u, const QString &p, std::function<void(const DirectDownloadResult &)> d) override
    {
        url = u;
        path = p;
        done = std::move(d);
        isRunning = true;
    }
    void stop() override
    {
        ++stops;
        finish(QByteArray("partial live stream"), false);
    }
    bool running() const override { return isRunning; }
    bool liveStream() const override { return live; }
    // The transfer ends having saved body (nothing at all for a null one).
    void finish(const QByteArray &body, bool complete)
    {
        if (!body.isNull()) {
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(body);
        }
        isRunning = false;
        done({body.size(), complete, complete || stops > 0 ? QString() : QStringLiteral("HTTP 404"), path, live});
    }

    QString url;
    QString path;
    std::function<void(const DirectDownloadResult &)> done;
    bool isRunning = false;
    bool live = false;
    int stops = 0;
};

class RecordingControllerTest : public RecordingFixture
{
protected:
    RecordingControllerTest()
    {
        settings.connectLeadSeconds = 30;
        settings.retuneSeconds = 60;
        scheduler = std::make_unique<Scheduler>(clock, settings, settingsStore, log, prompter);
        makeRoster();
    }

    void makeRoster()
    {
        roster = std::make_unique<RecordingRoster>(
            RosterContext{shows, *scheduler, store, settings, clock, log, tuning, parts, *delivery, &mixer});
        QObject::connect(roster.get(), &RecordingRoster::nothingRecordedNow, [this] { ++nothingNow; });
        QObject::connect(roster.get(), &RecordingRoster::recordingsChanged, [this] {
            const std::vector<RunningRecording> running = roster->running();
            if (!running.empty())
                current = running.back().id;
        });
    }

    // The session of the recording running (or the last one).
    const RecordingSession &live() const
    {
        static const RecordingSession none;
        const RecordingSession *s = roster->sessionOf(current);
        return s ? *s : none;
    }

    // Blocks from the device the recording captures through, handled as
    // its queue's notification handles them.
    void feedLive(const std::vector<CaptureBlock> &blocks)
    {
        ASSERT_TRUE(parts.lastSink);
        for (const CaptureBlock &block : blocks)
            parts.lastSink(std::make_unique<CaptureBlock>(block));
        QCoreApplication::processEvents();
    }

    // A weekly Show of the given length, starting at start.
    Show &addShow(const char *name, std::int64_t start, std::int64_t minutes, std::uint32_t flags = OUT_WAV)
    {
        Show show;
        setField(show.name, QByteArray(name));
        setField(show.url, QByteArray("http://127.0.0.1:9/stream.mp3"));
        show.flags = flags | SHOW_REPEATING | SHOW_DAYS;
        show.startTime = std::int32_t(start);
        show.endTime = std::int32_t(start + minutes * 60);
        shows.push_back(show);
        return shows.back();
    }

    // Ticks once a second from now until (and including) the time given.
    void tickUntil(std::int64_t until)
    {
        while (clock.now() < until) {
            clock.advance(1);
            controller->supervisionTick();
        }
    }

    // Tuning reports the stream playing.
    void streamPlays()
    {
        ASSERT_FALSE(tuning.tunes.empty());
        controller->captureCanStart(tuning.tunes.back().id);
        ASSERT_TRUE(live().capturing);
    }

    QString lastStatus(int index = 0) const { return fieldText(shows.at(std::size_t(index)).lastStatus); }

    TempFolder config;
    SettingsStore settingsStore{config.path() + QStringLiteral("user"), config.path() + QStringLiteral("machine")};
    ShowStore store{program.path(), log, prompter};
    ShowList shows;
    std::unique_ptr<Scheduler> scheduler;
    FakeTuning tuning;
    FakeDownload download;
    ForwardingParts parts{device, streamDevice, nullptr, &download};
    std::unique_ptr<RecordingRoster> roster;
    std::uint64_t current = 0;
    OneRecording oneRecording{roster, current};
    OneRecording *controller = &oneRecording;
    int nothingNow = 0;
};

TEST_F(RecordingControllerTest, DueShowIsPickedUpBetween30And20SecondsAheadAndRecordedToTheEnd)
{
    // Whatever the phase of the tenth tick.
    for (int phase = 0; phase < 10; ++phase) {
        shows.clear();
        const std::int64_t start = clock.now() + 100 + phase;
        addShow("Night Jazz", start, 2);
        tuning.tunes.clear();
        while (tuning.tunes.empty() && clock.now() < start) {
            clock.advance(1);
            controller->supervisionTick();
        }
        ASSERT_EQ(tuning.tunes.size(), 1u) << phase;
        EXPECT_GE(clock.now(), start - 30) << phase;
        EXPECT_LE(clock.now(), start - 20) << phase;
        EXPECT_EQ(tuning.tunes[0].address, QStringLiteral("http://127.0.0.1:9/stream.mp3"));

        streamPlays();
        feedLive(tone(12.0));
        const std::int64_t end = shows[0].endTime;
        tickUntil(end + 30);
        EXPECT_TRUE(controller->recording()) << "still recording at the end time + 30 s";
        tickUntil(end + 31);
        EXPECT_FALSE(controller->recording());
        EXPECT_TRUE(lastStatus().startsWith(QStringLiteral("Last Recording was OK"))) << qPrintable(lastStatus());
        EXPECT_EQ(shows[0].startTime, start + kDaySeconds) << "rescheduled to the next day";
        for (const QString &name : recordings())
            QFile::remove(folder.file(name));
    }
    EXPECT_EQ(countInLog(QStringLiteral("Start Recording Night Jazz")), 10);
    EXPECT_EQ(countInLog(QStringLiteral("Tuning to: http://127.0.0.1:9/stream.mp3")), 10);
    EXPECT_EQ(countInLog(QStringLiteral("End Recording")), 10);
    // Saved with the list: a restart finds the new times.
    ShowList reloaded;
    store.load(reloaded);
    ASSERT_EQ(reloaded.size(), 1u);
    EXPECT_EQ(reloaded[0].startTime, shows[0].startTime);
}

TEST_F(RecordingControllerTest, AfterAWakeUpAShowThatBeganInItsSleepIsRecordedFromNow)
{
    const std::int64_t start = clock.now() + 600;
    addShow("Night Jazz", start, 60);
    controller->supervisionTick();
    // Asleep through the start; the first tick after waking is not a tenth.
    clock.set(start + 20 * 60);
    controller->lookForDueShowNow();
    ASSERT_EQ(tuning.tunes.size(), 1u);
    EXPECT_TRUE(controller->recording());
    EXPECT_EQ(controller->startTime(), clock.now());
    // Once it records, another wake-up starts nothing more.
    controller->lookForDueShowNow();
    EXPECT_EQ(tuning.tunes.size(), 1u);
}

TEST_F(RecordingControllerTest, ManualRecordingsEndAtTheirEndTimePlus30Seconds)
{
    // Quick Record for 2 minutes (end now + 2 × 60 − 20) and Record Now
    // (5 hours ahead).
    for (const std::int64_t length : {std::int64_t(2 * 60 - 20), std::int64_t(18000)}) {
        RecordingRequest request;
        request.name = QStringLiteral("Manual");
        request.flags = OUT_WAV | SHOW_MANUAL;
        const std::int64_t started = clock.now();
        request.endTime = started + length;
        controller->startRecording(request);
        EXPECT_TRUE(live().capturing) << "no address: capture starts at once";
        feedLive(tone(1.5));
        tickUntil(started + length + 30);
        EXPECT_TRUE(controller->recording());
        tickUntil(started + length + 31);
        EXPECT_FALSE(controller->recording());
        EXPECT_TRUE(tuning.tunes.empty());
        EXPECT_EQ(tuning.closes, 0) << "a manual recording leaves the players alone";
    }
}

TEST_F(RecordingControllerTest, SplitAtMinuteZeroActsOncePerHourAnd255Never)
{
    // Start five minutes before a full hour.
    std::int64_t t = clock.now();
    while (localCalendar(t).tm_min != 55 || localCalendar(t).tm_sec != 0)
        ++t;
    clock.set(t);
    for (const std::uint8_t minute : {std::uint8_t(0), std::uint8_t(255)}) {
        RecordingRequest request;
        request.name = QStringLiteral("Hourly");
        request.flags = OUT_WAV | SHOW_MANUAL;
        request.endTime = clock.now() + 3 * 3600;
        request.splitAtMinute[3] = minute;
        request.splitAtMinute[6] = minute;
        controller->startRecording(request);
        int splits = 0;
        int track = live().trackNumber;
        for (int second = 0; second < 2 * 3600; ++second) {
            if (second % 600 == 0)
                feedLive(tone(1.5));
            clock.advance(1);
            controller->supervisionTick();
            if (live().trackNumber != track) {
                ++splits;
                track = live().trackNumber;
                EXPECT_EQ(localCalendar(clock.now()).tm_min, 0);
            }
        }
        EXPECT_EQ(splits, minute == 0 ? 2 : 0) << int(minute);
        controller->endRecording(true, false);
    }
}

TEST_F(RecordingControllerTest, DiscardLastTrackKeepsASingleTrack)
{
    for (const bool twoTracks : {false, true}) {
        for (const QString &name : recordings())
            QFile::remove(folder.file(name));
        RecordingRequest request;
        request.name = QStringLiteral("Quick");
        request.flags = OUT_WAV | SHOW_MANUAL;
        request.endTime = clock.now() + 60;
        request.discardLastTrack = true;
        controller->startRecording(request);
        feedLive(tone(12.0));
        if (twoTracks) {
            roster->splitTrack(current);
            feedLive(tone(12.0));
        }
        tickUntil(request.endTime + 31);
        EXPECT_EQ(recordings().filter(QStringLiteral(".wav")).size(), 1) << twoTracks;
    }
}

TEST_F(RecordingControllerTest, DialUpIsHungUpOnlyAfterAScheduledRecordingThatWasNotAborted)
{
    settings.useDialup = true;
    tuning.onlineBefore = false;
    for (const bool abort : {true, false}) {
        shows.clear();
        addShow("Dial", clock.now() + 60, 10);
        tickUntil(clock.now() + 40);
        streamPlays();
        controller->endRecording(abort, true);
        EXPECT_EQ(tuning.hangUps, abort ? 0 : 1);
    }
    // Online before dialling: the connection was not ours to close.
    tuning.onlineBefore = true;
    shows.clear();
    addShow("Dial", clock.now() + 60, 10);
    tickUntil(clock.now() + 40);
    controller->endRecording(false, true);
    EXPECT_EQ(tuning.hangUps, 1);
}

TEST_F(RecordingControllerTest, RetuneOnlyAfterSilenceWithAnAddressAndOutsideTheGracePeriod)
{
    addShow("Talk", clock.now() + 40, 30);
    tickUntil(clock.now() + 20);
    ASSERT_EQ(tuning.tunes.size(), 1u);
    // Tuning takes long: no retune while capture has not started.
    tickUntil(clock.now() + 200);
    EXPECT_EQ(tuning.tunes.size(), 1u);
    streamPlays();
    // The grace period (30 s) and the retune time (60 s) pass in silence.
    const std::int64_t captureStart = clock.now();
    feedLive(silence(2));
    tickUntil(captureStart + 90);
    EXPECT_EQ(countInLog(QStringLiteral("Retuning to URL")), 0);
    tickUntil(captureStart + 91);
    EXPECT_EQ(countInLog(QStringLiteral("No audio data received in 60 seconds. Retuning to URL.")), 1);
    EXPECT_EQ(tuning.closes, 1);
    // The stream is tuned again a second later, while the main loop runs.
    QElapsedTimer waited;
    waited.start();
    while (tuning.tunes.size() < 2 && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_EQ(tuning.tunes.size(), 2u);
    EXPECT_EQ(tuning.tunes[1].address, tuning.tunes[0].address);
    // The new grace period holds off the next retune.
    tickUntil(clock.now() + 80);
    EXPECT_EQ(countInLog(QStringLiteral("Retuning to URL")), 1);
    controller->endRecording(true, false);

    // Without an address (Quick Record) or with retuning off: never.
    for (const std::uint32_t flags : {std::uint32_t(OUT_WAV | SHOW_MANUAL), std::uint32_t(OUT_WAV | OPT_NO_RETUNE)}) {
        RecordingRequest request;
        request.name = QStringLiteral("Quiet");
        request.flags = flags;
        request.url = (flags & OPT_NO_RETUNE) ? QStringLiteral("http://127.0.0.1:9/") : QString();
        request.endTime = clock.now() + 3600;
        controller->startRecording(request);
        if (!live().capturing)
            streamPlays();
        tickUntil(clock.now() + 600);
        controller->endRecording(true, false);
    }
    EXPECT_EQ(countInLog(QStringLiteral("Retuning to URL")), 1);
}

TEST_F(RecordingControllerTest, LateNoticeOfAStoppedRecordingStartsNoCapture)
{
    addShow("First", clock.now() + 40, 30);
    tickUntil(clock.now() + 20);
    ASSERT_EQ(tuning.tunes.size(), 1u);
    const std::uint64_t first = tuning.tunes[0].id;
    controller->endRecording(true, true);

    RecordingRequest request;
    request.name = QStringLiteral("Second");
    request.url = QStringLiteral("http://127.0.0.1:9/second");
    request.flags = OUT_WAV | SHOW_MANUAL;
    request.endTime = clock.now() + 600;
    controller->startRecording(request);
    EXPECT_EQ(tuning.stopped, std::vector<std::uint64_t>{first}) << "its worker is told to stop tuning";
    controller->captureCanStart(first);
    EXPECT_FALSE(live().capturing) << "the stopped recording's notice is ignored";
    controller->captureCanStart(tuning.tunes.back().id);
    EXPECT_TRUE(live().capturing);
}

TEST_F(RecordingControllerTest, RecordingsWithoutUsableSoundSayWhy)
{
    // Ended while still tuning: the reason, not the earlier recording's.
    addShow("Nothing", clock.now() + 40, 30);
    shows[0].flags &= ~SHOW_DAYS;
    shows[0].flags |= SHOW_MON;
    tickUntil(clock.now() + 20);
    controller->endRecording(false, true);
    EXPECT_TRUE(lastStatus().startsWith(QStringLiteral("Last Recording was NOT OK: Not enough sound data")))
        << qPrintable(lastStatus());
    EXPECT_EQ(live().trackNumber, 0) << "the number is given back once";
    EXPECT_TRUE(controller->nothingRecorded());

    // A stream that plays only silence: the file is kept, the Show says so.
    shows.clear();
    addShow("Silent", clock.now() + 40, 1);
    tickUntil(clock.now() + 20);
    streamPlays();
    feedLive(silence(15));
    tickUntil(shows[0].endTime + 31);
    EXPECT_EQ(recordings().size(), 1u);
    EXPECT_TRUE(lastStatus().contains(QStringLiteral("No sound was heard"))) << qPrintable(lastStatus());
    EXPECT_TRUE(lastStatus().startsWith(QStringLiteral("Last Recording was NOT OK")));
}

TEST_F(RecordingControllerTest, ShortLastTrackIsDroppedAndItsNumberGivenBackOnce)
{
    // 5 s after a split (more than ten blocks, under ten seconds), then 0.5 s.
    for (const double lastSeconds : {5.0, 0.5}) {
        RecordingRequest request;
        request.name = QStringLiteral("Short");
        request.flags = OUT_WAV | SHOW_MANUAL;
        request.endTime = clock.now() + 600;
        controller->startRecording(request);
        feedLive(tone(12.0));
        roster->splitTrack(current);
        feedLive(tone(lastSeconds));
        controller->endRecording(false, true);
        EXPECT_EQ(live().trackNumber, 1) << lastSeconds;
        EXPECT_EQ(nothingNow, lastSeconds == 5.0 ? 1 : 2) << "a manual recording says so at once";
    }
}

TEST_F(RecordingControllerTest, DirectDownloadsAreSavedUnderUniqueNamesAndRecordTheirOutcome)
{
    Show &show = addShow("Podcast", clock.now() + 40, 10, OPT_DIRECT_DOWNLOAD);
    setField(show.url, QByteArray("http://127.0.0.1:8/episode.ogg"));
    tickUntil(clock.now() + 20);
    ASSERT_TRUE(download.running());
    EXPECT_TRUE(download.path.endsWith(QStringLiteral(" - 01.ogg"))) << qPrintable(download.path);
    download.finish(QByteArray("OggS episode"), true);
    EXPECT_TRUE(lastStatus().startsWith(QStringLiteral("Last Recording was OK"))) << qPrintable(lastStatus());
    const std::int64_t firstStart = shows[0].startTime;
    EXPECT_GT(firstStart, clock.now()) << "rescheduled at once";
    EXPECT_TRUE(controller->recording()) << "the time slot is held to its end";
    tickUntil(clock.now() + 11 * 60);
    EXPECT_FALSE(controller->recording());

    // The next day's one gets its own name; a 404 leaves a NOT OK status.
    const QString firstPath = download.path;
    clock.set(firstStart - 40);
    tickUntil(firstStart - 20);
    ASSERT_TRUE(download.running());
    EXPECT_NE(download.path, firstPath);
    download.finish(QByteArray(), false);
    EXPECT_TRUE(lastStatus().startsWith(QStringLiteral("Last Recording was NOT OK: Nothing was downloaded")))
        << qPrintable(lastStatus());
    EXPECT_EQ(QFile(firstPath).size(), 12);
}

TEST_F(RecordingControllerTest, AFileDownloadRunsToItsEndAndOnlyALiveStreamIsStoppedAtTheShowsEnd)
{
    // A file still arriving at the end time + 30 s goes on to its end.
    Show &show = addShow("Podcast", clock.now() + 40, 1, OPT_DIRECT_DOWNLOAD);
    setField(show.url, QByteArray("http://127.0.0.1:8/long.mp3"));
    const std::int64_t end = show.endTime;
    tickUntil(end + 200);
    EXPECT_EQ(download.stops, 0);
    EXPECT_TRUE(controller->recording());
    download.finish(QByteArray(4000, 'p'), true);
    EXPECT_FALSE(controller->recording()) << "ended with its transfer, past its end time";
    EXPECT_TRUE(lastStatus().startsWith(QStringLiteral("Last Recording was OK"))) << qPrintable(lastStatus());

    // A live stream is stopped there, and its outcome says so.
    shows.clear();
    Show &live = addShow("Live", clock.now() + 40, 2, OPT_DIRECT_DOWNLOAD);
    setField(live.url, QByteArray("http://127.0.0.1:8/live"));
    const std::int64_t liveEnd = live.endTime;
    tickUntil(clock.now() + 20);
    download.live = true;
    tickUntil(liveEnd + 31);
    EXPECT_EQ(download.stops, 1);
    EXPECT_FALSE(controller->recording());
    EXPECT_TRUE(lastStatus().startsWith(QStringLiteral("Last Recording was NOT OK: ")));
    EXPECT_TRUE(lastStatus().contains(QStringLiteral("Live stream stopped at the Show's end")))
        << qPrintable(lastStatus());
    EXPECT_TRUE(lastStatus().contains(QStringLiteral("\"Internet Stream\""))) << qPrintable(lastStatus());

    // A live stream that closes long before the Show's end ended early.
    shows.clear();
    Show &early = addShow("Early", clock.now() + 40, 2, OPT_DIRECT_DOWNLOAD);
    setField(early.url, QByteArray("http://127.0.0.1:8/live"));
    const std::int64_t earlyEnd = early.endTime;
    tickUntil(clock.now() + 30);
    download.finish(QByteArray(160000, 'l'), true);
    EXPECT_TRUE(lastStatus().contains(QStringLiteral("ended early"))) << qPrintable(lastStatus());
    tickUntil(earlyEnd + 31);
    EXPECT_FALSE(controller->recording());
    download.live = false;

    RecordingRequest request;
    request.name = QStringLiteral("Grab");
    request.url = QStringLiteral("http://127.0.0.1:8/file.mp3");
    request.flags = OPT_DIRECT_DOWNLOAD | SHOW_MANUAL;
    request.endTime = clock.now() + 18000;
    controller->startRecording(request);
    download.finish(QByteArray("ID3"), true);
    EXPECT_FALSE(controller->recording()) << "scheduled Shows are not held up for 5 hours";
}

TEST_F(RecordingControllerTest, EndAskedForDuringASplitsDeliveryWaitsForIt)
{
    // The split's script reports later, from the event loop.
    laterCustom = [&](const QString &tempName, const QString &prefix, std::function<void(bool)> done) {
        QTimer::singleShot(200, [this, tempName, prefix, done] {
            done(QFile::copy(temp.file(tempName), folder.file(prefix + QStringLiteral(".wav"))));
        });
    };
    RecordingRequest request;
    request.name = QStringLiteral("Split");
    request.flags = OUT_CUSTOM | SHOW_MANUAL;
    request.endTime = clock.now() + 600;
    controller->startRecording(request);
    feedLive(tone(12.0));
    roster->splitTrack(current);
    feedLive(tone(11.0));
    bool ended = false;
    QObject::connect(roster.get(), &RecordingRoster::recordingEnded, [&] { ended = true; });
    controller->endRecording(false, true);
    EXPECT_FALSE(ended) << "the tracks are still being delivered";
    ASSERT_TRUE(spinUntil([&] { return ended; }, 10000));
    EXPECT_EQ(recordings().size(), 2u);
}

TEST_F(RecordingControllerTest, NoScheduledRecordingStartsDuringTheSourceTest)
{
    controller->setSourceTestRunning(true);
    addShow("Waits", clock.now() + 40, 10);
    tickUntil(clock.now() + 30);
    EXPECT_TRUE(tuning.tunes.empty());
    controller->setSourceTestRunning(false);
    tickUntil(clock.now() + 10);
    EXPECT_EQ(tuning.tunes.size(), 1u);
}

} // namespace

TEST_F(RecordingControllerTest, MutedRecordingRecordsItsOwnSinkOrLeavesTheSoundOn)
{
    MemoryPrivateSink sink;
    parts.setSink(&sink);
    // The player Skywell starts plays into the private sink, whose monitor
    // is recorded; the mixer's mute is never used.
    tuning.players = {4711};
    sink.streamsOf[4711] = 1;
    Show &show = addShow("Muted", clock.now() + 40, 2, OUT_WAV | OPT_MUTE);
    setField(show.recordSource, QByteArray("Monitor of Speakers"));
    tickUntil(clock.now() + 20);
    ASSERT_EQ(tuning.sinks.size(), 1);
    EXPECT_EQ(tuning.sinks[0], sink.name);
    streamPlays();
    EXPECT_TRUE(mixerCalls.contains(QStringLiteral("select skywell_muted_test.monitor")))
        << qPrintable(mixerCalls.join(u','));
    EXPECT_FALSE(mixerCalls.contains(QStringLiteral("mute")));
    controller->endRecording(true, false);
    EXPECT_EQ(sink.closes, 1);

    // A player whose sound cannot be found: recorded from the chosen
    // source with the sound on, and the log says why.
    mixerCalls.clear();
    tuning.players = {};
    shows.clear();
    Show &again = addShow("Muted", clock.now() + 40, 2, OUT_WAV | OPT_MUTE);
    setField(again.recordSource, QByteArray("Monitor of Speakers"));
    tickUntil(clock.now() + 20);
    streamPlays();
    EXPECT_TRUE(mixerCalls.contains(QStringLiteral("select Monitor of Speakers"))) << qPrintable(mixerCalls.join(u','));
    EXPECT_EQ(sink.closes, 2);
    EXPECT_EQ(countInLog(QStringLiteral("Sound left on while recording:")), 1);
}

TEST_F(RecordingControllerTest, ASignedDownloadAddressKeepsTheShowsNameAndAShortExtension)
{
    RecordingRequest request;
    request.name = QStringLiteral("Morning Edition");
    request.url = QStringLiteral("https://s3.example.com/b/01.mp3?X-Amz-Credential=a.b&X-Amz-Signature=") +
                  QString(400, QLatin1Char('f'));
    request.flags = OPT_DIRECT_DOWNLOAD | SHOW_MANUAL;
    request.endTime = clock.now() + 60;
    controller->startRecording(request);
    const QString name = QFileInfo(download.path).fileName();
    EXPECT_TRUE(name.startsWith(QStringLiteral("Morning Edition"))) << qPrintable(name);
    EXPECT_TRUE(name.endsWith(QStringLiteral(" - 01.mp3"))) << qPrintable(name);
    EXPECT_LE(name.toUtf8().size(), 255);
    EXPECT_EQ(QFileInfo(download.path).path() + QLatin1Char('/'), folder.path()) << "no folder from the address";
}

TEST_F(RecordingControllerTest, StreamSourceRecordsWithoutAPlayerAndReopensInsteadOfRetuning)
{
    Show &show = addShow("Stream Show", clock.now() + 40, 30);
    setRecordSourceName(show, QStringLiteral("Internet Stream"));
    tickUntil(clock.now() + 20);
    ASSERT_TRUE(controller->recording());
    // Nothing to tune: capture of the address starts at once.
    EXPECT_TRUE(tuning.tunes.empty());
    EXPECT_TRUE(live().capturing);
    EXPECT_EQ(streamDevice.starts, QStringList{QStringLiteral("http://127.0.0.1:9/stream.mp3")});
    EXPECT_TRUE(device.starts.isEmpty());
    EXPECT_EQ(countInLog(QStringLiteral("Opening the stream: http://127.0.0.1:9/stream.mp3")), 1);

    // Nothing heard past the grace and retune times: the stream is opened
    // afresh, no player is started or closed, the track goes on.
    const std::int64_t captureStart = clock.now();
    feedLive(silence(2));
    tickUntil(captureStart + 91);
    EXPECT_EQ(countInLog(QStringLiteral("No audio data received in 60 seconds. Reopening the stream.")), 1);
    EXPECT_EQ(streamDevice.starts.size(), 2);
    EXPECT_TRUE(tuning.tunes.empty());
    EXPECT_EQ(tuning.closes, 0);
    // A quiet passage is still the stream playing: no reopening.
    for (int second = 0; second < 150; ++second) {
        feedLive(silence(1));
        tickUntil(clock.now() + 1);
    }
    EXPECT_EQ(streamDevice.starts.size(), 2);
    feedLive(tone(12.0));
    tickUntil(shows[0].endTime + 31);
    EXPECT_FALSE(controller->recording());
    // The user's own players are left alone.
    EXPECT_EQ(tuning.closes, 0);
    EXPECT_EQ(recordings().size(), 1u);
    EXPECT_TRUE(lastStatus().startsWith(QStringLiteral("Last Recording was OK"))) << qPrintable(lastStatus());
}

TEST_F(RecordingControllerTest, WithoutASoundServerSoundCardShowsAreRecordedFromTheirStreams)
{
    controller->setStreamOnly(true);
    addShow("Card Show", clock.now() + 40, 30);
    tickUntil(clock.now() + 20);
    ASSERT_TRUE(controller->recording());
    EXPECT_TRUE(tuning.tunes.empty());
    EXPECT_EQ(streamDevice.starts, QStringList{QStringLiteral("http://127.0.0.1:9/stream.mp3")});
    EXPECT_TRUE(device.starts.isEmpty()) << "the missing sound server is never asked for silence";
    EXPECT_EQ(countInLog(QStringLiteral("No sound server: recording Card Show straight from the stream instead of")),
              1);
    controller->endRecording(true, false);

    // Direct downloads stay downloads.
    addShow("Podcast", clock.now() + 40, 30, OUT_WAV | OPT_DIRECT_DOWNLOAD);
    shows.erase(shows.begin());
    tickUntil(clock.now() + 20);
    EXPECT_TRUE(controller->downloading());
    EXPECT_EQ(streamDevice.starts.size(), 1);
}

TEST_F(RecordingControllerTest, OutcomeGoesToTheShowRecordedWhateverItsNameOrPlace)
{
    // While the second of two Shows named alike records, the list is left
    // alone, the two change places (a move or a sort), or the Show is edited.
    enum class Change { None, Swap, Rename };
    for (const Change change : {Change::None, Change::Swap, Change::Rename}) {
        shows.clear();
        addShow("Twin", clock.now() + 7200, 10);
        addShow("Twin", clock.now() + 40, 2);
        const std::int16_t recorded = shows[1].serial;
        tickUntil(clock.now() + 20);
        streamPlays();
        feedLive(tone(12.0));
        if (change == Change::Swap)
            std::swap(shows[0], shows[1]);
        if (change == Change::Rename) {
            Show edited = shows[1];
            setField(edited.name, QByteArray("Twin, edited"));
            shows[1] = edited;
        }
        tickUntil(findShowBySerial(shows, recorded)->endTime + 31);
        ASSERT_FALSE(controller->recording());
        for (const Show &show : shows) {
            const bool isRecorded = show.serial == recorded;
            EXPECT_EQ(fieldText(show.lastStatus).startsWith(QStringLiteral("Last Recording was OK")), isRecorded)
                << int(change) << " " << qPrintable(fieldText(show.lastStatus));
            EXPECT_EQ(show.lastRecorded != 0, isRecorded) << int(change);
        }
    }

    // A Quick Record under the same name belongs to no Show.
    for (Show &show : shows)
        setField(show.lastStatus, QByteArray());
    RecordingRequest quick;
    quick.name = QStringLiteral("Twin");
    quick.flags = OUT_WAV | SHOW_MANUAL;
    quick.endTime = clock.now() + 60;
    controller->startRecording(quick);
    feedLive(tone(12.0));
    controller->endRecording(false, true);
    for (const Show &show : shows)
        EXPECT_EQ(fieldText(show.lastStatus), QString());
}

TEST_F(RecordingControllerTest, ShowsKeptOutByARecordingSaySoOnceAndRecordTheRestAfterIt)
{
    const std::int64_t start = clock.now() + 100;
    addShow("Evening News", start, 60);
    // Inside its window; overlapping its end by less than 30 s; overlapping
    // it by ten minutes, then recorded for the rest of its time.
    const struct {
        const char *name;
        std::int64_t start, end;
        bool recordedAfter;
    } cases[] = {{"Inside", start + 900, start + 2700, false},
                 {"At The End", start + 3590, start + 3615, false},
                 {"Overlapping", start + 3000, start + 6600, true}};
    for (const auto &c : cases) {
        Show &show = addShow(c.name, c.start, 1);
        show.endTime = std::int32_t(c.end);
    }
    tickUntil(start - 10);
    streamPlays();
    feedLive(tone(12.0));
    tickUntil(start + 3700);

    const QString reason = QStringLiteral("Not recorded: Evening News was recording");
    EXPECT_EQ(countInLog(reason), 3) << "once for each Show kept out";
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Show &show = shows[i + 1];
        EXPECT_EQ(show.lastRecorded, 0) << cases[i].name;
        EXPECT_EQ(fieldText(show.lastStatus), QStringLiteral("Last Recording was NOT OK: ") + reason) << cases[i].name;
        EXPECT_EQ(countInLog(QStringLiteral("Start Recording ") + QLatin1String(cases[i].name)),
                  cases[i].recordedAfter ? 1 : 0)
            << cases[i].name;
    }
    EXPECT_EQ(countInLog(QStringLiteral("Recording the rest of Overlapping")), 1);
    // Kept in the Show file too.
    ShowList reloaded;
    store.load(reloaded);
    ASSERT_EQ(reloaded.size(), shows.size());
    EXPECT_EQ(fieldText(reloaded[1].lastStatus), fieldText(shows[1].lastStatus));
}

TEST_F(RecordingControllerTest, AShowStoppedByTheProgramsEndStaysDueForTheRest)
{
    addShow("Long Show", clock.now() + 40, 10);
    tickUntil(clock.now() + 20);
    streamPlays();
    feedLive(tone(12.0));
    tickUntil(clock.now() + 60);
    controller->setQuitting();
    controller->endRecording(false, true);
    EXPECT_EQ(recordings().size(), 1u) << "what was recorded is saved";
    EXPECT_TRUE(lastStatus().startsWith(QStringLiteral("Last Recording was NOT OK: Skywell stopped at")))
        << qPrintable(lastStatus());

    // The next start, a few seconds later, records the rest.
    ShowList reloaded;
    store.load(reloaded);
    shows = reloaded;
    makeRoster();
    tickUntil(clock.now() + 10);
    EXPECT_TRUE(controller->recording());
    EXPECT_EQ(countInLog(QStringLiteral("Recording the rest of Long Show")), 1);
}

TEST_F(RecordingControllerTest, MissingFoldersAreMadeAgainOrNamedInTheOutcome)
{
    QFile blocker(program.file(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    // Deleted while Skywell runs: made again and recorded into. A folder
    // that cannot be made: the outcome names it.
    const struct {
        QString recordings;
        bool saved;
    } cases[] = {{folder.path(), true}, {program.file(QStringLiteral("blocker/recordings/")), false}};
    for (const auto &c : cases) {
        settings.mp3Folder = c.recordings;
        QDir(temp.path()).removeRecursively();
        QDir(folder.path()).removeRecursively();
        shows.clear();
        addShow("Folders", clock.now() + 40, 1);
        tickUntil(clock.now() + 20);
        streamPlays();
        feedLive(tone(12.0));
        tickUntil(shows[0].endTime + 31);
        ASSERT_FALSE(controller->recording());
        EXPECT_EQ(recordings().size(), c.saved ? 1 : 0) << qPrintable(c.recordings);
        EXPECT_EQ(lastStatus().contains(QStringLiteral("The folder %1 is missing").arg(c.recordings)), !c.saved)
            << qPrintable(lastStatus());
        EXPECT_EQ(lastStatus().startsWith(QStringLiteral("Last Recording was OK")), c.saved)
            << qPrintable(lastStatus());
    }
}

TEST_F(RecordingControllerTest, OverlappingShowsAllRecordAndTheChosenSourceIsHandedOverAtTheEnd)
{
    // Streams share nothing: three overlapping Shows record side by side,
    // each to its own end and under its own temporary names.
    const std::int64_t start = clock.now() + 60;
    for (const char *name : {"Alpha", "Beta", "Gamma"}) {
        Show &show = addShow(name, start + 20 * std::int64_t(shows.size()), 2);
        setRecordSourceName(show, QStringLiteral("Internet Stream"));
    }
    tickUntil(start + 40);
    const std::vector<RunningRecording> running = roster->running();
    ASSERT_EQ(running.size(), 3u);
    QStringList keys;
    for (const RunningRecording &r : running)
        keys << roster->sessionOf(r.id)->fileKey;
    keys.removeDuplicates();
    EXPECT_EQ(keys.size(), 3);
    tickUntil(shows[2].endTime + 31);
    EXPECT_FALSE(roster->recording());
    EXPECT_EQ(countInLog(QStringLiteral("End Recording")), 3);
    EXPECT_EQ(countInLog(QStringLiteral("was recording")), 0);

    // The source chosen by hand is one: the next Show takes it over as the
    // one before reaches its end, never half a minute later.
    shows.clear();
    const std::int64_t first = clock.now() + 60;
    addShow("First", first, 2);
    addShow("Second", first + 120, 2);
    tickUntil(first + 120);
    ASSERT_EQ(tuning.tunes.size(), 2u);
    EXPECT_EQ(countInLog(QStringLiteral("[First] End Recording")), 1);
    EXPECT_EQ(countInLog(QStringLiteral("was recording")), 0);
    ASSERT_EQ(roster->running().size(), 1u);
    EXPECT_EQ(roster->running().front().name, QStringLiteral("Second"));
}
