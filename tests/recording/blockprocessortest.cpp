// One recording from its first block to the files in the recordings folder,
// with the real writers and delivery; the files are read back with sox and
// ffprobe.
#include "recording/audiofixtures.h"
#include "recording/recordingfixture.h"

#include "shows/show.h"
#include "support/smalldisk.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

using namespace skywell;
using namespace skywell::test;

namespace
{

// The length of the MP3 frames ffprobe decodes (1152 samples at 44100 Hz
// each), whatever the file's header claims.
double decodedMp3Seconds(const QString &path)
{
    QString out;
    runTool(QStringLiteral("ffprobe"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_frames"),
             QStringLiteral("-show_entries"), QStringLiteral("stream=nb_read_frames"), QStringLiteral("-of"),
             QStringLiteral("csv=p=0"), path},
            &out);
    return out.trimmed().toDouble() * 1152 / 44100;
}

QString soxInfo(const QString &path, const QString &option)
{
    QString out;
    EXPECT_TRUE(runTool(QStringLiteral("soxi"), {option, path}, &out)) << out.toStdString();
    return out.trimmed();
}

QString ffprobe(const QString &path, const QString &entries)
{
    QString out;
    runTool(QStringLiteral("ffprobe"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"), entries,
             QStringLiteral("-of"), QStringLiteral("default=nw=1"), path},
            &out);
    return out;
}

} // namespace

class BlockProcessorTest : public RecordingFixture
{
protected:
    // Short tracks are kept: these tests are about the block path, not the
    // length a recording's last track needs.
    BlockProcessorTest() { keepShortTracks(); }
};

TEST_F(BlockProcessorTest, WavRecordingIsSavedUnderItsNameAndTheTemporaryFileGoes)
{
    startRecording(OUT_WAV);
    EXPECT_EQ(mixerCalls, QStringList{QStringLiteral("select Monitor of Test Card")});
    EXPECT_EQ(session.lastAudioTime, clock.now() + settings.connectLeadSeconds);
    clock.advance(40);
    feed(tone(3.0));
    EXPECT_EQ(session.lastAudioTime, clock.now());
    const QString name = endRecording();

    ASSERT_EQ(recordings(), QStringList{name});
    EXPECT_TRUE(name.endsWith(QStringLiteral(" - 01.wav"))) << name.toStdString();
    const QString path = folder.file(name);
    EXPECT_NEAR(soxSeconds(path), 3.0, 0.001);
    EXPECT_EQ(soxInfo(path, QStringLiteral("-r")), QStringLiteral("44100"));
    EXPECT_EQ(soxInfo(path, QStringLiteral("-c")), QStringLiteral("2"));
    EXPECT_NEAR(soxRms(path), 0.5 / std::sqrt(2.0), 0.01);
    EXPECT_TRUE(temporaryFiles().isEmpty());
    EXPECT_TRUE(session.outcomeText.isEmpty());
    EXPECT_EQ(session.playlistText, path);
    // Only CD and music-library recordings collect the list.
    EXPECT_TRUE(session.savedFiles.isEmpty());
    EXPECT_EQ(countInLog(QStringLiteral("Writing recording ") + path), 1);
    EXPECT_FALSE(session.capturing);
    EXPECT_FALSE(session.recording);
}

TEST_F(BlockProcessorTest, SignalsFollowCapture)
{
    startRecording(OUT_WAV | OPT_MUTE);
    feed(tone(0.5) + silence(0.2));
    endRecording();
    EXPECT_EQ(icons, (QList<bool>{true, false}));
    ASSERT_EQ(levels.size(), 8u);
    EXPECT_NEAR(levels.front(), 16383, 200);
    EXPECT_EQ(levels[6], 0);
    // Capture stops with a level of 0.
    EXPECT_EQ(levels.back(), 0);
    // A muted recording plays into a sink of its own: the speakers are
    // never touched through the mixer.
    EXPECT_EQ(mixerCalls, QStringList{QStringLiteral("select Monitor of Test Card")});
}

