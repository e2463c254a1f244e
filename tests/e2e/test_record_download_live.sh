#!/usr/bin/env bash
# A live station (icy headers, an audio type, no length) as a Direct
# Download is stopped at the Show's end time + 30 s, and the Show's
# outcome says it was a live stream stopped at its end.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/download_lib.sh"

start_download_server 25000
write_settings 5 60
start=$(($(date +%s) + 15))
end=$((start + 20))
show_record "Live Radio" "http://127.0.0.1:$DL_PORT/live" $DIRECT_DAILY "$start" "$end" 0 0 1 0 >"$DAT"
start_headless
wait_for_log "Saving to file:" 40
wait_for_log "Download stopped:" 120
stopped=$(log_time "Stopping the live stream at the Show's end:")
[ "$stopped" -ge $((end + 30)) ] || fail "stopped at $stopped, before the end time + 30 s ($((end + 30)))"
[ "$stopped" -le $((end + 60)) ] || fail "stopped at $stopped, long after the end time + 30 s ($((end + 30)))"
file=$(ls "$RECORDINGS" | grep -E '^Live Radio .* - 01\.mp3$') || fail "no file saved: $(ls "$RECORDINGS")"
size=$(stat -c %s "$RECORDINGS$file")
[ "$size" -gt 16000 ] || fail "$file holds only $size bytes"
sleep 3
[ "$(stat -c %s "$RECORDINGS$file")" -eq "$size" ] || fail "$file still grows after the stop"
wait_for_new_status 0
status=$(last_status 0)
[[ $status == "Last Recording was NOT OK: "*"Live stream stopped at the Show's end"* ]] ||
  fail "Live Radio: $status"
[[ $status == *'"Internet Stream"'* ]] || fail "Live Radio: $status"
uninstall_and_wait
pass "the live stream was stopped at the end time + 30 s: $status"
