#!/usr/bin/env bash
# Three "Internet Stream" Shows on three stations whose windows overlap (A
# from +0 to +60 s, B from +10 to +70 s, C from +20 to +80 s) are all
# recorded by one skywell --headless, each for its whole window, each
# track holding its own station's tone and none of the others'.
source "$(dirname "$0")/stream_lib.sh"
source "$(dirname "$0")/parallel_lib.sh"

parallel_shows 10 60
start_headless
wait_for_log_count "Start Recording" 3 60
wait_for_log_count "End Recording" 3 $((SHOW_ENDS[2] + 30 - $(date +%s) + 40))
figures=()
for i in "${!PARALLEL_NAMES[@]}"; do
  wait_for_new_status "$i"
  name=${PARALLEL_NAMES[$i]}
  status=$(last_status "$i")
  [[ $status == "Last Recording was OK: "* ]] || fail "last status of $name: $status"
  whole_track "$name" "${SHOW_STARTS[$i]}" "${SHOW_ENDS[$i]}"
  only_tone "$TRACK" "${PARALLEL_HZ[$i]}" $(other_tones "$i")
  figures+=("$name: $TRACK_SECONDS s, $TONE_FIGURES")
done
uninstall_and_wait
pass "three overlapping stream Shows recorded side by side: $(printf '%s; ' "${figures[@]}")"