TEST_F(BlockProcessorTest, Mp3RecordingCarriesItsTags)
{
    session.startTime = clock.now() - 120;
    startRecording(OUT_MP3_FM | OPT_ITUNES, QStringLiteral("Late Night Jazz With A Rather Long Name"));
    feed(tone(2.0));
    const QString name = endRecording();
    ASSERT_EQ(recordings(), QStringList{name});
    const QString path = folder.file(name);
    const Mp3Probe probe = probeMp3(path);
    ASSERT_TRUE(probe.ok) << probe.errors.toStdString();
    // The UTF-8 tag ahead of the audio holds the whole texts.
    EXPECT_EQ(probe.tag("artist"), QStringLiteral("Late Night Jazz With A Rather Long Name"));
    EXPECT_EQ(probe.tag("album"), QStringLiteral("Late Night Jazz With A Rather Long Name"));
    EXPECT_EQ(probe.tag("track"), QStringLiteral("1"));
    EXPECT_EQ(probe.tag("title"), QFileInfo(name).completeBaseName());
    EXPECT_EQ(probe.tag("date"),
              QDateTime::fromSecsSinceEpoch(session.startTime).toString(QStringLiteral("yyyy-MM-dd'T'HH:mm")));
    EXPECT_NEAR(probe.duration, 2.0, 0.1);
    // The Latin-1 tag at the end cuts each text to its 30 bytes.
    EXPECT_EQ(id3v1Field(path, 63), QStringLiteral("Late Night Jazz With A Rather "));
    EXPECT_EQ(id3v1Field(path, 3), QFileInfo(name).completeBaseName().left(30));
    EXPECT_EQ(library.added, QStringList{path});
    EXPECT_EQ(library.closes, 1);
}

TEST_F(BlockProcessorTest, TimeSplitPutsTheBlockAtTheLimitIntoTheNextTrack)
{
    session.splitEverySeconds = 2;
    startRecording(OUT_WAV);
    feed(tone(5.5));
    const QString last = endRecording();
    const QStringList files = recordings();
    ASSERT_EQ(files.size(), 3) << files.join(QLatin1Char(',')).toStdString();
    EXPECT_TRUE(files[0].endsWith(QStringLiteral(" - 01.wav")));
    EXPECT_EQ(files[2], last);
    EXPECT_NEAR(soxSeconds(folder.file(files[0])), 1.9, 0.001);
    EXPECT_NEAR(soxSeconds(folder.file(files[1])), 2.0, 0.001);
    EXPECT_NEAR(soxSeconds(folder.file(files[2])), 1.6, 0.001);
    EXPECT_EQ(session.trackNumber, 3);
    EXPECT_EQ(countInLog(QStringLiteral("Doing split")), 2);
    EXPECT_EQ(statuses.last(), QStringLiteral("Recording Morning Show - 03"));
    EXPECT_EQ(countInLog(QStringLiteral("Starting new track Morning Show - 02")), 1);
    // The playlist text lists the three paths, the last without a line end.
    EXPECT_EQ(session.playlistText, folder.file(files[0]) + QStringLiteral("\r\n") + folder.file(files[1]) +
                                        QStringLiteral("\r\n") + folder.file(files[2]));
    EXPECT_TRUE(temporaryFiles().isEmpty());
}

TEST_F(BlockProcessorTest, SilenceStartsANewTrackOnlyAfterTenSeconds)
{
    session.silenceSplitMs = 2000;
    startRecording(OUT_WAV);
    // A long silence early in the track does nothing; after 10 s of track
    // the first silent block past the limit splits and is dropped.
    feed(silence(3.0) + tone(8.0) + silence(3.0) + tone(3.0));
    endRecording();
    const QStringList files = recordings();
    ASSERT_EQ(files.size(), 2);
    // 3 + 8 + 2 s (the 21st silent block splits and is left out), then
    // 0.9 s of silence and 3 s of tone.
    EXPECT_NEAR(soxSeconds(folder.file(files[0])), 13.0, 0.001);
    EXPECT_NEAR(soxSeconds(folder.file(files[1])), 3.9, 0.001);
}

