#pragma once

#include "core/resumewatch.h"
#include "platform/mpdlibrary.h"
#include "postprocess/cdwriter.h"
#include "postprocess/converters.h"
#include "postprocess/processrunner.h"
#include "recording/blockprocessor.h"
#include "recording/recordingroster.h"
#include "recording/trackdelivery.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace skywell
{

class ActivityLog;
class AppCore;
class Clock;
class Mixer;
class Prompter;
class SettingsStore;

// The roads of the recordings put together: the roster on the core's Show
// list and tick, each recording with its own parts, and delivery through
// the converters, the CD writer and the music library. The window connects
// to the roster's signals; the headless program only runs it.
class RecordingService final : public QObject
{
    Q_OBJECT
public:
    RecordingService(AppCore &core, Mixer &mixer, const Clock &clock, ActivityLog &log, Prompter &prompter,
                     SettingsStore &settingsStore, StreamTuning &tuning, RecordingParts &parts,
                     QObject *parent = nullptr);
    ~RecordingService() override;

    RecordingRoster &roster() { return *m_roster; }
    // The delivery parts the dialogs use too (CD burning, the library).
    Converters &converters() { return m_converters; }
    CdWriter &cdWriter() { return m_cdWriter; }
    MusicLibrary &musicLibrary() { return m_library; }

    // Ends every running recording as Stop Recording does (the last track
    // saved and delivered), then calls done; at once when none runs.
    void stopRecordingThen(std::function<void()> done);

Q_SIGNALS:
    void statusLine(const QString &text);

private:
    ProcessRunner m_runner;
    Converters m_converters;
    CdWriter m_cdWriter;
    MpdLibrary m_library;
    TrackDelivery m_delivery;
    std::unique_ptr<RecordingRoster> m_roster;
    ResumeWatch m_resumeWatch;
};

} // namespace skywell
