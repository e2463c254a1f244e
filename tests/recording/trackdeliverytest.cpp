// What happens to finished tracks: the CD and the music library at the end
// of a recording, the user's script, and tracks that cannot be delivered.
#include "recording/audiofixtures.h"
#include "recording/recordingfixture.h"

#include "core/settingsstore.h"
#include "postprocess/cdwriter.h"
#include "postprocess/converters.h"
#include "postprocess/processrunner.h"
#include "shows/outputnaming.h"
#include "shows/show.h"
#include "support/eventloop.h"
#include "support/smalldisk.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <optional>

using namespace skywell;
using namespace skywell::test;

namespace
{

QString codecOf(const QString &path)
{
    QString out;
    runTool(QStringLiteral("ffprobe"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
             QStringLiteral("stream=codec_name"), QStringLiteral("-of"), QStringLiteral("csv=p=0"), path},
            &out);
    return out.trimmed();
}

} // namespace

class TrackDeliveryTest : public RecordingFixture
{
protected:
    // Short tracks are kept: these tests are about the block path, not the
    // length a recording's last track needs.
    TrackDeliveryTest() { keepShortTracks(); }
    // Three tracks: 1.9 s, 2 s and 1.6 s.
    void recordThreeTracks(std::uint32_t flags)
    {
        session.splitEverySeconds = 2;
        startRecording(flags);
        feed(tone(5.5));
        endRecording();
    }

    QStringList paths() const
    {
        QStringList out;
        for (const QString &name : recordings())
            out << folder.file(name);
        return out;
    }
};

TEST_F(TrackDeliveryTest, Mp3CdIsBurnedOnceAsADataCdFromEveryTrack)
{
    recordThreeTracks(OUT_MP3_CD);
    const QStringList files = paths();
    ASSERT_EQ(files.size(), 3);
    for (const QString &path : files) {
        EXPECT_TRUE(path.endsWith(QStringLiteral(".mp3")));
        // An MP3 CD holds MP3 files, not WAV data under an MP3 name.
        EXPECT_EQ(codecOf(path), QStringLiteral("mp3")) << path.toStdString();
    }
    ASSERT_EQ(burns.size(), 1);
    EXPECT_EQ(burns[0].fileList, files.join(QLatin1Char('?')));
    EXPECT_TRUE(burns[0].dataCD);
    EXPECT_EQ(countInLog(QStringLiteral("CD created successfully")), 1);
    EXPECT_TRUE(session.outcomeText.isEmpty());
}

TEST_F(TrackDeliveryTest, AudioCdAndMusicLibraryGetTheSameList)
{
    recordThreeTracks(OUT_AUDIO_CD | OPT_ITUNES);
    const QStringList files = paths();
    ASSERT_EQ(files.size(), 3);
    ASSERT_EQ(burns.size(), 1);
    EXPECT_FALSE(burns[0].dataCD);
    EXPECT_EQ(burns[0].fileList, files.join(QLatin1Char('?')));
    EXPECT_EQ(library.added, files);
    EXPECT_EQ(library.opens, 1);
    EXPECT_EQ(library.closes, 1);
    EXPECT_EQ(countInLog(QStringLiteral("Adding tracks to the music library (MPD)")), 1);
    for (const QString &path : files)
        EXPECT_NEAR(soxSeconds(path), path == files.last() ? 1.6 : (path == files.first() ? 1.9 : 2.0), 0.001);
}

TEST_F(TrackDeliveryTest, CdAndLibraryFailuresReachTheReport)
{
    burnSucceeds = false;
    burnResult = QString();
    library.canOpen = false;
    recordThreeTracks(OUT_AUDIO_CD | OPT_ITUNES);
    // A CD writer that fails without a text is still a failure.
    EXPECT_TRUE(session.outcomeText.contains(QStringLiteral("CD Burner failed")));
    EXPECT_EQ(countInLog(QStringLiteral("Error writing to CD: CD Burner failed")), 1);
    EXPECT_TRUE(session.outcomeText.contains(QStringLiteral("Unable to reach the music library (MPD)")));
    EXPECT_EQ(countInLog(QStringLiteral("Unable to reach the music library (MPD)")), 1);

    burnResult = QStringLiteral("No disc in the drive");
    burns.clear();
    QDir(folder.path()).removeRecursively();
    QDir().mkpath(folder.path());
    recordThreeTracks(OUT_MP3_CD);
    EXPECT_EQ(session.outcomeText, QStringLiteral("No disc in the drive"));
    EXPECT_EQ(countInLog(QStringLiteral("Error writing to CD: No disc in the drive")), 1);
}