TEST_F(BlockProcessorTest, DeadAirAndSpeechCompressionLeaveSilenceOut)
{
    session.deadAirMs = 1000;
    startRecording(OUT_WAV | OPT_DEAD_AIR);
    feed(tone(2.0) + silence(5.0) + tone(2.0) + silence(0.5));
    QString name = endRecording();
    EXPECT_NEAR(soxSeconds(folder.file(name)), 2.0 + 1.0 + 2.0 + 0.5, 0.001);

    QFile::remove(folder.file(name));
    startRecording(OUT_WAV | OPT_COMPRESS_SPEECH);
    feed(tone(2.0) + silence(1.0) + tone(2.0));
    name = endRecording();
    EXPECT_NEAR(soxSeconds(folder.file(name)), 4.0, 0.001);
}

TEST_F(BlockProcessorTest, TrackNeedsMoreThanTenBlocks)
{
    startRecording(OUT_WAV);
    feed(tone(1.0)); // 10 blocks
    endRecording();
    EXPECT_TRUE(recordings().isEmpty());
    EXPECT_EQ(session.trackNumber, 0);
    EXPECT_EQ(session.outcomeText, QStringLiteral("Not enough sound data was received.  Please check the URL of "
                                                  "this show before recording again."));
    EXPECT_EQ(countInLog(QStringLiteral("Not enough data to save. Likely tuning error.")), 1);
    EXPECT_TRUE(temporaryFiles().isEmpty());

    startRecording(OUT_WAV);
    feed(tone(1.1));
    endRecording();
    EXPECT_EQ(recordings().size(), 1);
    EXPECT_TRUE(session.outcomeText.isEmpty());
}

TEST_F(BlockProcessorTest, StoppedBeforeCaptureGivesTheNumberBack)
{
    session.trackNumber = 1;
    session.recording = true;
    processor->finishRecording(true, false);
    EXPECT_EQ(session.trackNumber, 0);
    EXPECT_EQ(session.outcomeText, QStringLiteral("Recording Aborted"));
    // A split before capture runs (a minute split while tuning) starts
    // nothing.
    processor->splitTrack();
    EXPECT_FALSE(session.capturing);
    EXPECT_EQ(session.trackNumber, 0);
}

TEST_F(BlockProcessorTest, AbortSavesNothingAndDeletesTheTemporaryFiles)
{
    startRecording(OUT_AUDIO_CD | OPT_ITUNES);
    feed(tone(2.0));
    ASSERT_EQ(temporaryFiles(), QStringList{QStringLiteral("skywell-a1.wav")});
    endRecording(true, true);
    EXPECT_TRUE(recordings().isEmpty());
    EXPECT_TRUE(temporaryFiles().isEmpty());
    EXPECT_EQ(session.outcomeText, QStringLiteral("Recording Aborted"));
    EXPECT_EQ(countInLog(QStringLiteral("Recording aborted.")), 1);
    EXPECT_TRUE(burns.isEmpty());
    EXPECT_EQ(library.opens, 0);
}

TEST_F(BlockProcessorTest, StreamsAreKeptApartAndTheLargestIsDelivered)
{
    const WaveFormat mono = WaveFormat::pcm(22050, 1, 16);
    startRecording(OUT_WAV);
    // Interleaved: 2 s of a CD stream and 3 s of a 22050 Hz mono stream.
    // Both are written as CD audio, so the longer one has more bytes.
    auto a = tone(2.0);
    auto b = tone(3.0, mono);
    std::vector<CaptureBlock> mixed;
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        if (i < a.size())
            mixed.push_back(a[i]);
        if (i < b.size())
            mixed.push_back(b[i]);
    }
    feed(mixed);
    EXPECT_EQ(session.streamCount, 2);
    EXPECT_EQ(temporaryFiles(), (QStringList{QStringLiteral("skywell-a1.wav"), QStringLiteral("skywell-a2.wav")}));
    const QString name = endRecording();
    EXPECT_NEAR(soxSeconds(folder.file(name)), 3.0, 0.05);
    EXPECT_TRUE(temporaryFiles().isEmpty());
}

