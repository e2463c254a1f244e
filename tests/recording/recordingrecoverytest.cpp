// Recovery of the track files a recording leaves when its program dies:
// real partial files from the real block path, read back with sox and
// ffprobe.

#include "recording/recordingrecovery.h"
#include "recording/audiofixtures.h"
#include "recording/recordingfixture.h"
#include "recording/recordingmarker.h"
#include "recording/wavfile.h"
#include "shows/show.h"
#include "support/smalldisk.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace skywell;
using namespace skywell::test;

namespace
{

// Seconds of audio ffmpeg decodes from an MP3 file, and what it complained
// about on the way.
double decodedMp3Seconds(const QString &path, QString *complaints)
{
    QString out;
    runTool(QStringLiteral("ffprobe"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_frames"),
             QStringLiteral("-select_streams"), QStringLiteral("a:0"), QStringLiteral("-show_entries"),
             QStringLiteral("stream=codec_name,sample_rate,nb_read_frames"), QStringLiteral("-of"),
             QStringLiteral("default=nw=1"), path},
            &out);
    const auto value = [&](const QString &key) {
        return QRegularExpression(QStringLiteral("^") + key + QStringLiteral("=(\\S+)$"),
                                  QRegularExpression::MultilineOption)
            .match(out)
            .captured(1);
    };
    *complaints = out;
    complaints->remove(QRegularExpression(QStringLiteral("^(codec_name|sample_rate|nb_read_frames)=\\S*\\n?"),
                                          QRegularExpression::MultilineOption));
    if (value(QStringLiteral("codec_name")) != QStringLiteral("mp3"))
        return -1;
    return value(QStringLiteral("nb_read_frames")).toDouble() * 1152 / value(QStringLiteral("sample_rate")).toDouble();
}

void setModified(const QString &path, std::int64_t seconds)
{
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

QString localText(std::int64_t seconds, const QString &format)
{
    return QDateTime::fromSecsSinceEpoch(seconds).toString(format);
}


} // namespace

class RecoveryTest : public RecordingFixture
{
protected:
    // Records the tone into the current track's temporary files.
    void record(std::uint32_t flags, double seconds, const WaveFormat &format = kCd)
    {
        startRecording(flags);
        feed(toBlocks(format, toneSamples(format, seconds)));
    }
    // The program dies: every file stays as far as it was written, no
    // header completed, no encoder flushed, nothing delivered.
    void crash()
    {
        for (StreamSlot &slot : session.streams)
            slot.writer.reset();
    }
    QStringList recover() { return recoverUnfinishedRecordings(settings, log, clock); }
    void writeMarker(std::uint32_t flags, int track)
    {
        ASSERT_TRUE(RecordingMarker::write(settings.tempFolder,
                                           {QStringLiteral("Morning Show"), flags, track, clock.now() - 600}));
    }
    QStringList trackFilesInTemp() const
    {
        return QDir(temp.path()).entryList({QStringLiteral("skywell-*.wav")}, QDir::AllEntries | QDir::System);
    }
    // The track's usual name on the day of the clock, as the user sees it.
    QString usualName(int track, const QString &extension) const
    {
        return QStringLiteral("Morning Show %1 - %2.%3")
            .arg(localText(clock.now(), QStringLiteral("MMM d")))
            .arg(track, 2, 10, QLatin1Char('0'))
            .arg(extension);
    }
};

TEST_F(RecoveryTest, WavTrackOfAKilledRecordingBecomesAPlayableRecordingOfItsLength)
{
    writeMarker(OUT_WAV, 3);
    record(OUT_WAV, 3.3);
    crash();
    const QString leftover = temp.file(QStringLiteral("skywell-a1.wav"));
    // As the writer left it: sizes of an empty file, then a frame cut in two.
    ASSERT_EQ(readWavFile(leftover)->dataSize, 0u);
    {
        QFile file(leftover);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("\x01\x02", 2);
    }
    setModified(leftover, clock.now());

    const QStringList recovered = recover();

    const QString expected = folder.file(usualName(3, QStringLiteral("wav")));
    ASSERT_EQ(recovered, QStringList{expected});
    EXPECT_EQ(recordings(), QStringList{QFileInfo(expected).fileName()});
    EXPECT_NEAR(soxSeconds(expected), 3.3, 0.01);
    EXPECT_GT(soxRms(expected), 0.1);
    QString samples;
    ASSERT_TRUE(runTool(QStringLiteral("soxi"), {QStringLiteral("-s"), expected}, &samples));
    EXPECT_EQ(QFileInfo(expected).size(), 44 + samples.trimmed().toLongLong() * 4) << "a whole number of frames";
    // Strict readers also check the RIFF size against the file.
    EXPECT_EQ(readWavFile(expected)->riffSize, QFileInfo(expected).size() - 8);
    EXPECT_TRUE(trackFilesInTemp().isEmpty());
    EXPECT_FALSE(RecordingMarker::read(temp.path()));
    EXPECT_EQ(countInLog(QStringLiteral("Recovered unfinished recording: ") + expected), 1);

    // Found once only: a second start finds nothing more to do.
    EXPECT_TRUE(recover().isEmpty());
    EXPECT_EQ(recordings().size(), 1);
}

TEST_F(RecoveryTest, Mp3TrackOfAKilledRecordingDecodesToItsLength)
{
    writeMarker(OUT_MP3_FM, 1);
    record(OUT_MP3_FM, 5.0);
    crash();
    const QString leftover = temp.file(QStringLiteral("skywell-a1.wav"));
    // Killed in the middle of a write: the last frame is cut short.
    ASSERT_TRUE(QFile::resize(leftover, QFileInfo(leftover).size() - 50));
    setModified(leftover, clock.now());

    const QStringList recovered = recover();

    const QString expected = folder.file(usualName(1, QStringLiteral("mp3")));
    ASSERT_EQ(recovered, QStringList{expected});
    QString complaints;
    // What the encoder still held when the program died is lost (under a
    // tenth of a second), nothing more.
    EXPECT_NEAR(decodedMp3Seconds(expected, &complaints), 5.0, 0.15);
    EXPECT_TRUE(complaints.trimmed().isEmpty()) << complaints.toStdString();
    EXPECT_TRUE(trackFilesInTemp().isEmpty());
}

TEST_F(RecoveryTest, TrackFilesKeptAsSentAreRecoveredUnderTheirCodecsExtension)
{
    struct Kept {
        const char *extension;
        const char *options; // ffmpeg's, separated by spaces
        bool id3;            // our ID3 tags; Ogg keeps the comments it was written with
    };
    const Kept kept[] = {
        {"aac", "-c:a aac -f adts", true},
        {"ogg", "-c:a libvorbis -metadata title=Harbour -page_duration 100000 -f ogg", false},
        {"opus", "-c:a libopus -metadata title=Harbour -page_duration 100000 -f ogg", false},
    };
    int track = 1;
    for (const Kept &k : kept) {
        SCOPED_TRACE(k.extension);
        writeMarker(OUT_AS_BROADCAST, track);
        const QString leftover = temp.file(QStringLiteral("skywell-a1.wav"));
        ASSERT_TRUE(encodeNoise(leftover, 3.0, QString::fromLatin1(k.options).split(QLatin1Char(' ')), k.id3));
        // Killed in the middle of a write.
        ASSERT_TRUE(QFile::resize(leftover, QFileInfo(leftover).size() - 300));
        setModified(leftover, clock.now());

        const QString expected = folder.file(usualName(track++, QLatin1String(k.extension)));
        ASSERT_EQ(recover(), QStringList{expected});

        const DecodedAudio decoded = decodeWithFfmpeg(expected);
        EXPECT_TRUE(decoded.complaints.trimmed().isEmpty()) << decoded.complaints.toStdString();
        EXPECT_NEAR(decoded.seconds, 3.0, 0.3);
        QString tags;
        runTool(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                 QStringLiteral("format_tags=title,album:stream_tags=title"), QStringLiteral("-of"),
                 QStringLiteral("default=nw=1"), expected},
                &tags);
        const char *tag = k.id3 ? "TAG:album=Morning Show" : "TAG:title=Harbour";
        EXPECT_TRUE(tags.contains(QLatin1String(tag))) << tags.toStdString();
    }
    EXPECT_TRUE(trackFilesInTemp().isEmpty());
}

