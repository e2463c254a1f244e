#pragma once

#include "shows/show.h"

namespace skywell
{

// Whether recording the Show needs the one source that cannot be shared:
// the sound card's chosen source, heard through a player Skywell does not
// start itself (the browser, the desktop's media player, a Show without an
// address). Streams, direct downloads and the players Skywell starts (the
// Skywell Tuner, the player command), each playing into a sink of its own
// recording, run beside any other recording.
// An input chosen by hand (a microphone, a line in) is the shared source
// too: only a Show that records what is played (a monitor, or the default)
// can have it played into an output of its own.
bool needsChosenSource(const Show &show, bool tuneInBrowser);

// The recording source records what the computer plays: a sink's monitor,
// the default device, or none named.
bool recordsPlayback(const QString &recordSource);

} // namespace skywell