// A station that sends titles: each track's tags and its playlist entry
// carry the title that played, "Artist - Title" split into the two tags and
// cleaned of control characters; a track without a title keeps the usual
// tags and a plain path line.
TEST_F(TrackDeliveryTest, StationTitlesTagTheTracksAndFillThePlaylist)
{
    ScopedEnv zone("TZ", "Europe/Berlin");
    session.startTime = clock.now() - 30;
    startRecording(OUT_MP3_FM, QStringLiteral("Nachtexpress Ö1"));
    session.stationTitle = QStringLiteral("Ансамбль - Café – Ωμέγα");
    feed(tone(2.5));
    processor->splitTrack();
    session.stationTitle = QString::fromUtf8("\x01Jingle\x07\r\n \xFF");
    feed(tone(1.5));
    processor->splitTrack();
    session.stationTitle.clear();
    feed(tone(1.2));
    endRecording();

    const QStringList files = paths();
    ASSERT_EQ(files.size(), 3);
    const QString date =
        QDateTime::fromSecsSinceEpoch(session.startTime).toString(QStringLiteral("yyyy-MM-dd'T'HH:mm"));
    struct Expected {
        QString artist, title, latin1Title;
        double seconds;
    };
    const QString plainTitle = QFileInfo(files[2]).completeBaseName();
    const Expected expected[] = {
        {QStringLiteral("Ансамбль"), QStringLiteral("Café – Ωμέγα"), QStringLiteral("Café - ?????"), 2.5},
        {QStringLiteral("Nachtexpress Ö1"), QStringLiteral("Jingle \uFFFD"), QStringLiteral("Jingle ?"), 1.5},
        {QStringLiteral("Nachtexpress Ö1"), plainTitle, plainTitle.left(30), 1.2},
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(files[i].toStdString());
        const Mp3Probe probe = probeMp3(files[i]);
        ASSERT_TRUE(probe.ok) << probe.errors.toStdString();
        EXPECT_EQ(probe.tag("artist"), expected[i].artist);
        EXPECT_EQ(probe.tag("title"), expected[i].title);
        EXPECT_EQ(probe.tag("album"), QStringLiteral("Nachtexpress Ö1"));
        EXPECT_EQ(probe.tag("track"), QString::number(i + 1));
        EXPECT_EQ(probe.tag("date"), date);
        EXPECT_NEAR(probe.duration, expected[i].seconds, 0.1);
        EXPECT_EQ(id3v1Field(files[i], 3), expected[i].latin1Title);
    }

    const RecordingNaming naming{settings.fileNameFormat, settings.mp3Folder, session.name, session.flags,
                                 session.trackNumber};
    const QString playlist = writePlaylist(naming, session.playlistText, clock);
    ASSERT_FALSE(playlist.isEmpty());
    const QStringList lines = QString::fromUtf8(readAll(playlist)).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines, (QStringList{QStringLiteral("#EXTM3U"), QStringLiteral("#EXTINF:2,Ансамбль - Café – Ωμέγα"),
                                  files[0], QStringLiteral("#EXTINF:1,Jingle \uFFFD"), files[1], files[2]}));
}

TEST_F(TrackDeliveryTest, NothingSavedMeansNoCdAndNoLibrary)
{
    startRecording(OUT_AUDIO_CD | OPT_ITUNES);
    feed(tone(0.5));
    endRecording();
    EXPECT_EQ(session.trackNumber, 0);
    EXPECT_TRUE(burns.isEmpty());
    EXPECT_EQ(library.opens, 0);
}

TEST_F(TrackDeliveryTest, TrackThatCannotBeSavedIsKeptAndReported)
{
    startRecording(OUT_WAV);
    feed(tone(2.0));
    // The recordings folder is gone by the end of the show.
    QDir(folder.path()).removeRecursively();
    const QString name = endRecording();
    const QString kept = temp.file(name);
    ASSERT_TRUE(QFile::exists(kept)) << temporaryFiles().join(QLatin1Char(',')).toStdString();
    EXPECT_NEAR(soxSeconds(kept), 2.0, 0.001);
    EXPECT_TRUE(session.outcomeText.contains(QStringLiteral("Could not save recording")));
    EXPECT_TRUE(session.outcomeText.contains(kept));
    EXPECT_EQ(countInLog(QStringLiteral("Could not save recording")), 1);
    EXPECT_EQ(countInLog(QStringLiteral("Writing recording")), 0);
    EXPECT_TRUE(session.playlistText.isEmpty());
}

