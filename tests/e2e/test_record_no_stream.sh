#!/usr/bin/env bash
# A Show whose address serves nothing (a closed port) is retuned while it
# runs and ends "Last Recording was NOT OK" saying that no sound was heard;
# the program goes on running.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/tuner_lib.sh"
source "$(dirname "$0")/recording_lib.sh"

# A port nobody listens on.
closed=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
write_settings 5 10
start=$(($(date +%s) + 20))
end=$((start + 40))
show_record "Dead Air" "http://127.0.0.1:$closed/stream.mp3" $((0x1000 | 0x7f | 0x400)) "$start" "$end" 0 0 1 0 >"$DAT"
start_headless
wait_for_log "Capture started:" 60
wait_for_log "No audio data received in 10 seconds. Retuning to URL." 40
wait_for_log "End Recording" $((end + 30 - $(date +%s) + 30))
wait_for_new_status
status=$(last_status)
[[ $status == "Last Recording was NOT OK: "*"No sound was heard"* ]] || fail "last status: $status"
process_gone "$SKYWELL_PID" && fail "the program ended"
uninstall_and_wait
pass "a Show that plays nothing: '$status'"
