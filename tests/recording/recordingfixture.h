#pragma once

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "recording/blockprocessor.h"
#include "recording/capturequeue.h"
#include "recording/recordingsession.h"
#include "recording/trackdelivery.h"
#include "support/calllogmixer.h"
#include "support/idlecapturedevice.h"
#include "support/memorymusiclibrary.h"
#include "support/tempenv.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace skywell::test
{

// One recording's block path with the real writers and real delivery into
// temporary folders; the CD writer and the music library are doubles.
class RecordingFixture : public ::testing::Test
{
protected:
    RecordingFixture();

    // Sets the options as the controller does and starts capture.
    void startRecording(std::uint32_t flags, const QString &name = QStringLiteral("Morning Show"));
    void feed(std::vector<CaptureBlock> blocks);
    // Queues the blocks and processes them as a blocks-ready notification does.
    void feedThroughQueue(const std::vector<CaptureBlock> &blocks);
    // Ends the recording as the end time does and waits until its tracks
    // are delivered; returns the last track's name.
    QString endRecording(bool abort = false, bool save = true);
    // Serves the event loop until every queued delivery has finished.
    bool waitForDeliveries(int ms = 30000);
    // Rebuilds the processor (after changing the WAV limit).
    void rebuild(std::uint32_t wavLimit);

    QStringList recordings() const;
    QStringList temporaryFiles() const;
    QString logText() const;
    int countInLog(const QString &text) const;

    TempFolder program;
    TempFolder temp;
    TempFolder folder;
    ManualClock clock{1765000000};
    ActivityLog log{program.path(), clock};
    ScriptedPrompter prompter;
    Settings settings;
    IdleCaptureDevice device;
    // Stands in for the device that decodes a stream itself.
    IdleCaptureDevice streamDevice;
    CaptureQueue queue{device, &streamDevice};
    RecordingSession session;
    MemoryMusicLibrary library;

    struct Burn {
        QString fileList;
        bool dataCD = false;
    };
    QList<Burn> burns;
    bool burnSucceeds = true;
    QString burnResult = QStringLiteral("Success");
    // The custom conversion, done at once; none by default.
    std::function<bool(const QString &tempName, const QString &prefix)> custom;
    // A custom conversion that reports later (the real script); used when set.
    CustomConversion laterCustom;
    // The real CD writer, when a test sets it; otherwise burns are only
    // listed in burns.
    CdBurn realBurn;

    // The shortest last track kept; the block path's own tests keep any.
    std::int64_t minimumTrackMs = kMinSavedTrackMs;
    void keepShortTracks()
    {
        minimumTrackMs = 0;
        processor->setMinimumTrackMs(0);
    }

    std::vector<int> levels;
    QList<bool> icons;
    QStringList statuses;
    QStringList mixerCalls;
    CallLogMixer mixer{mixerCalls};

    std::unique_ptr<TrackDelivery> delivery;
    std::unique_ptr<BlockProcessor> processor;
};

} // namespace skywell::test
