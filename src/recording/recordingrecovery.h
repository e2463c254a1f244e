#pragma once

#include <QString>
#include <QStringList>

namespace skywell
{

class ActivityLog;
class Clock;
struct RecordingSession;
struct Settings;

// Saves what the recordings that never finished (the program killed, the
// power cut) left in the temporary folder, before the next recording can
// overwrite it. Run once at start-up, before any recording starts, and
// only by the one instance that owns the program folder.
//
// Each temporary track file that is ours (a regular file of this user with
// exactly our name, "skywell-a1.wav" or with a recording's key
// "skywell-<key>-a1.wav", not held open for writing by a running program)
// is completed by its content (partialtrack.h); one without audio is
// removed. The others move into the recordings folder, copied first when
// it is on another file system. Each recording that ran left its own
// marker (recordingmarker.h) naming its key; of the files with that key,
// the stream with the most audio is the track: it gets the track's own
// name, number and tags and joins that recording's playlist (written
// then); other streams, or a track whose name is taken, get the track's
// usual name with " (recovered)" before the extension. Without a marker a
// file is named "Recovered recording <date> <time> <letter><slot>.<ext>", the extension
// told by the content (wav, mp3, aac, ogg, opus).
// When the recordings folder cannot take a file, it is renamed under that
// name in the temporary folder instead. Nothing is ever replaced; every
// file gets a log line, naming its recording. Returns the paths of the
// recovered files, removes the markers and leaves word, one file per
// recording, for the next recording of the same name where its series
// goes on.
QStringList recoverUnfinishedRecordings(const Settings &settings, ActivityLog &log, const Clock &clock);

// A recording of the same name on the same day as one that was
// interrupted continues it: the session takes the next track number, the
// series of names and the playlist, and that word is used up (of two
// interrupted recordings of that name and day, the later goes on first).
// False (and the session unchanged) for any other recording. Word of an
// earlier day is removed.
bool continueInterruptedSeries(const Settings &settings, RecordingSession &session, ActivityLog &log,
                               const Clock &clock);

} // namespace skywell
