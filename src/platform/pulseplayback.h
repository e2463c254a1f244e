#pragma once

#include <QList>

namespace skywell
{

// Whether one of the processes, or a process they started, has a playback
// stream on the sound server (PulseAudio or PipeWire): the player plays.
// True too when none of them runs any more (an opener that handed the
// address to a browser already running): there is nothing left to wait
// for. False when the server cannot be asked.
bool playerPlaysOrEnded(const QList<qint64> &processIds);

} // namespace skywell
