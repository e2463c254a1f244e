#pragma once

#include <QList>

namespace skywell
{

// Whether one of the processes, or a process they started, has a playback
// stream on the sound server (PulseAudio or PipeWire): the player plays.
// False too when the server cannot be asked.
bool playsOnSoundServer(const QList<qint64> &processIds);

} // namespace skywell
