// The whole road of captured audio on the UI thread: a capture device on
// its own thread, the queue's blocks-ready notification, block processing,
// splits, delivery and the playlist, read back from disk.
#include "recording/audiofixtures.h"
#include "support/eventloop.h"
#include "support/tempenv.h"

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/settings.h"
#include "recording/blockprocessor.h"
#include "recording/capturequeue.h"
#include "recording/recordingsession.h"
#include "recording/trackdelivery.h"
#include "shows/outputnaming.h"
#include "shows/show.h"
#include "support/filecapturedevice.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace skywell;
using namespace skywell::test;

TEST(CaptureToTracksTest, CapturedFileBecomesTracksAndAPlaylist)
{
    TempFolder program, temp, folder, source;
    const WaveFormat cd = WaveFormat::pcm(44100, 2, 16);
    const QString input = source.file(QStringLiteral("show.wav"));
    writeWav(input, cd, toneSamples(cd, 5.5));

    ManualClock clock(1765000000);
    ActivityLog log(program.path(), clock);
    Settings settings;
    settings.tempFolder = temp.path();
    settings.mp3Folder = folder.path();
    settings.fileNameFormat = QStringLiteral("%%s %b %#d");
    settings.optimizeVolume = false;
    FileCaptureDevice device(input, FileCaptureDevice::Pace::AsFastAsPossible);
    settings.soundCard = device.deviceNames().front();
    CaptureQueue queue(device);
    RecordingSession session;
    TrackDelivery delivery(settings, log, {}, {}, nullptr);
    BlockProcessor processor(session, queue, settings, clock, log, delivery);
    // The last piece (1.5 s) is kept too.
    processor.setMinimumTrackMs(0);
    queue.init([&] { processor.processReadyBlocks(); });

    session.name = QStringLiteral("Evening / News");
    session.flags = OUT_WAV;
    session.splitEverySeconds = 2;
    session.trackNumber = 1;
    session.recording = true;
    ASSERT_TRUE(processor.startCapture(QString()));
    ASSERT_TRUE(spinUntil([&] { return device.finished() && queue.queuedBlocks() == 0; }, 10000));

    RecordingNaming naming{settings.fileNameFormat, settings.mp3Folder, session.name, session.flags,
                           session.trackNumber};
    processor.finishRecording(false, true);
    EXPECT_FALSE(queue.isRecording());
    EXPECT_TRUE(session.outcomeText.isEmpty()) << session.outcomeText.toStdString();
    naming.trackNumber = session.trackNumber;
    const QString playlist = writePlaylist(naming, session.playlistText, clock);
    ASSERT_FALSE(playlist.isEmpty());

    // The playlist lists the three tracks on three lines, the last without
    // a line end; the slash of the name became a dash.
    const QStringList lines = QString::fromUtf8(readAll(playlist)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3);
    const double expected[] = {1.9, 2.0, 1.6};
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(lines[i].startsWith(folder.path() + QStringLiteral("Evening - News "))) << lines[i].toStdString();
        EXPECT_TRUE(lines[i].endsWith(QStringLiteral(" - 0%1.wav").arg(i + 1))) << lines[i].toStdString();
        QString out;
        ASSERT_TRUE(runTool(QStringLiteral("soxi"), {QStringLiteral("-D"), lines[i]}, &out)) << out.toStdString();
        EXPECT_NEAR(out.trimmed().toDouble(), expected[i], 0.001);
    }
    EXPECT_TRUE(QDir(temp.path()).entryList(QDir::Files).isEmpty());
}