TEST_F(RecoveryTest, StreamsOfOneTrackAreAllKeptTheLargestUnderThePlainName)
{
    writeMarker(OUT_WAV, 2);
    startRecording(OUT_WAV);
    const WaveFormat mono = WaveFormat::pcm(22050, 1, 16);
    feed(toBlocks(mono, toneSamples(mono, 1.0)));
    feed(toBlocks(kCd, toneSamples(kCd, 2.0)));
    crash();
    for (const QString &name : {QStringLiteral("skywell-a1.wav"), QStringLiteral("skywell-a2.wav")})
        setModified(temp.file(name), clock.now());

    const QStringList recovered = recover();

    const QString larger = folder.file(usualName(2, QStringLiteral("wav")));
    const QString smaller = QString(larger).replace(QStringLiteral(".wav"), QStringLiteral(" (recovered).wav"));
    ASSERT_EQ(recovered, (QStringList{larger, smaller}));
    EXPECT_NEAR(soxSeconds(larger), 2.0, 0.01);
    EXPECT_NEAR(soxSeconds(smaller), 1.0, 0.05);
}

TEST_F(RecoveryTest, WithoutAMarkerOfItsRecordingTheNameSaysWhenAndWhichFile)
{
    record(OUT_WAV, 1.5);
    crash();
    const std::int64_t written = clock.now() - 3600;
    setModified(temp.file(QStringLiteral("skywell-a1.wav")), written);
    // A marker of a later recording does not name a file written before it.
    ASSERT_TRUE(RecordingMarker::write(temp.path(), {QStringLiteral("Evening Show"), OUT_WAV, 4, clock.now()}));

    const QString expected = folder.file(
        QStringLiteral("Recovered recording %1 a1.wav").arg(localText(written, QStringLiteral("yyyy-MM-dd HH.mm.ss"))));
    ASSERT_EQ(recover(), QStringList{expected});
    EXPECT_NEAR(soxSeconds(expected), 1.5, 0.01);

    // A name already taken is never replaced.
    record(OUT_WAV, 1.0);
    crash();
    setModified(temp.file(QStringLiteral("skywell-a1.wav")), written);
    const QString second = QString(expected).replace(QStringLiteral(" a1.wav"), QStringLiteral(" a1 (2).wav"));
    ASSERT_EQ(recover(), QStringList{second});
    EXPECT_NEAR(soxSeconds(expected), 1.5, 0.01);
    EXPECT_NEAR(soxSeconds(second), 1.0, 0.01);
}