TEST_F(BlockProcessorTest, OnATieTheFirstStreamIsDelivered)
{
    startRecording(OUT_WAV);
    auto left = toBlocks(kCd, toneSamples(kCd, 2.0, 440, true));
    // Same layout, different header: another stream of equal size.
    WaveFormat other = kCd;
    other.extraSize = 1;
    auto both = toBlocks(kCd, toneSamples(kCd, 2.0));
    std::vector<CaptureBlock> mixed;
    for (std::size_t i = 0; i < left.size(); ++i) {
        mixed.push_back(left[i]);
        CaptureBlock block = both[i];
        other.writeTo(block.data());
        mixed.push_back(block);
    }
    feed(mixed);
    const QString name = endRecording();
    // The left-only stream came first: its right channel is silent.
    QString out;
    runTool(
        QStringLiteral("sox"),
        {folder.file(name), QStringLiteral("-n"), QStringLiteral("remix"), QStringLiteral("2"), QStringLiteral("stat")},
        &out);
    EXPECT_TRUE(out.contains(QRegularExpression(QStringLiteral("RMS\\s+amplitude:\\s+0.000000")))) << out.toStdString();
}

TEST_F(BlockProcessorTest, EleventhStreamIsDroppedWithOneReport)
{
    startRecording(OUT_WAV);
    for (int round = 0; round < 12; ++round) {
        std::vector<CaptureBlock> blocks;
        for (int stream = 0; stream < 11; ++stream) {
            CaptureBlock block = tone(0.1).front();
            WaveFormat f = kCd;
            f.extraSize = std::uint16_t(stream);
            f.writeTo(block.data());
            blocks.push_back(block);
        }
        feed(blocks);
    }
    EXPECT_EQ(session.streamCount, 10);
    EXPECT_EQ(session.acceptedBlocks, 120);
    EXPECT_EQ(session.outcomeText, QStringLiteral("Too many streams. Some data may be lost"));
    EXPECT_EQ(countInLog(QStringLiteral("Maximum number of streams detected")), 1);
    EXPECT_EQ(temporaryFiles().size(), 10);
    endRecording();
    EXPECT_EQ(recordings().size(), 1);
    EXPECT_TRUE(temporaryFiles().isEmpty());
    // The report of the track is logged with it.
    EXPECT_EQ(countInLog(QStringLiteral("Too many streams. Some data may be lost")), 1);
}

TEST_F(BlockProcessorTest, TinyAndInconsistentBlocksOpenNoStream)
{
    startRecording(OUT_WAV);
    std::vector<std::uint8_t> four(4, 1);
    CaptureBlock tiny(kCd, four.data(), 4);
    processor->processBlock(tiny);
    EXPECT_EQ(session.streamCount, 0);
    // A block that claims more samples than it has is left alone.
    CaptureBlock liar = tone(0.1).front();
    putU32(liar.data() + CaptureBlock::kSampleCountOffset, std::uint32_t(liar.capacity() + 2));
    processor->processBlock(liar);
    // A header without a byte rate cannot be timed.
    CaptureBlock noRate = tone(0.1).front();
    WaveFormat zero = kCd;
    zero.avgBytesPerSec = 0;
    zero.writeTo(noRate.data());
    processor->processBlock(noRate);
    EXPECT_EQ(session.streamCount, 0);
    EXPECT_EQ(session.trackMs, 0);
}

TEST_F(BlockProcessorTest, EightBitSourceIsMadeSignedAndConverted)
{
    const WaveFormat eight = WaveFormat::pcm(22050, 1, 8);
    auto samples = toneSamples(eight, 2.0);
    for (auto &b : samples)
        b = std::uint8_t(b + 128); // as a sound card delivers 8-bit audio
    startRecording(OUT_WAV);
    feed(toBlocks(eight, samples));
    const QString name = endRecording();
    const QString path = folder.file(name);
    EXPECT_NEAR(soxSeconds(path), 2.0, 0.05);
    EXPECT_EQ(soxInfo(path, QStringLiteral("-r")), QStringLiteral("44100"));
    EXPECT_NEAR(soxRms(path), 0.5 / std::sqrt(2.0), 0.02);
}

