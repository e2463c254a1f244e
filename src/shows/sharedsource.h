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
bool needsChosenSource(const Show &show, bool tuneInBrowser);

} // namespace skywell