TEST_F(RecoveryTest, FilesThatAreNotOursAreLeftAloneAndEmptyOnesRemoved)
{
    // Killed just after its start: only part of the MP3 writer's empty tag
    // ahead of the audio reached the file.
    record(OUT_MP3_FM, 0.05);
    crash();
    ASSERT_TRUE(
        QFile::rename(temp.file(QStringLiteral("skywell-a1.wav")), temp.file(QStringLiteral("skywell-f1.wav"))));
    ASSERT_TRUE(QFile::resize(temp.file(QStringLiteral("skywell-f1.wav")), 300));
    TempFolder elsewhere;
    const QString outside = elsewhere.file(QStringLiteral("precious.wav"));
    writeWav(outside, kCd, toneSamples(kCd, 0.5));
    const QByteArray outsideBefore = readAll(outside);
    const QString link = temp.file(QStringLiteral("skywell-a1.wav"));
    ASSERT_EQ(::symlink(QFile::encodeName(outside).constData(), QFile::encodeName(link).constData()), 0);
    ASSERT_TRUE(QDir().mkdir(temp.file(QStringLiteral("skywell-b1.wav"))));
    const QByteArray text = "not audio at all\n";
    QStringList notOurs;
    for (const QString &name :
         {QStringLiteral("skywell-c1.wav"), QStringLiteral("skywell-a01.wav"), QStringLiteral("skywell-m1.wav"),
          QStringLiteral("skywell-a11.wav"), QStringLiteral("Skywell-a1.wav"), QStringLiteral("skywell-a1.wav.bak")}) {
        QFile file(temp.file(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(name == QStringLiteral("skywell-c1.wav") ? text : readAll(outside));
        notOurs << name;
    }
    // Something else that begins like a tagged MP3 and ends inside its tag.
    {
        QFile file(temp.file(QStringLiteral("skywell-g1.wav")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("ID3\x04\x00\x00\x00\x00\x20\x00", 10) + "a title, no audio");
        notOurs << QStringLiteral("skywell-g1.wav");
    }
    // Started, but killed before any audio reached the file: empty, or
    // only a WAV header.
    QFile(temp.file(QStringLiteral("skywell-d1.wav"))).open(QIODevice::WriteOnly);
    QFile header(temp.file(QStringLiteral("skywell-e1.wav")));
    ASSERT_TRUE(header.open(QIODevice::WriteOnly));
    header.write(readAll(outside).left(44));
    header.close();

    EXPECT_TRUE(recover().isEmpty());

    EXPECT_TRUE(recordings().isEmpty());
    EXPECT_EQ(readAll(outside), outsideBefore);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(QFileInfo(temp.file(QStringLiteral("skywell-b1.wav"))).isDir());
    EXPECT_EQ(readAll(temp.file(QStringLiteral("skywell-c1.wav"))), text);
    for (const QString &name : notOurs)
        EXPECT_TRUE(QFileInfo::exists(temp.file(name))) << name.toStdString();
    EXPECT_FALSE(QFileInfo::exists(temp.file(QStringLiteral("skywell-d1.wav"))));
    EXPECT_FALSE(QFileInfo::exists(temp.file(QStringLiteral("skywell-e1.wav"))));
    EXPECT_FALSE(QFileInfo::exists(temp.file(QStringLiteral("skywell-f1.wav"))));
}

TEST_F(RecoveryTest, AFileStillBeingWrittenIsLeftToItsWriter)
{
    record(OUT_MP3_AM, 2.0);
    // The writer still holds the file open: another instance's recording.
    EXPECT_TRUE(recover().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(temp.file(QStringLiteral("skywell-a1.wav"))));
    EXPECT_EQ(countInLog(QStringLiteral("Temporary recording file in use, left alone:")), 1);

    crash();
    EXPECT_EQ(recover().size(), 1);
}

TEST_F(RecoveryTest, WithoutARecordingsFolderTheFileGetsItsRecoveredNameInTheTemporaryFolder)
{
    writeMarker(OUT_WAV, 1);
    record(OUT_WAV, 2.0);
    crash();
    setModified(temp.file(QStringLiteral("skywell-a1.wav")), clock.now());
    settings.mp3Folder = folder.file(QStringLiteral("gone/"));

    const QString kept = temp.file(usualName(1, QStringLiteral("wav")));
    ASSERT_EQ(recover(), QStringList{kept});
    EXPECT_NEAR(soxSeconds(kept), 2.0, 0.01);
    EXPECT_TRUE(trackFilesInTemp().isEmpty()) << "the next recording cannot overwrite it";
    EXPECT_EQ(countInLog(QStringLiteral("Could not move recovered recording into the recordings folder:")), 1);
}

TEST_F(RecoveryTest, FromAnotherFileSystemTheTrackIsCopiedWhole)
{
    SmallDisk other(16);
    if (!other.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root): the copy between file systems is not tested";
    settings.tempFolder = other.path();
    writeMarker(OUT_MP3_CD_QUALITY, 1);
    rebuild(WavWriter::kMaxDataBytes);
    record(OUT_MP3_CD_QUALITY, 3.0);
    crash();
    setModified(other.file(QStringLiteral("skywell-a1.wav")), clock.now());

    const QString expected = folder.file(usualName(1, QStringLiteral("mp3")));
    ASSERT_EQ(recover(), QStringList{expected});
    QString complaints;
    EXPECT_NEAR(decodedMp3Seconds(expected, &complaints), 3.0, 0.15);
    EXPECT_EQ(QDir(other.path()).entryList(QDir::Files | QDir::Hidden), QStringList{RecordingMarker::kResumeFileName});
    EXPECT_EQ(recordings(), QStringList{QFileInfo(expected).fileName()}) << "no copy left half-way";
}

TEST_F(RecoveryTest, ACopyThatDoesNotFitCostsNothingOfTheTrack)
{
    // 8 seconds of CD audio (1.4 MB) for a recordings folder with 1 MB.
    SmallDisk small(1);
    if (!small.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root): a full recordings folder is not tested";
    settings.mp3Folder = small.path();
    writeMarker(OUT_WAV, 2);
    record(OUT_WAV, 8.0);
    crash();
    setModified(temp.file(QStringLiteral("skywell-a1.wav")), clock.now());

    const QString kept = temp.file(usualName(2, QStringLiteral("wav")));
    ASSERT_EQ(recover(), QStringList{kept});
    EXPECT_NEAR(soxSeconds(kept), 8.0, 0.01);
    EXPECT_TRUE(QDir(small.path()).entryList(QDir::Files | QDir::Hidden).isEmpty()) << "the partial copy is removed";
    EXPECT_TRUE(trackFilesInTemp().isEmpty());
}

TEST_F(RecoveryTest, TrackOfAKilledRecordingKeepsNumberTagsAndPlaylistAndTheSeriesGoesOn)
{
    // Two tracks saved, the third under way with the station's title.
    const QString day = localText(clock.now(), QStringLiteral("MMM d"));
    const QString first = folder.file(QStringLiteral("Morning Show %1 - 01.mp3").arg(day));
    const QString second = folder.file(QStringLiteral("Morning Show %1 - 02.mp3").arg(day));
    RecordingMarker marker{QStringLiteral("Morning Show"), OUT_MP3_FM | OPT_TITLE_SPLIT, 3, clock.now() - 600};
    marker.stationTitle = QStringLiteral("The Beacons - Harbour Lights");
    marker.playlistText = QStringLiteral("#EXTM3U\r\n#EXTINF:20,One\r\n%1\r\n#EXTINF:20,Two\r\n%2").arg(first, second);
    ASSERT_TRUE(RecordingMarker::write(settings.tempFolder, marker));
    record(OUT_MP3_FM, 4.0);
    crash();
    setModified(temp.file(QStringLiteral("skywell-a1.wav")), clock.now());

    const QString third = folder.file(usualName(3, QStringLiteral("mp3")));
    ASSERT_EQ(recover(), QStringList{third});
    QString tags;
    ASSERT_TRUE(runTool(QStringLiteral("ffprobe"),
                        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                         QStringLiteral("format_tags=title,artist,album,track"), QStringLiteral("-of"),
                         QStringLiteral("default=nw=1"), third},
                        &tags));
    for (const char *expected :
         {"TAG:title=Harbour Lights", "TAG:artist=The Beacons", "TAG:album=Morning Show", "TAG:track=3"})
        EXPECT_TRUE(tags.contains(QLatin1String(expected))) << expected << "\n" << tags.toStdString();
    QString complaints;
    EXPECT_NEAR(decodedMp3Seconds(third, &complaints), 4.0, 0.15);

    // The playlist of the recording lists the recovered track after the others.
    const QString playlist = folder.file(QStringLiteral("Morning Show %1.m3u").arg(day));
    const QStringList lines = QString::fromUtf8(readAll(playlist)).split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.mid(lines.size() - 2),
              (QStringList{QStringLiteral("#EXTINF:4,The Beacons - Harbour Lights"), third}));
    EXPECT_TRUE(lines.contains(first) && lines.contains(second));

    // Another Show's recording starts a series of its own; the same Show's
    // goes on with track 4 and the same playlist.
    session.name = QStringLiteral("Evening Show");
    session.trackNumber = 1;
    EXPECT_FALSE(continueInterruptedSeries(settings, session, log, clock));
    EXPECT_EQ(session.trackNumber, 1);
    session.name = QStringLiteral("Morning Show");
    ASSERT_TRUE(continueInterruptedSeries(settings, session, log, clock));
    EXPECT_EQ(session.trackNumber, 4);
    EXPECT_EQ(session.playlistFile, playlist);
    EXPECT_TRUE(session.playlistText.endsWith(third));
    // Once only.
    session.trackNumber = 1;
    EXPECT_FALSE(continueInterruptedSeries(settings, session, log, clock));
}

namespace
{

// Recordings killed together: three that ran side by side, each with its
// key, and one of an older Skywell (no key, plain names) sharing a name
// and day with one of them.
struct KilledRecording {
    const char *key;
    const char *name;
    std::uint32_t flags;
    int track;
    double seconds; // tells the recordings' files apart
    const char *stationTitle;
};

const KilledRecording kKilledTogether[] = {
    {"m5xk2a1", "Morning Show", OUT_MP3_FM, 3, 2.0, "The Beacons - Harbour Lights"},
    {"q7", "Evening Show", OUT_WAV, 2, 1.5, ""},
    {"z0z0", "Morning Show", OUT_WAV, 2, 2.5, ""},
    {"", "Morning Show", OUT_WAV, 2, 1.0, ""},
};

// The track each recording saved before it was killed.
QString earlierTrack(const KilledRecording &r)
{
    return QStringLiteral("/earlier/%1 %2 - 01").arg(QLatin1String(r.name), QLatin1String(r.key));
}

double audioSeconds(const QString &path)
{
    QString complaints;
    return path.endsWith(QStringLiteral(".mp3")) ? decodedMp3Seconds(path, &complaints) : soxSeconds(path);
}

} // namespace

class SideBySideRecoveryTest : public RecoveryTest
{
protected:
    // Each recording's marker and partial track, and a file of a
    // recording whose marker never got written; then all are killed.
    void killTogether()
    {
        for (const KilledRecording &r : kKilledTogether) {
            RecordingMarker marker{QLatin1String(r.name), r.flags, r.track, clock.now() - 600};
            marker.fileKey = QLatin1String(r.key);
            marker.stationTitle = QString::fromUtf8(r.stationTitle);
            marker.playlistText = earlierTrack(r);
            ASSERT_TRUE(RecordingMarker::write(temp.path(), marker, RecordingMarker::fileNameFor(marker.fileKey)));
            session.fileKey = marker.fileKey;
            record(r.flags, r.seconds);
            crash();
        }
        session.fileKey = QStringLiteral("x9");
        record(OUT_WAV, 0.5);
        crash();
        for (const QString &name : trackFilesInTemp())
            setModified(temp.file(name), clock.now());
    }
    // The recording's playlist: the one that lists its earlier track.
    QStringList playlistOf(const KilledRecording &r) const
    {
        for (const QString &name : QDir(folder.path()).entryList({QStringLiteral("*.m3u")}, QDir::Files)) {
            const QStringList lines = QString::fromUtf8(readAll(folder.file(name))).split(QStringLiteral("\r\n"));
            if (lines.contains(earlierTrack(r)))
                return lines;
        }
        return {};
    }
};

TEST_F(SideBySideRecoveryTest, EachRecordingGetsItsOwnFilesNamesTagsAndPlaylist)
{
    killTogether();

    const QStringList recovered = recover();

    ASSERT_EQ(recovered.size(), 5) << recovered.join(QLatin1Char('\n')).toStdString();
    for (const KilledRecording &r : kKilledTogether) {
        SCOPED_TRACE(r.key);
        const QStringList playlist = playlistOf(r);
        ASSERT_FALSE(playlist.isEmpty()) << "its playlist was written";
        const QString track = playlist.last();
        EXPECT_TRUE(recovered.contains(track));
        const QString extension = (r.flags & OUT_WAV) ? QStringLiteral("wav") : QStringLiteral("mp3");
        // Its own name and number; of two of the same name, day and number,
        // one has " (recovered)" added.
        const QString usual = folder.file(QStringLiteral("%1 %2 - %3")
                                              .arg(QLatin1String(r.name))
                                              .arg(localText(clock.now(), QStringLiteral("MMM d")))
                                              .arg(r.track, 2, 10, QLatin1Char('0')));
        EXPECT_TRUE(track == usual + QLatin1Char('.') + extension ||
                    track == usual + QStringLiteral(" (recovered).") + extension)
            << track.toStdString();
        EXPECT_NEAR(audioSeconds(track), r.seconds, 0.15) << "its own audio, not another recording's";
        EXPECT_EQ(
            countInLog(QStringLiteral("Recovered unfinished recording: %1 (%2)").arg(track, QLatin1String(r.name))), 1);
        if (r.flags & OUT_WAV)
            continue;
        QString tags;
        ASSERT_TRUE(runTool(QStringLiteral("ffprobe"),
                            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                             QStringLiteral("format_tags=title,artist,album,track"), QStringLiteral("-of"),
                             QStringLiteral("default=nw=1"), track},
                            &tags));
        for (const QString &expected :
             {QStringLiteral("TAG:title=Harbour Lights"), QStringLiteral("TAG:artist=The Beacons"),
              QStringLiteral("TAG:album=") + QLatin1String(r.name), QStringLiteral("TAG:track=%1").arg(r.track)})
            EXPECT_TRUE(tags.contains(expected)) << expected.toStdString() << "\n" << tags.toStdString();
    }
    // The file of no marker keeps the name that says when and which file.
    const QString orphan = folder.file(QStringLiteral("Recovered recording %1 a1.wav")
                                           .arg(localText(clock.now(), QStringLiteral("yyyy-MM-dd HH.mm.ss"))));
    EXPECT_TRUE(recovered.contains(orphan));
    EXPECT_NEAR(soxSeconds(orphan), 0.5, 0.01);
    EXPECT_TRUE(trackFilesInTemp().isEmpty());
    EXPECT_TRUE(QDir(temp.path()).entryList({QStringLiteral("skywell-recording*")}, QDir::Files).isEmpty());
}

