#pragma once

// A main window over the real Show list, Show file, scheduler, recording
// controller and block path, in a temporary program folder; tuning and the
// direct download are doubles, and the sound card is fed by the test.
#include "core/activitylog.h"
#include "core/clock.h"
#include "core/registry.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "recording/blockprocessor.h"
#include "recording/capturedevice.h"
#include "recording/capturequeue.h"
#include "recording/recordingroster.h"
#include "recording/recordingsession.h"
#include "recording/trackdelivery.h"
#include "shows/scheduler.h"
#include "shows/showfile.h"
#include "shows/showlistcommands.h"
#include "shows/showstore.h"
#include "support/forwardingparts.h"
#include "support/onerecording.h"
#include "ui/mainwindow.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cmath>
#include <memory>

namespace skywell::test
{

class RigCaptureDevice final : public CaptureDevice
{
public:
    QStringList deviceNames() override { return {QStringLiteral("Test Card")}; }
    bool start(const QString &, BlockSink blockSink) override
    {
        sink = std::move(blockSink);
        return true;
    }
    void stop() override {}
    BlockSink sink;
};

class RigTuning final : public StreamTuning
{
public:
    void tuneTo(const QString &address, char, std::uint64_t id, const QString &, bool) override
    {
        addresses << address;
        lastId = id;
    }
    void recordingStopped(std::uint64_t) override {}
    void closePlayers(std::uint64_t) override {}
    void endStartedPlayers(std::uint64_t) override {}
    QList<qint64> playerProcessIds(std::uint64_t) const override { return {}; }
    bool startsOwnPlayer(char) const override { return true; }
    bool isOnline() override { return true; }
    bool wasOnlineBeforeDial() const override { return true; }
    void dial() override {}
    void hangUp() override {}
    QStringList addresses;
    std::uint64_t lastId = 0;
};

class RigDownload final : public DirectDownload
{
public:
    void start(const QString &, const QString &, std::function<void(const DirectDownloadResult &)>) override {}
    void stop() override {}
    bool running() const override { return false; }
};

struct WindowRig {
    WindowRig()
    {
        settings.tempFolder = dir.path() + QStringLiteral("/temp/");
        settings.mp3Folder = dir.path() + QStringLiteral("/rec/");
        QDir().mkpath(settings.tempFolder);
        QDir().mkpath(settings.mp3Folder);
        settings.soundCard = QStringLiteral("Test Card");
        settings.fileNameFormat = QStringLiteral("%%s %b %#d");
        settings.optimizeVolume = 0;
        RecordingSignals windowSignals{[this](int peak) {
                                           if (window)
                                               window->setLevel(peak);
                                       },
                                       [this](bool on) {
                                           if (window)
                                               window->setRecordingIcon(on);
                                       },
                                       {}};
        (void)windowSignals;
        roster = std::make_unique<RecordingRoster>(
            RosterContext{shows, scheduler, store, settings, clock, log, prompter, tuning, parts, delivery});
        QObject::connect(roster.get(), &RecordingRoster::recordingsChanged, [this] {
            const std::vector<RunningRecording> running = roster->running();
            if (!running.empty())
                current = running.back().id;
        });
    }

    // Builds the window; dialogs may be set before.
    MainWindow &open(const QString &skinFolder = QString())
    {
        WindowContext context{prompter, registry, commands, programFolder()};
        context.log = &log;
        context.recordings = roster.get();
        context.tune = [this](const Show &show) { tuned << fieldText(show.url); };
        window = std::make_unique<MainWindow>(context, dialogs, skinFolder);
        return *window;
    }

    QString programFolder() const { return dir.path() + QLatin1Char('/'); }

    // The Show list as the Show file on disk holds it.
    QStringList namesOnDisk() const
    {
        ShowList onDisk;
        loadShows(onDisk, programFolder());
        QStringList names;
        for (const Show &show : onDisk)
            names << fieldText(show.name);
        return names;
    }
    QStringList namesInList() const
    {
        QStringList names;
        for (const Show &show : shows)
            names << fieldText(show.name);
        return names;
    }

    // A Show added as the editor would hand it over.
    Show makeShow(const QString &name, std::int64_t start, std::uint32_t flags) const
    {
        Show show;
        setFieldText(show.name, name);
        setFieldText(show.url, QStringLiteral("http://127.0.0.1:9/") + name);
        show.startTime = std::int32_t(start);
        show.endTime = std::int32_t(start + 1800);
        show.flags = flags;
        return show;
    }

    // One block of a loud tone through the sound card's queue.
    void feedTone(double amplitude)
    {
        const WaveFormat format = WaveFormat::pcm(44100, 2, 16);
        std::vector<std::int16_t> samples(4410 * 2);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = std::int16_t(amplitude * 32767 * std::sin(double(i / 2) * 0.06));
        capture.sink(std::make_unique<CaptureBlock>(format, samples.data(), std::uint32_t(samples.size() * 2)));
        QCoreApplication::processEvents();
    }

    QTemporaryDir dir;
    ManualClock clock{1765000000};
    ActivityLog log{programFolder(), clock};
    ScriptedPrompter prompter;
    Registry registry{dir.path() + QStringLiteral("/user"), dir.path() + QStringLiteral("/machine")};
    Settings settings;
    ShowList shows;
    Scheduler scheduler{clock, settings, registry, log, prompter};
    ShowStore store{programFolder(), log, prompter};
    ShowListCommands commands{shows, scheduler, store, registry, prompter, clock};
    RigCaptureDevice device;
    RigCaptureDevice &capture = device;
    TrackDelivery delivery{settings, log, {}, {}, nullptr};
    RigTuning tuning;
    RigDownload download;
    ForwardingParts parts{device, device, nullptr, &download};
    std::unique_ptr<RecordingRoster> roster;
    std::uint64_t current = 0;
    OneRecording oneRecording{roster, current};
    OneRecording *controller = &oneRecording;
    // The session of the recording running (or the last one).
    const RecordingSession &live() const
    {
        static const RecordingSession none;
        const RecordingSession *s = roster ? roster->sessionOf(current) : nullptr;
        return s ? *s : none;
    }
    WindowDialogs dialogs;
    QStringList tuned;
    std::unique_ptr<MainWindow> window;
};

} // namespace skywell::test
