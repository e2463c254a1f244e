#pragma once

#include "shows/show.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace skywell
{

class Clock;
class Prompter;
class SettingsStore;

// The values of the Show editor's five pages. The editor fills its
// controls from them and hands them back; openShowEditor and
// acceptShowEditor turn a Show into them and back.
struct ShowEditorValues {
    // Summary
    QString name;
    QString status;
    QString summary;
    // Tuning: "Tune With: " as a TuneWith (0 Skywell Tuner, 1 desktop player, 2 command)
    int player = 0;
    QString url;
    // Schedule: start and end are today's date at the picked time of day
    // (only the time is shown); onceDate is any moment of the picked day.
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::int64_t onceDate = 0;
    int scheduleKind = 0;   // 0 once, 1 repeating, 2 unscheduled
    std::uint32_t days = 0; // Show day bits
    // Output: index into kOutputKindFlags
    int outputIndex = 0;
    bool addToLibrary = false;
    bool compressSpeech = false;
    // Recording
    QString recordSource;
    bool mute = false;
    bool noRetune = false;
    bool deadAirOn = false;
    std::int64_t deadAirSeconds = 0;
    bool newTrackOn = false;
    std::int64_t newTrackMs = 0;
    bool splitEveryOn = false;
    std::int64_t splitMinutes = 0;
    // A new track at each station title (kept for the stream source only).
    bool titleSplit = false;
    std::array<int, 8> splitAt{}; // minutes past the hour; 255 = unused
};

inline constexpr std::array<std::uint32_t, 9> kOutputKindFlags = {0x100,     0x400,    0x200, 0x4000,   0x8000,
                                                                  0x2000000, 0x100000, 0x80,  0x8000000};
inline constexpr int kMp3FmOutputIndex = 1;
inline constexpr int kCustomOutputIndex = 6;
// Kept as broadcast: offered only with the "Internet Stream" source.
inline constexpr int kAsBroadcastOutputIndex = 8;
inline constexpr std::uint8_t kUnusedSplitMinute = 255;

// Opening: the Show's values with the defaults for what it leaves empty
// (next whole minute, the last output kind and recording source chosen).
ShowEditorValues openShowEditor(const Show &show, std::int64_t now, const SettingsStore &settingsStore,
                                const Clock &clock);

// The time a Show without times is proposed for: the coming full hour of
// the local clock, always after now.
std::int64_t nextFullHour(std::int64_t now);

// The Show that OK turns the values into (no settings store, no messages);
// nothing when its recording source cannot be kept.
std::optional<Show> showFromEditorValues(const ShowEditorValues &values, const Show &show, std::int64_t now);

// The Summary page's text for the values as they stand: the Show that OK
// would save, a repeating one on its first ticked weekday.
QString editorSummary(const ShowEditorValues &values, const Show &show, std::int64_t now, const Clock &clock);

// Closing with OK: the values written into show, its times put on their
// next occurrence, "LastRecordSource" and "LastQuality" remembered, and
// the 74-minute and 6-hour warnings shown. Refuses (and says why, show
// unchanged) only a recording source too long to be kept.
bool acceptShowEditor(const ShowEditorValues &values, Show &show, std::int64_t now, SettingsStore &settingsStore,
                      Prompter &prompter);

// The value a split-at edit stores: a minute 0-59, else unused (255).
std::uint8_t splitMinuteFromText(const QString &text);

// The three number edits: an integer from 0 to max, or the message to show
// ("Please enter an integer." or the range message).
std::optional<QString> numberEditProblem(const QString &text, std::int64_t max);
// Largest values: seconds x 1000 and minutes x 60 must stay in 32 bits.
inline constexpr std::int64_t kMaxDeadAirSeconds = 2147483;
inline constexpr std::int64_t kMaxNewTrackMs = 2147483647;
inline constexpr std::int64_t kMaxSplitMinutes = 35791394;

// The Summary page's name check: the name as the file naming cleans it,
// tried as a test file "<name> Jan 00.mp3" in the recordings folder,
// created exclusively and removed only when this check created it.
enum class ShowNameCheck { Ok, Empty, CannotCreate };
ShowNameCheck checkShowName(const QString &name, const QString &mp3Folder);

inline const QString kEmptyShowNameText =
    QStringLiteral("You need to enter a name for this show.  Please correct this and try again.");
inline const QString kTestFileWarningText =
    QStringLiteral("Skywell is unable to create a test file for your show.\n\nMake sure you have not entered a "
                   "name for your show that contains some characters that can't be accepted, such as:\n\n"
                   " :  ?   *   /   \\   %   <   >   \"   ' ");
inline const QString kTestFileWarningCaption = QStringLiteral("Skywell Warning");
inline const QString kSourceTooLongText =
    QStringLiteral("The recording source \"%1\" has a name too long to be kept with the show (at most %2 bytes). "
                   "Please choose another recording source.");

} // namespace skywell