TEST_F(SideBySideRecoveryTest, EachShowContinuesOnlyItsOwnSeries)
{
    killTogether();
    recover();

    // Per Show: the next track number of each interrupted recording of it.
    const QList<std::pair<QString, QList<int>>> shows = {
        {QStringLiteral("Evening Show"), {3}},
        {QStringLiteral("Morning Show"), {3, 3, 4}},
        {QStringLiteral("Other Show"), {}},
    };
    for (const auto &[name, tracks] : shows) {
        SCOPED_TRACE(name.toStdString());
        QList<int> continued;
        QStringList playlists;
        session.name = name;
        session.playlistText.clear();
        while (continueInterruptedSeries(settings, session, log, clock)) {
            continued << session.trackNumber;
            // Its own playlist, ending with the track recovered for it.
            playlists << session.playlistFile;
            EXPECT_TRUE(session.playlistText.contains(QStringLiteral("/earlier/") + name + QLatin1Char(' ')));
            EXPECT_EQ(QString::fromUtf8(readAll(session.playlistFile)), session.playlistText);
            ASSERT_LE(continued.size(), 3);
        }
        std::sort(continued.begin(), continued.end());
        EXPECT_EQ(continued, tracks);
        playlists.removeDuplicates();
        EXPECT_EQ(playlists.size(), tracks.size()) << "each series once, with its own playlist";
    }
}