TEST_F(BlockProcessorTest, TemporaryNameMovesOnWhenItCannotBeCreated)
{
    // Folders in the way of the first two names.
    QDir(temp.path()).mkdir(QStringLiteral("skywell-a1.wav"));
    QDir(temp.path()).mkdir(QStringLiteral("skywell-b1.wav"));
    startRecording(OUT_WAV);
    feed(tone(1.5));
    EXPECT_TRUE(QFile::exists(temp.file(QStringLiteral("skywell-c1.wav"))));
    const QString name = endRecording();
    EXPECT_NEAR(soxSeconds(folder.file(name)), 1.5, 0.001);
    EXPECT_TRUE(session.outcomeText.isEmpty());
    // The letter stays advanced for the next recording.
    startRecording(OUT_WAV);
    feed(tone(0.1));
    EXPECT_TRUE(QFile::exists(temp.file(QStringLiteral("skywell-c1.wav"))));
}

TEST_F(BlockProcessorTest, NoTemporaryNameAtAllIsReportedNotSavedAsSuccess)
{
    for (char c = 'a'; c <= 'l'; ++c)
        QDir(temp.path()).mkdir(QStringLiteral("skywell-%1%2.wav").arg(QLatin1Char(c)).arg(1));
    startRecording(OUT_WAV);
    feed(tone(1.5));
    EXPECT_TRUE(session.outcomeText.startsWith(
        QStringLiteral("Error: CreateFile failed.\r\nin function %1skywell-l1.wav\r\nSystem error: 21(")
            .arg(temp.path())))
        << session.outcomeText.toStdString();
    endRecording();
    EXPECT_TRUE(recordings().isEmpty());
    EXPECT_TRUE(session.outcomeText.contains(QStringLiteral("no audio file was written")));

    // MP3: twelve names, one logged problem each, then the stream has no
    // file for the rest of the track: no thirteenth attempt, however long it
    // runs.
    const QString cannotOpen = QStringLiteral("Error opening file for MP3 output file.");
    startRecording(OUT_MP3_FM);
    feed(tone(1.0));
    EXPECT_EQ(countInLog(cannotOpen), 12);
    QDir(temp.path()).rmdir(QStringLiteral("skywell-a1.wav"));
    clock.advance(60);
    feed(tone(1.0));
    EXPECT_EQ(countInLog(cannotOpen), 12);
    EXPECT_TRUE(prompter.prompts().isEmpty()) << "the writers show no boxes";
    EXPECT_TRUE(temporaryFiles().isEmpty());
    endRecording();
    EXPECT_TRUE(recordings().isEmpty());
    // The next recording starts afresh and finds the free name.
    startRecording(OUT_MP3_FM);
    feed(tone(1.5));
    const QString name = endRecording();
    EXPECT_NEAR(decodedMp3Seconds(folder.file(name)), 1.5, 0.1);
}

TEST_F(BlockProcessorTest, SourceTestHookAndListenOnlyWriteNothing)
{
    int seen = 0;
    processor->setTestBlockHandler([&](const CaptureBlock &) { ++seen; });
    startRecording(OUT_WAV);
    feed(tone(1.5));
    EXPECT_EQ(seen, 15);
    EXPECT_TRUE(levels.empty());
    EXPECT_TRUE(temporaryFiles().isEmpty());
    processor->setTestBlockHandler(nullptr);
    endRecording();

    levels.clear();
    startRecording(OUT_NONE);
    clock.advance(100);
    feed(silence(1.5));
    EXPECT_EQ(session.lastAudioTime, clock.now());
    EXPECT_TRUE(levels.empty());
    EXPECT_TRUE(temporaryFiles().isEmpty());
}

