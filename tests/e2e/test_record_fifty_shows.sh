#!/usr/bin/env bash
# Fifty "Internet Stream" Shows of 20 s (MP3 AM), all due in the same
# minute, from one loopback station: many are recorded side by side, each
# into a track of its own with the station's sound and an OK status; any
# Show not recorded says why in its status. The program runs on and ends
# cleanly.
source "$(dirname "$0")/stream_lib.sh"

tone_station_run 440
start=$(($(date +%s) + 20))
end=$((start + 20))
for i in $(seq -w 1 50); do
  SHOW_SOURCE="Internet Stream" show_record "Crowd $i" "$TONE_URL" $((0x1000 | 0x7f | 0x200)) "$start" "$end" 0 0 "$i" 0
done >"$DAT"
start_headless
sleep_until $((end + 30))
problems=()
recorded=0
for i in $(seq -w 1 50); do
  wait_for_new_status $((10#$i - 1)) 120
  status=$(last_status $((10#$i - 1)))
  if [[ $status == "Last Recording was NOT OK: "?* ]]; then continue; fi
  [[ $status == "Last Recording was OK: "* ]] || { problems+=("Crowd $i: '$status'"); continue; }
  track=$(ls "$RECORDINGS" | grep -E "^Crowd $i .*\.mp3\$" | head -n 1) || { problems+=("Crowd $i: OK, no track"); continue; }
  seconds=$(mp3_seconds "$RECORDINGS$track")
  level=$(rms_level "$RECORDINGS$track")
  awk "BEGIN{exit !($seconds >= 14 && $level > 0.05)}" || problems+=("Crowd $i: OK, $seconds s, RMS $level")
  recorded=$((recorded + 1))
done
[ "${#problems[@]}" -eq 0 ] || fail "$(printf '%s; ' "${problems[@]}")"
[ "$recorded" -gt 1 ] || fail "only $recorded of 50 Shows recorded: $(last_status 1)"
process_gone "$SKYWELL_PID" && fail "the program ended"
uninstall_and_wait
pass "fifty Shows due in the same minute: $recorded recorded whole side by side, $((50 - recorded)) told why not ($(last_status 49))"