TEST_F(RecoveryTest, ATrackSetAsideForItsDeliveryIsKeptBesideTheTrackOfTheMarker)
{
    // Killed while an ended track waited for its delivery (a slow script)
    // and the next track was being recorded.
    writeMarker(OUT_WAV, 2);
    record(OUT_WAV, 2.0);
    crash();
    ASSERT_TRUE(
        QFile::rename(temp.file(QStringLiteral("skywell-a1.wav")), temp.file(QStringLiteral("skywell-track1.wav"))));
    record(OUT_WAV, 1.0);
    crash();
    for (const QString &name : {QStringLiteral("skywell-a1.wav"), QStringLiteral("skywell-track1.wav")})
        setModified(temp.file(name), clock.now());

    const QStringList recovered = recover();

    const QString track = folder.file(usualName(2, QStringLiteral("wav")));
    const QString aside = QString(track).replace(QStringLiteral(".wav"), QStringLiteral(" (recovered).wav"));
    ASSERT_EQ(recovered, (QStringList{aside, track}));
    EXPECT_NEAR(soxSeconds(track), 1.0, 0.01) << "the track being recorded keeps the marker's name";
    EXPECT_NEAR(soxSeconds(aside), 2.0, 0.01);
    EXPECT_TRUE(trackFilesInTemp().isEmpty());
}