TEST_F(TrackDeliveryTest, ARecordingsFolderWithoutRoomSaysSoAndKeepsTheTrack)
{
    // 8 seconds of CD audio (1.4 MB) for a recordings folder of 1 MB on a
    // file system of its own, so the track is copied there.
    SmallDisk small(1);
    if (!small.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root): a full recordings folder is not tested";
    settings.mp3Folder = small.path();
    startRecording(OUT_WAV);
    feed(tone(8.0));
    const QString name = endRecording();
    EXPECT_TRUE(session.outcomeText.contains(
        QStringLiteral("Could not save recording %1: No space left on device").arg(small.file(name))))
        << session.outcomeText.toStdString();
    EXPECT_NEAR(soxSeconds(temp.file(name)), 8.0, 0.001);
    EXPECT_TRUE(QDir(small.path()).entryList(QDir::Files | QDir::Hidden).isEmpty()) << "no partial copy is left";
}

TEST_F(TrackDeliveryTest, WavFileEndsBeforeItsSizeLimitWithoutLosingAudio)
{
    // 250000 bytes hold 14 blocks of 100 ms of CD audio.
    rebuild(250000);
    startRecording(OUT_WAV);
    feed(tone(4.0));
    endRecording();
    const QStringList files = paths();
    ASSERT_EQ(files.size(), 3);
    double total = 0;
    for (const QString &path : files) {
        EXPECT_LE(QFileInfo(path).size(), 250000 + 44);
        total += soxSeconds(path);
    }
    EXPECT_NEAR(total, 4.0, 0.001);
    EXPECT_EQ(countInLog(QStringLiteral("WAV file size limit reached. Starting new track")), 2);
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::Fatal), 0);
}

class CustomDeliveryTest : public TrackDeliveryTest
{
protected:
    CustomDeliveryTest()
        : runner(std::chrono::milliseconds(50)),
          converters(settings, program.path(), log, prompter, runner, [] { return std::nullopt; })
    {
        laterCustom = [this](const QString &tempName, const QString &prefix, std::function<void(bool)> done) {
            converters.runCustomConversion(tempName, prefix, std::move(done));
        };
    }