// The temporary files on a small file system of their own that fills up
// for three seconds and then has room again: in the middle of a track, and
// from its start (before the file has its header).
TEST_F(BlockProcessorTest, AMomentOfFullDiskCostsOnlyThatMomentsAudioAndIsReported)
{
    SmallDisk disk(4);
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root): a full disk is not tested";
    settings.tempFolder = disk.path();
    for (const std::uint32_t flags : {OUT_WAV, OUT_MP3_CD_QUALITY})
        for (const double before : {2.0, 0.0}) {
            SCOPED_TRACE(before > 0 ? "full in the middle" : "full from the start");
            const auto writeErrors = [this] {
                return countInLog(QStringLiteral("Error in writing to WAV file.")) +
                       countInLog(QStringLiteral("MP3 output file write error."));
            };
            const int errorsBefore = writeErrors();
            clock.advance(60);
            const std::int64_t fullAt = clock.now();
            if (before == 0)
                disk.fill();
            startRecording(flags);
            feed(tone(before));
            disk.fill();
            feed(tone(3.0));
            disk.emptyAgain();
            clock.advance(3);
            feed(tone(2.0));
            EXPECT_EQ(writeErrors() - errorsBefore, 1) << "one message, not one per block";
            const QString name = endRecording();
            const QString path = folder.file(name);
            ASSERT_TRUE(QFile::exists(path));
            // An MP3 frame or two may still fit the last page of the file.
            const double seconds = flags == OUT_WAV ? soxSeconds(path) : decodedMp3Seconds(path);
            EXPECT_NEAR(seconds, before + 2.0, flags == OUT_WAV ? 0.001 : 0.3) << name.toStdString();
            // A valid file: what a player shows as the length is what it holds.
            const QString duration = ffprobe(path, QStringLiteral("format=duration")).section(QLatin1Char('='), 1);
            EXPECT_NEAR(duration.toDouble(), seconds, 0.03) << name.toStdString();
            const QString when = QDateTime::fromSecsSinceEpoch(fullAt).toString(QStringLiteral("h:mm:ss AP"));
            EXPECT_TRUE(session.outcomeText.contains(
                QStringLiteral("3 seconds of audio not saved from %1: No space left on device").arg(when)))
                << session.outcomeText.toStdString();
            EXPECT_TRUE(session.outcomeText.contains(QStringLiteral("Some audio could not be written to ") + path))
                << session.outcomeText.toStdString();
        }
    // One line per stream and stretch of full disk, not one per block.
    EXPECT_EQ(countInLog(QStringLiteral("Error writing to WAV file in WriteWAVBlock")), 2);
    EXPECT_EQ(countInLog(QStringLiteral("Error writing to MP3 file in WriteMP3Block")), 2);
}

TEST_F(BlockProcessorTest, SoundCardThatDoesNotStartIsReported)
{
    device.startable = false;
    session.name = QStringLiteral("Morning Show");
    EXPECT_FALSE(processor->startCapture(QStringLiteral("Monitor")));
    EXPECT_EQ(session.outcomeText, QStringLiteral("Unable to start capture on sound card Test Card"));
    EXPECT_EQ(countInLog(QStringLiteral("Unable to start capture on sound card: Test Card")), 1);

    // The next recording's report starts empty.
    device.startable = true;
    startRecording(OUT_WAV);
    EXPECT_TRUE(session.outcomeText.isEmpty()) << session.outcomeText.toStdString();
    feed(tone(1.5));
    endRecording();
    EXPECT_TRUE(session.outcomeText.isEmpty()) << session.outcomeText.toStdString();
}

TEST_F(BlockProcessorTest, FormatTheEncoderRefusesIsReportedOnceAndLeavesNoFile)
{
    // Three channels: the file can be made, the MP3 encoder refuses it.
    WaveFormat three = WaveFormat::pcm(44100, 3, 16);
    startRecording(OUT_MP3_FM);
    feed(toBlocks(three, std::vector<std::uint8_t>(three.avgBytesPerSec * 2, 0x11)) + tone(1.5));
    EXPECT_EQ(countInLog(QStringLiteral("Error opening MP3 encoding stream.")), 1);
    EXPECT_EQ(session.outcomeText, QStringLiteral("Error opening MP3 encoding stream."));
    // Only the second stream has a file.
    EXPECT_EQ(temporaryFiles(), QStringList{QStringLiteral("skywell-a2.wav")});
    const QString name = endRecording();
    EXPECT_EQ(recordings(), QStringList{name});
    EXPECT_TRUE(temporaryFiles().isEmpty());
}

