#!/usr/bin/env bash
# Two "Internet Stream" Shows record side by side from two stations; one
# station dies for good 15 s into the Shows. Its recording ends with an
# outcome of its own, keeping what it recorded; the other Show is recorded
# whole with its own tone; the program runs on.
source "$(dirname "$0")/stream_lib.sh"
source "$(dirname "$0")/parallel_lib.sh"

PARALLEL_HZ=(440 1000)
PARALLEL_NAMES=("Steady" "Dying")
parallel_shows 0 40
dying=$TONE_PID
start_headless
wait_for_log_count "Capture started:" 2 60
sleep_until $((SHOW_STARTS[1] + 15))
kill -9 "$dying"
wait_for_log_count "End Recording" 2 $((SHOW_ENDS[1] + 30 - $(date +%s) + 60))
wait_for_new_status 0
wait_for_new_status 1
process_gone "$SKYWELL_PID" && fail "the program ended"

# The steady Show: whole, its own tone, OK.
status=$(last_status 0)
[[ $status == "Last Recording was OK: "* ]] || fail "last status of Steady: $status"
whole_track Steady "${SHOW_STARTS[0]}" "${SHOW_ENDS[0]}"
only_tone "$TRACK" 440 1000
steady="$TRACK_SECONDS s, $TONE_FIGURES"

# The dying Show: what was heard before the station died is kept.
mapfile -t tracks < <(ls "$RECORDINGS" | grep -E '^Dying .*\.mp3$')
[ "${#tracks[@]}" -ge 1 ] || fail "nothing of the dying station was kept: $(ls "$RECORDINGS")"
ffmpeg -v error -i "$RECORDINGS${tracks[0]}" -t 10 -c copy "$E2E_DIR/first.mp3" || fail "cannot read ${tracks[0]}"
only_tone "$E2E_DIR/first.mp3" 1000 440
uninstall_and_wait
pass "a station died beside another: Steady $steady; Dying kept ${tracks[*]} ('$(last_status 1)')"
