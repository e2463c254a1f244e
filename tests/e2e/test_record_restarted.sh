#!/usr/bin/env bash
# A clean stop in the middle of a scheduled Show (SIGTERM at +40 s, as at a
# reboot or a service restart) and a start 5 s later: what was recorded is
# saved, the Show says it was cut short, and the second run records the
# rest of the Show, with sound, saying so in the log.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/tuner_lib.sh"
source "$(dirname "$0")/recording_lib.sh"

# Seconds since 1970 of the last log line with TEXT.
last_log_time() {
  local line
  line=$(grep -F -- "$1" "${SKYWELL_HOME}log.txt" | tail -n 1) || return 1
  date -d "$(echo "$line" | awk '{print $1, $2, $3, $4, $5}')" +%s
}

start_station
write_settings 5 60
start=$(($(date +%s) + 15))
end=$((start + 120))
show_record "Rest Show" "http://127.0.0.1:$STATION_PORT/stream.mp3" $((0x1000 | 0x7f | 0x400)) "$start" "$end" \
  0 0 1 0 >"$DAT"

start_headless
wait_for_log "Capture started:" 60
wait_s=$((start + 40 - $(date +%s)))
[ "$wait_s" -gt 0 ] && sleep "$wait_s"
kill -TERM "$SKYWELL_PID"
wait_gone "$SKYWELL_PID" 10
first=$(ls "$RECORDINGS" | grep -E '^Rest Show .*\.mp3$') || fail "nothing saved at SIGTERM: $(ls "$RECORDINGS")"
status=$(last_status)
[[ $status == "Last Recording was NOT OK: Skywell stopped at "* ]] || fail "status after the stop: $status"

sleep 5
start_headless
wait_for_log "Recording the rest of Rest Show" 30
wait_for_log_count "Capture started:" 2 60
wait_for_log_count "End Recording" 2 $((end + 30 - $(date +%s) + 30))
for ((i = 0; i < 300; i++)); do
  [[ $(last_status) == "Last Recording was OK: "* ]] && break
  sleep 0.1
done
[[ $(last_status) == "Last Recording was OK: "* ]] || fail "status after the rest: $(last_status)"

second=$(ls "$RECORDINGS" | grep -E '^Rest Show .*\.mp3$' | grep -vxF "$first") ||
  fail "the rest was not saved: $(ls "$RECORDINGS")"
[ "$(echo "$second" | wc -l)" -eq 1 ] || fail "more than one file for the rest: $second"
expected=$(($(last_log_time "End Recording") - $(last_log_time "Capture started:")))
seconds=$(mp3_seconds "$RECORDINGS$second")
awk "BEGIN{d = $seconds - $expected; exit !(d < 10 && d > -10 && $expected > 60)}" ||
  fail "the rest is $seconds s long, its capture ran $expected s"
level=$(rms_level "$RECORDINGS$second")
awk "BEGIN{exit !($level > 0.05)}" || fail "the rest is silent (RMS $level)"
uninstall_and_wait
pass "stopped at +40 s and started again: $first, then the rest in $second ($seconds s, RMS $level)"
