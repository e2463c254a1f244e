#pragma once

// A main window over the real Show list, Show file, scheduler, recording
// roster and block paths, in a temporary program folder; tuning, the
// direct download and each recording's sound are doubles, and the test
// feeds each recording's capture.
#include "core/activitylog.h"
#include "core/clock.h"
#include "core/scriptedprompter.h"
#include "core/settings.h"
#include "core/settingsstore.h"
#include "recording/recordingroster.h"
#include "recording/soundcardcapture.h"
#include "recording/streamcapture.h"
#include "recording/trackdelivery.h"
#include "shows/scheduler.h"
#include "shows/showfile.h"
#include "shows/showlistcommands.h"
#include "shows/showstore.h"
#include "support/memoryprivatesink.h"
#include "ui/mainwindow.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cmath>
#include <memory>

namespace skywell::test
{

// A recording's capture, of a sound card or a stream: the devices alive,
// in the order they were made, are listed where the rig finds them.
class RigCaptureDevice final : public SoundCardCapture, public StreamCapture
{
public:
    explicit RigCaptureDevice(std::vector<RigCaptureDevice *> &alive) : m_alive(alive) { m_alive.push_back(this); }
    ~RigCaptureDevice() override { std::erase(m_alive, this); }
    QStringList deviceNames() override { return {QStringLiteral("Test Card")}; }
    bool start(const QString &, BlockSink blockSink) override
    {
        sink = std::move(blockSink);
        return true;
    }
    void stop() override { sink = {}; }
    void setKeepPackets(bool) override {}
    void setLevelsWanted(bool) override {}
    BlockSink sink;

private:
    std::vector<RigCaptureDevice *> &m_alive;
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
    // The desktop's media player plays where it always does.
    bool startsOwnPlayer(char letter) const override { return letter != 'W'; }
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

class RigParts final : public RecordingParts
{
public:
    std::unique_ptr<SoundCardCapture> captureOf(const QString &) override { return device(); }
    std::unique_ptr<SoundCardCapture> chosenSourceCapture() override { return device(); }
    std::unique_ptr<StreamCapture> streamDevice(const QString &) override { return device(); }
    std::unique_ptr<PrivateSink> privateSink() override { return std::make_unique<MemoryPrivateSink>(); }
    std::unique_ptr<DirectDownload> directDownload() override { return std::make_unique<RigDownload>(); }
    std::vector<RigCaptureDevice *> devices;

private:
    std::unique_ptr<RigCaptureDevice> device() { return std::make_unique<RigCaptureDevice>(devices); }
};

// A tuner that writes down the addresses it was asked to play.
struct ListTuner final : TunerControl {
    void tune(const Show &show) override { tuned << fieldText(show.url); }
    void closeWindows() override {}
    void followMainWindow(bool) override {}
    QStringList tuned;
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
        settings.optimizeVolume = false;
    }

    // Builds the window; dialogs may be set before.
    MainWindow &open(const QString &skinFolder = QString())
    {
        WindowContext context{prompter, settingsStore, commands, programFolder()};
        context.log = &log;
        context.recordings = &roster;
        context.tuner = &tuner;
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

    // The recordings running, in the order they started.
    std::vector<RunningRecording> running() const { return roster.running(); }
    RunningRecording recording(int index = 0) const { return running().at(std::size_t(index)); }

    // Tuning has the index-th recording's stream playing: capture starts.
    void captureStarts(int index = 0) { roster.captureCanStart(recording(index).id); }

    // One block of a tone through the capture of the index-th recording
    // capturing (in the order capture started), and its block path.
    void feedTone(double amplitude, int index = 0)
    {
        std::vector<RigCaptureDevice *> capturing;
        for (RigCaptureDevice *device : parts.devices) {
            if (device->sink)
                capturing.push_back(device);
        }
        const WaveFormat format = WaveFormat::pcm(44100, 2, 16);
        std::vector<std::int16_t> samples(4410 * 2);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = std::int16_t(amplitude * 32767 * std::sin(double(i / 2) * 0.06));
        capturing.at(std::size_t(index))
            ->sink(std::make_unique<CaptureBlock>(format, samples.data(), std::uint32_t(samples.size() * 2)));
        // The queue's "blocks ready" call.
        QCoreApplication::sendPostedEvents();
    }

    QTemporaryDir dir;
    ManualClock clock{1765000000};
    ActivityLog log{programFolder(), clock};
    ScriptedPrompter prompter;
    SettingsStore settingsStore{dir.path() + QStringLiteral("/user"), dir.path() + QStringLiteral("/machine")};
    Settings settings;
    ShowList shows;
    Scheduler scheduler{clock, settings, settingsStore, log, prompter};
    ShowStore store{programFolder(), log, prompter};
    ShowListCommands commands{shows, scheduler, store, settingsStore, prompter, clock};
    TrackDelivery delivery{settings, log, {}, {}, nullptr};
    RigTuning tuning;
    RigParts parts;
    RecordingRoster roster{RosterContext{shows, scheduler, store, settings, clock, log, tuning, parts, delivery}};
    WindowDialogs dialogs;
    ListTuner tuner;
    QStringList &tuned = tuner.tuned;
    std::unique_ptr<MainWindow> window;
};

} // namespace skywell::test
