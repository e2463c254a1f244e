#!/usr/bin/env bash
# A weekly Show due in about 40 seconds, MP3 FM, with a 2-minute window, is
# recorded unattended by skywell --headless: tuned with skywell-tuner from
# a station on 127.0.0.1 into a sound output of the recording's own,
# captured from its monitor, and saved under its name with the right
# length, not silent, its status OK.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/tuner_lib.sh"
source "$(dirname "$0")/recording_lib.sh"

start_station
write_settings 30 60
now=$(date +%s)
start=$((now + 40))
end=$((start + 120))
show_record "Evening News" "http://127.0.0.1:$STATION_PORT/stream.mp3" $((0x1000 | 0x7f | 0x400)) \
  "$start" "$end" 0 0 1 0 >"$DAT"
start_headless

wait_for_log "Start Recording Evening News" 60
wait_for_log "Tuning to: http://127.0.0.1:$STATION_PORT/stream.mp3" 5
wait_for_log "Capture started: skywell_muted_" 60
wait_for_log "End Recording" $((end + 30 - $(date +%s) + 30))
wait_for_log "Writing recording" 30
wait_for_new_status
capture_start=$(log_time "Capture started:")
stopped=$(log_time "End Recording")

file=$(ls "$RECORDINGS" | grep -E '^Evening News .* - 01\.mp3$') || fail "no track saved: $(ls "$RECORDINGS")"
expected=$((stopped - capture_start))
seconds=$(mp3_seconds "$RECORDINGS$file")
awk "BEGIN{d = $seconds - $expected; exit !(d < 10 && d > -10)}" ||
  fail "the track is $seconds s long, capture ran $expected s"
level=$(rms_level "$RECORDINGS$file")
awk "BEGIN{exit !($level > 0.05)}" || fail "the track is silent (RMS $level)"
status=$(last_status)
[[ $status == "Last Recording was OK: "* ]] || fail "last status: $status"
grep -qF "Writing recording $RECORDINGS$file" "${SKYWELL_HOME}log.txt" || fail "no 'Writing recording' line"
grep -qF "Source = $TEST_SINK.monitor" "${SKYWELL_HOME}log.txt" || fail "no summary in the log"
tuner_of_this_test && fail "the tuner still plays after the recording"
uninstall_and_wait
pass "a scheduled Show recorded unattended: $file, $seconds s, RMS $level, '$status'"
