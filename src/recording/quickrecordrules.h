#pragma once

#include "recording/recordingcontroller.h"

#include <QString>
#include <cstdint>

namespace skywell
{

class SettingsStore;

// Quick Record's output kinds, in the order of its radio buttons.
enum QuickRecordKind {
    QuickMp3Cd = 0,
    QuickMp3Fm,
    QuickMp3Am,
    QuickWav,
    QuickCustom,
    QuickAudioCd,
    QuickMp3DataCd,
    // Offered with the "Internet Stream" source only.
    QuickAsBroadcast,
    QuickKindCount
};

// The values the Quick Record dialog shows and hands back.
struct QuickRecordValues {
    QString name = QStringLiteral("My Show");
    int hours = 0;
    int minutes = 5;
    int outputKind = QuickMp3Cd;
    QString sourceName;
    bool deadAirEnabled = false;
    int deadAirSeconds = 4000;
    bool newTrackOnSilence = false;
    int newTrackSilenceMs = 1000;
    bool splitEvery = false;
    int splitMinutes = 0;
    bool saveLastTrack = true;
    bool addToMusicLibrary = false;
    bool compressSpeech = false;
    // With the "Internet Stream" source: the address Skywell opens itself,
    // and a new track at each station title.
    QString streamAddress;
    bool titleSplit = false;
};

// A value the user typed that the dialog refuses.
struct QuickRecordProblem {
    enum Field { None, Name, Hours, Minutes, DeadAirSeconds, NewTrackMs, SplitMinutes, StreamAddress };
    Field field = None;
    QString message;
};

// The values the dialog opens with: the last choices remembered, the dead
// air brought back to 3 s when 0 or over a minute, the new-track silence to
// 1000 ms when 0. A remembered custom kind without its script falls back
// to the first kind, since the custom conversion would leave no audio.
QuickRecordValues loadQuickRecordValues(const SettingsStore &settingsStore, bool customScriptExists);

// The source the drop-down should preselect: the last one used, else the
// best one the source test found.
QString quickRecordWantedSource(const SettingsStore &settingsStore);

// The first value out of its range, with the message to show; empty field
// when all are fine. Numbers arrive as typed.
QuickRecordProblem checkQuickRecordInput(const QString &name, const QString &hours, const QString &minutes,
                                         const QString &deadAirSeconds, const QString &newTrackMs,
                                         const QString &splitMinutes);

// The "Internet Stream" source needs a web address to open; other
// sources need none.
QuickRecordProblem checkQuickRecordStream(const QString &sourceName, const QString &address);

// Remembers the choices (not compress speech) and clears the new-track
// milliseconds and split minutes whose boxes are not ticked.
void saveQuickRecordValues(SettingsStore &settingsStore, QuickRecordValues &values);

// The recording flags of the output kind and options, always manual.
std::uint32_t quickRecordFlags(const QuickRecordValues &values);

// The manual recording to start at now: no address, ending 20 s before
// the chosen length so the next tick finds it due.
RecordingRequest quickRecordRequest(const QuickRecordValues &values, std::int64_t now);

} // namespace skywell