TEST_F(BlockProcessorTest, ProblemOfAnEarlierTrackSurvivesTheSplit)
{
    session.splitEverySeconds = 2;
    startRecording(OUT_WAV);
    // Eleven streams in the first track, then one in the next two.
    std::vector<CaptureBlock> first;
    for (int stream = 0; stream < 11; ++stream) {
        CaptureBlock block = tone(0.1).front();
        WaveFormat f = kCd;
        f.extraSize = std::uint16_t(stream);
        f.writeTo(block.data());
        first.push_back(block);
    }
    // The last 0.2 s after the third split are too short to save, which
    // is no fault of the show either.
    feed(first + tone(5.0));
    endRecording();
    EXPECT_EQ(recordings().size(), 3);
    EXPECT_EQ(session.outcomeText, QStringLiteral("Too many streams. Some data may be lost"))
        << session.outcomeText.toStdString();
    // Logged with the track it happened in, not again with the later ones.
    EXPECT_EQ(countInLog(QStringLiteral("Too many streams. Some data may be lost")), 1);
}

// Blocks as a stream source delivers them: the first one marked with the
// station's title.
std::vector<CaptureBlock> titled(const QString &title, std::vector<CaptureBlock> blocks)
{
    blocks.front().setStationTitle(title);
    return blocks;
}

TEST_F(BlockProcessorTest, StreamSourceCapturesTheAddressWithoutTheSoundCard)
{
    session.streamAddress = QStringLiteral("http://127.0.0.1:9/live.mp3");
    session.recordSource = QStringLiteral("Internet Stream");
    session.recording = true;
    session.flags = OUT_WAV;
    ASSERT_TRUE(processor->startCapture(session.recordSource));
    EXPECT_EQ(streamDevice.starts, QStringList{session.streamAddress});
    EXPECT_TRUE(device.starts.isEmpty());
    EXPECT_TRUE(mixerCalls.isEmpty()) << "no sound-card source is selected";

    // A split keeps the stream open; a reopening opens it afresh and the
    // track goes on.
    const auto fromStream = [this](const std::vector<CaptureBlock> &blocks) {
        for (const CaptureBlock &block : blocks)
            streamDevice.sink(std::make_unique<CaptureBlock>(block));
        processor->processReadyBlocks();
    };
    session.splitEverySeconds = 2;
    fromStream(tone(3.0));
    EXPECT_EQ(streamDevice.starts.size(), 1);
    processor->reopenStream();
    EXPECT_EQ(streamDevice.starts.size(), 2);
    EXPECT_EQ(streamDevice.stops, 1);
    fromStream(tone(0.5));
    endRecording();
    EXPECT_EQ(streamDevice.stops, 2);
    const QStringList files = recordings();
    ASSERT_EQ(files.size(), 2);
    EXPECT_NEAR(soxSeconds(folder.file(files[1])), 1.6, 0.001);

    // A stream that cannot be opened at all says so.
    streamDevice.startable = false;
    session.recording = true;
    EXPECT_FALSE(processor->startCapture(session.recordSource));
    EXPECT_TRUE(session.outcomeText.contains(QStringLiteral("Unable to open the stream http://127.0.0.1:9/live.mp3")))
        << session.outcomeText.toStdString();
}

TEST_F(BlockProcessorTest, TitleChangesStartNewTracksOnlyWhenAskedFor)
{
    const auto programme = [] {
        // A title, the same title again (a reopening), a cleared title,
        // then two new ones.
        return titled(QStringLiteral("Band - First Song"), tone(8.0)) +
               titled(QStringLiteral("Band - First Song"), tone(1.0)) + titled(QString(), tone(1.0)) +
               titled(QStringLiteral("Second Song"), tone(11.0)) + titled(QStringLiteral("Third - Song"), tone(10.5));
    };
    startRecording(OUT_MP3_FM | OPT_TITLE_SPLIT);
    feed(programme());
    endRecording();
    QStringList files = recordings();
    ASSERT_EQ(files.size(), 3) << files.join(QLatin1Char(',')).toStdString();
    // Each track holds its title's audio and is tagged with it.
    const double lengths[] = {10.0, 11.0, 10.5};
    const char *const tags[] = {"TAG:title=First Song\nTAG:artist=Band",
                                "TAG:title=Second Song\nTAG:artist=Morning Show", "TAG:title=Song\nTAG:artist=Third"};
    for (int i = 0; i < 3; ++i) {
        const QString path = folder.file(files[i]);
        EXPECT_NEAR(decodedMp3Seconds(path), lengths[i], 0.1) << i;
        const QString read = ffprobe(path, QStringLiteral("format_tags=title,artist"));
        EXPECT_TRUE(read.contains(QString::fromUtf8(tags[i]))) << read.toStdString();
    }
    EXPECT_EQ(countInLog(QStringLiteral("The station's title changed: Second Song")), 1);
    for (const QString &name : files)
        QFile::remove(folder.file(name));

    // Without the option the titles change nothing.
    startRecording(OUT_WAV);
    feed(programme());
    endRecording();
    files = recordings();
    ASSERT_EQ(files.size(), 1);
    EXPECT_NEAR(soxSeconds(folder.file(files[0])), 31.5, 0.001);
}

