#pragma once

#include "recording/recordingroster.h"
#include "shows/show.h"

#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace skywell
{

class Clock;

// How the window and the tray show the recordings that run side by side:
// plain rules on the roster's list, kept apart from the widgets.

// Column 2 of a Show's row: "RECORDING until <end>" while one of the
// recordings records that Show, else its Next Recording text.
QString showRowText(const Show &show, const std::vector<RunningRecording> &running, const Clock &clock);

// The status line: "Ready" when nothing records; the one recording's last
// status text (texts, by recording id), or "Recording <name>" when it has
// none; "Recording Alpha, Beta" for several.
QString recordingsStatusText(const std::vector<RunningRecording> &running, const std::map<quint64, QString> &texts);

// The recording that the elapsed time, the level meter and the tray's Stop
// Recording follow: the selected Show's (selected: its serial), else the
// first running; none when nothing records.
std::optional<RunningRecording> followedRecording(const std::vector<RunningRecording> &running,
                                                  std::optional<std::int16_t> selected);

// The recording the Record Now button stops: the selected Show's; with no
// Show selected, the one followed. None: the button starts the selected
// Show beside the recordings running.
std::optional<RunningRecording> recordingTheButtonStops(const std::vector<RunningRecording> &running,
                                                        std::optional<std::int16_t> selected);

// The icon's tip: "Skywell", a line for each recording, then the next
// Show that is not being recorded.
QString trayToolTip(const ShowList &shows, const std::vector<RunningRecording> &running, const Clock &clock);

// The notice when a recording has ended: "Saved 3 tracks of Evening News",
// or why nothing (or not everything) was saved.
QString recordingEndedNotice(const QString &name, int savedTracks, const QString &outcome);

} // namespace skywell
