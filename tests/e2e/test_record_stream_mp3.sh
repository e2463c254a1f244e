#!/usr/bin/env bash
# With no sound server anywhere, skywell --headless records a scheduled
# Show whose source is "Internet Stream" by opening the Show's address (an
# MP3 mount of a local icecast2) itself: no player, no sound card. The MP3
# FM track is as long as the Show and has the station's sound.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/icecast_lib.sh"
source "$(dirname "$0")/recording_lib.sh"

start_icecast
start_source /stream.mp3
url=$ICECAST_URL/stream.mp3
schedule_stream_show "Stream Mp3" "$url" $((0x1000 | 0x7f | 0x400)) "Internet Stream" 40
start_headless

wait_for_log "Start Recording Stream Mp3" 30
wait_for_log "Stream opened: $url" 30
sleep 5
no_player_no_server
wait_for_show_end
one_track_checked "Stream Mp3"
[ "$(grep -cF "Stream opened:" "${SKYWELL_HOME}log.txt")" -eq 1 ] || fail "the stream was opened more than once"
status=$(last_status)
[[ $status == "Last Recording was OK: "* ]] || fail "last status: $status"
no_player_no_server
uninstall_and_wait
pass "an MP3 stream recorded without a sound server: $TRACK_SECONDS s, RMS $TRACK_LEVEL, '$status'"