// A title change never throws audio away: a piece shorter than a track may
// be carries on under the newer title, and a short last piece is added to
// the track before it.
TEST_F(BlockProcessorTest, TitleSplitPiecesTooShortForATrackJoinTheirNeighbours)
{
    struct Piece {
        const char *title;
        double seconds;
    };
    struct Case {
        const char *what;
        std::uint32_t output;
        std::vector<Piece> pieces;
        std::vector<double> lengths;
        std::vector<const char *> titles;
    };
    std::vector<Piece> storm;
    for (int i = 0; i < 250; ++i)
        storm.push_back({i % 2 ? "Storm - Odd" : "Storm - Even", 0.1});
    const std::vector<Case> cases = {
        {"short first piece",
         OUT_MP3_FM,
         {{"A - Jingle", 3}, {"B - Song", 12}, {"C - Song", 11}},
         {15, 11},
         {"B", "C"}},
        {"short last piece", OUT_MP3_FM, {{"A - Song", 12}, {"B - Song", 11}, {"C - Jingle", 4}}, {12, 15}, {"A", "B"}},
        {"short last piece, WAV", OUT_WAV, {{"A - Song", 12}, {"B - Song", 11}, {"C - Jingle", 4}}, {12, 15}, {}},
        {"a title every tenth of a second", OUT_WAV, storm, {10, 15}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString &name : recordings())
            QFile::remove(folder.file(name));
        startRecording(c.output | OPT_TITLE_SPLIT);
        std::vector<CaptureBlock> blocks;
        for (const Piece &piece : c.pieces)
            blocks = blocks + titled(QString::fromUtf8(piece.title), tone(piece.seconds));
        feed(blocks);
        endRecording();

        const QStringList files = recordings();
        ASSERT_EQ(files.size(), qsizetype(c.lengths.size())) << files.join(QLatin1Char(',')).toStdString();
        for (std::size_t i = 0; i < c.lengths.size(); ++i) {
            const QString path = folder.file(files[qsizetype(i)]);
            EXPECT_TRUE(path.endsWith(QStringLiteral(" - %1.%2")
                                          .arg(i + 1, 2, 10, QLatin1Char('0'))
                                          .arg(c.output == OUT_WAV ? QStringLiteral("wav") : QStringLiteral("mp3"))))
                << path.toStdString();
            if (c.output == OUT_WAV) {
                EXPECT_NEAR(soxSeconds(path), c.lengths[i], 0.001);
                continue;
            }
            EXPECT_NEAR(decodedMp3Seconds(path), c.lengths[i], 0.1);
            // What a player shows as the length (the Info header's count).
            EXPECT_NEAR(ffprobe(path, QStringLiteral("format=duration")).section(QLatin1Char('='), 1).toDouble(),
                        c.lengths[i], 0.1);
            EXPECT_TRUE(ffprobe(path, QStringLiteral("format_tags=title")).contains(QStringLiteral("title=Song")));
            EXPECT_TRUE(ffprobe(path, QStringLiteral("format_tags=artist"))
                            .contains(QStringLiteral("artist=") + QLatin1String(c.titles[i])));
        }
        EXPECT_EQ(countInLog(QStringLiteral("Not enough data to save")), 0);
        EXPECT_TRUE(session.outcomeText.isEmpty()) << session.outcomeText.toStdString();
    }
}
