#pragma once

// One recording's block path as the benchmarks run it: the real block
// processor, writers and delivery over a work folder, with a capture
// device that delivers nothing (the benchmark hands blocks over itself).

#include "core/activitylog.h"
#include "core/clock.h"
#include "core/settings.h"
#include "recording/blockprocessor.h"
#include "recording/capturequeue.h"
#include "recording/recordingsession.h"
#include "recording/soundcardcapture.h"
#include "recording/trackdelivery.h"

#include <QDir>
#include <QString>

namespace skywell::bench
{

class IdleDevice final : public SoundCardCapture
{
public:
    QStringList deviceNames() override { return {QStringLiteral("Bench")}; }
    bool start(const QString &, BlockSink) override { return true; }
    void stop() override {}
};

struct BenchBlockPath {
    BenchBlockPath(const QString &workDir, const QString &name, std::uint32_t flags) : dir(workDir)
    {
        QDir().mkpath(dir + QStringLiteral("temp"));
        QDir().mkpath(dir + QStringLiteral("recordings"));
        settings.tempFolder = dir + QStringLiteral("temp/");
        settings.mp3Folder = dir + QStringLiteral("recordings/");
        settings.fileNameFormat = QStringLiteral("%%s");
        settings.optimizeVolume = false;
        session.name = name;
        session.flags = flags;
        session.recording = true;
    }
    // The recordings and temporary files go with it.
    ~BenchBlockPath()
    {
        QDir(dir + QStringLiteral("recordings")).removeRecursively();
        QDir(dir + QStringLiteral("temp")).removeRecursively();
    }
    BenchBlockPath(const BenchBlockPath &) = delete;
    BenchBlockPath &operator=(const BenchBlockPath &) = delete;

    QString dir;
    ManualClock clock{1765000000};
    ActivityLog log{dir, clock};
    Settings settings;
    IdleDevice device;
    CaptureQueue queue{device};
    RecordingSession session;
    TrackDelivery delivery{settings, log, {}, {}, nullptr};
    BlockProcessor processor{session, queue, settings, clock, log, delivery};
};

} // namespace skywell::bench
