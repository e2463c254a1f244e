#pragma once

#include <QString>
#include <QStringList>

namespace skywell
{

class ActivityLog;
class Clock;
struct Settings;

// Saves what a recording that never finished (the program killed, the
// power cut) left in the temporary folder, before the next recording can
// overwrite it. Run once at start-up, before any recording starts, and
// only by the one instance that owns the program folder.
//
// Each temporary track file that is ours (a regular file of this user with
// exactly our name, not held open for writing by a running program) is
// completed by its content (partialtrack.h); one without audio is
// removed. The others move into the recordings folder, copied first when
// it is on another file system: with a recording marker (recordingmarker.h)
// under the track's usual name with " (recovered)" before the extension,
// else as "Recovered recording <date> <time> <letter><slot>.<wav|mp3>".
// When the recordings folder cannot take a file, it is renamed under that
// name in the temporary folder instead. Nothing is ever replaced; every
// file gets a log line. Returns the paths of the recovered files and
// removes the marker.
QStringList recoverUnfinishedRecordings(const Settings &settings, ActivityLog &log, const Clock &clock);

} // namespace skywell
