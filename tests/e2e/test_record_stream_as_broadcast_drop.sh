#!/usr/bin/env bash
# An MP3 mount recorded "As broadcast" whose source dies in the middle and
# is back 5 s later: the recording stays one track that holds the
# station's frames from before the drop and then from after it, in order,
# only the outage missing (against copies of the mount taken before and
# after it). No sound server runs.
source "$(dirname "$0")/broadcast_lib.sh"

start_icecast
start_source /stream.mp3
url=$ICECAST_URL/stream.mp3
start_reference /stream.mp3 "$E2E_DIR/before.mp3"
schedule_stream_show "Drop Show" "$url" $((0x1000 | 0x7f | OUT_AS_BROADCAST)) "Internet Stream" 40
start_headless
wait_for_log "Stream opened: $url" 40
sleep 15
kill_source /stream.mp3
stop_reference /stream.mp3
sleep 5
start_source /stream.mp3
start_reference /stream.mp3 "$E2E_DIR/after.mp3"
wait_for_log_count "Stream opened: $url" 2 40
wait_for_show_end
stop_reference /stream.mp3
grep -qF "Stream dropped" "${SKYWELL_HOME}log.txt" || fail "the drop went unnoticed"

tracks_of "Drop Show" mp3
[ "${#TRACKS[@]}" -eq 1 ] || fail "expected one track: $(ls "$RECORDINGS")"
plays "${TRACKS[0]}"
# Icecast drops its listeners with what it still had queued for each, so
# the program may have got a few frames more than the copy just before the
# drop: up to five (130 ms) there may be missing from the copy.
frames_kept --edge 5 "$E2E_DIR/before.mp3" "$E2E_DIR/after.mp3" -- "${TRACKS[0]}"
no_player_no_server
uninstall_and_wait
pass "one track across the drop: $FRAMES_FIGURES"
