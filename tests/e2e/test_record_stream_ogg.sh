#!/usr/bin/env bash
# With no sound server anywhere, skywell --headless records a scheduled
# Show whose source is "Internet Stream" by opening the Show's address (an
# Ogg Vorbis mount of a local icecast2) itself: no player, no sound
# card. The MP3 FM track is as long as the Show and has the station's sound.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/icecast_lib.sh"
source "$(dirname "$0")/recording_lib.sh"

start_icecast
record_one_mount /stream.ogg "Stream Ogg" "an Ogg Vorbis stream"
