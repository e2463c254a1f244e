#!/usr/bin/env bash
# skywell --headless on a machine with no PulseAudio or PipeWire server:
# it says so once, and a Show whose source is a sound card is recorded
# from the Show's stream instead (a log line names the substitution),
# with sound, rather than as silence. No player is started.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/icecast_lib.sh"
source "$(dirname "$0")/recording_lib.sh"

start_icecast
start_source /stream.mp3
url=$ICECAST_URL/stream.mp3
schedule_stream_show "Card Show" "$url" $((0x1000 | 0x7f | 0x400)) "Default Device" 40
start_headless

wait_for_log "Start Recording Card Show" 30
wait_for_log "Stream opened: $url" 30
no_player_no_server
wait_for_show_end

log=${SKYWELL_HOME}log.txt
# One line says the server is missing; one names the Show's substitution.
grep -F "sound server" "$log" | grep -qvF "Card Show" || fail "no line about the missing sound server"
[ "$(grep -F "sound server" "$log" | grep -cvF "Card Show")" -eq 1 ] ||
  fail "the missing sound server is reported more than once: $(grep -F "sound server" "$log")"
grep -F "sound server" "$log" | grep -qF "Card Show" || fail "no line names the substitution for the Show"
one_track_checked "Card Show"
no_player_no_server
uninstall_and_wait
pass "a sound-card Show recorded from its stream without a sound server: $TRACK_SECONDS s, RMS $TRACK_LEVEL"