    void writeScript(const QByteArray &body)
    {
        QFile file(program.file(QStringLiteral("custom.sh")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(body);
    }

    ProcessRunner runner;
    Converters converters;
};

TEST_F(CustomDeliveryTest, ScriptReceivesTheTemporaryWavAndThePrefix)
{
    writeScript("cp \"$1\" \"" + folder.path().toUtf8() + "$2.custom.wav\"\n");
    startRecording(OUT_CUSTOM);
    feed(tone(2.0));
    const QString name = endRecording();
    const QString made = folder.file(QFileInfo(name).completeBaseName() + QStringLiteral(".custom.wav"));
    ASSERT_EQ(recordings(), QStringList{QFileInfo(made).fileName()});
    EXPECT_NEAR(soxSeconds(made), 2.0, 0.001);
    EXPECT_TRUE(temporaryFiles().isEmpty());
    EXPECT_TRUE(session.outcomeText.isEmpty());
}

TEST_F(CustomDeliveryTest, FailedScriptLeavesTheRecordingInTheTemporaryFolder)
{
    writeScript("echo 'no encoder here' >&2\nexit 3\n");
    startRecording(OUT_CUSTOM);
    feed(tone(2.0));
    const QString name = endRecording();
    const QString kept = temp.file(QFileInfo(name).completeBaseName() + QStringLiteral(".wav"));
    ASSERT_TRUE(QFile::exists(kept));
    EXPECT_NEAR(soxSeconds(kept), 2.0, 0.001);
    EXPECT_TRUE(session.outcomeText.startsWith(QStringLiteral("Custom WAV Conversion failed")));
    EXPECT_TRUE(session.outcomeText.contains(kept));
}

TEST_F(CustomDeliveryTest, SlowScriptRunsBesideCaptureAndTracksAreDeliveredInOrder)
{
    // The first run waits until the test lets it go; every run notes its
    // track when it is done.
    const QByteArray dir = program.path().toUtf8();
    writeScript("if [ -e \"" + dir + "slow\" ]; then rm \"" + dir + "slow\"; n=0; while [ ! -e \"" + dir +
                "go\" ] && [ $n -lt 600 ]; do sleep 0.1; n=$((n+1)); done; fi\n"
                "cp \"$1\" \"" +
                folder.path().toUtf8() + "$2.wav\"\necho \"$2\" >> \"" + dir + "order\"\n");
    QFile(program.file(QStringLiteral("slow"))).open(QIODevice::WriteOnly);
    const QString order = program.file(QStringLiteral("order"));
    session.splitEverySeconds = 2;
    startRecording(OUT_CUSTOM);
    feedThroughQueue(tone(2.5));
    // The script holds the first track; the sound card goes on, and its
    // blocks reach the next tracks' files at once.
    feedThroughQueue(tone(3.0));
    EXPECT_EQ(queue.queuedBlocks(), 0u);
    EXPECT_EQ(session.trackNumber, 3);
    EXPECT_TRUE(session.capturing);
    EXPECT_FALSE(QFile::exists(order)) << "the first script still runs";

    const QString last = processor->finishRecording(false, true).fileName;
    std::optional<QStringList> deliveredWhenDone;
    processor->whenDelivered([&] { deliveredWhenDone = recordings(); });
    EXPECT_FALSE(deliveredWhenDone);
    QFile(program.file(QStringLiteral("go"))).open(QIODevice::WriteOnly);
    ASSERT_TRUE(spinUntil([&] { return deliveredWhenDone.has_value(); }, 30000));

    // Every track was there when the recording counted as delivered, each
    // whole, and the scripts ended in the tracks' order.
    const QStringList files = paths();
    ASSERT_EQ(files.size(), 3);
    EXPECT_EQ(deliveredWhenDone->size(), 3);
    EXPECT_NEAR(soxSeconds(files[0]), 1.9, 0.001);
    EXPECT_NEAR(soxSeconds(files[1]), 2.0, 0.001);
    EXPECT_NEAR(soxSeconds(files[2]), 1.6, 0.001);
    QStringList prefixes;
    for (const QString &path : files)
        prefixes << QFileInfo(path).completeBaseName();
    EXPECT_EQ(QString::fromUtf8(readAll(order)).split(QLatin1Char('\n'), Qt::SkipEmptyParts), prefixes);
    EXPECT_EQ(prefixes.last(), QFileInfo(last).completeBaseName());
    EXPECT_EQ(session.savedTracks, 3);
    EXPECT_TRUE(temporaryFiles().isEmpty());
    EXPECT_TRUE(session.outcomeText.isEmpty()) << session.outcomeText.toStdString();
}

TEST_F(TrackDeliveryTest, Mp3CdRecordingEndsUpOnOneDataDiscImage)
{
    // The real CD writer helper, writing an image instead of a disc.
    TempFolder config;
    TempFolder images;
    ScopedEnv configEnv("XDG_CONFIG_HOME", config.path().toUtf8());
    ScopedEnv machineEnv("SKYWELL_MACHINE_CONFIG", config.path().toUtf8());
    SettingsStore settingsStore(config.path(), config.path());
    settingsStore.writeInt(QStringLiteral("WriteImage"), 1, SettingsGroup::CdWrite);
    settingsStore.writeString(QStringLiteral("ImageFolder"), images.path(), SettingsGroup::CdWrite);
    ProcessRunner runner(std::chrono::milliseconds(50));
    const QString helper =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../skywell-cdwrite"));
    ASSERT_TRUE(QFileInfo(helper).isExecutable()) << qPrintable(helper);
    CdWriter writer(program.path(), settingsStore, log, prompter, runner, {}, ToolPrograms{.cdWriter = helper});
    realBurn = [&](const QString &list, bool dataCD, std::function<void(bool, const QString &)> done) {
        writer.burnCD(list, dataCD, std::move(done));
    };

    recordThreeTracks(OUT_MP3_CD);
    const QStringList files = recordings();
    ASSERT_EQ(files.size(), 3);
    EXPECT_EQ(burns.size(), 1) << "one disc for the whole recording, none at the splits";
    EXPECT_EQ(countInLog(QStringLiteral("CD created successfully")), 1);
    EXPECT_TRUE(session.outcomeText.isEmpty()) << session.outcomeText.toStdString();

    const QStringList isos = QDir(images.path()).entryList({QStringLiteral("*.iso")}, QDir::Files);
    ASSERT_EQ(isos.size(), 1);
    QString listing;
    ASSERT_TRUE(runTool(QStringLiteral("isoinfo"),
                        {QStringLiteral("-R"), QStringLiteral("-f"), QStringLiteral("-i"), images.file(isos[0])},
                        &listing));
    for (const QString &name : files)
        EXPECT_TRUE(listing.contains(QLatin1Char('/') + name + QLatin1Char('\n'))) << qPrintable(listing);
}
