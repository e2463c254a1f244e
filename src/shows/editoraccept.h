#pragma once

#include <cstdint>

namespace skywell
{

class Prompter;
class SettingsStore;
struct Show;

// What the Show editor does to a Show when it is opened and closed with
// OK without any change (openShowEditor, then acceptShowEditor): times of
// day put on their next occurrence (a once Show on its once date), the end
// within a day after the start, lastRecorded cleared, the recording source
// and output kind filled from the last choices when the Show has none, the
// tuning letter normalised, and the two length warnings. Used where no
// editor can be shown (the headless import). False when the Show's
// recording source cannot be kept (said why).
bool acceptShowUnchanged(Show &show, std::int64_t now, SettingsStore &settingsStore, Prompter &prompter);

inline constexpr std::int64_t kAudioCdWarnSeconds = 4440;
inline constexpr std::int64_t kLongRecordingWarnSeconds = 21600;

} // namespace skywell
