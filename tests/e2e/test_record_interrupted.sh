#!/usr/bin/env bash
# A recording is never lost to the end of the program: SIGTERM 40 s into a
# scheduled recording saves about 40 s and ends the program within 10 s;
# a program killed (kill -9) mid-recording recovers the partial recording
# into the recordings folder at its next start.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/tuner_lib.sh"
source "$(dirname "$0")/recording_lib.sh"

start_station
write_settings 5 60
start=$(($(date +%s) + 15))
end=$((start + 600))
show_record "Long Show" "http://127.0.0.1:$STATION_PORT/stream.mp3" $((0x1000 | 0x7f | 0x400)) "$start" "$end" 0 0 1 0 \
  >"$DAT"

# SIGTERM: the last track is finished and saved.
start_headless
wait_for_log "Capture started:" 60
sleep 40
kill -TERM "$SKYWELL_PID"
wait_gone "$SKYWELL_PID" 10
file=$(ls "$RECORDINGS" | grep -E '^Long Show .* - 01\.mp3$') || fail "nothing saved at SIGTERM: $(ls "$RECORDINGS")"
seconds=$(mp3_seconds "$RECORDINGS$file")
awk "BEGIN{exit !($seconds > 35 && $seconds < 47)}" || fail "saved $seconds s, expected about 40"
tuner_of_this_test && fail "the tuner outlived the program"
pass "SIGTERM saved $seconds s as $file"

# kill -9: the next start finds and saves what was captured.
rm -f "$RECORDINGS$file"
start=$(($(date +%s) + 15))
show_record "Next Show" "http://127.0.0.1:$STATION_PORT/stream.mp3" $((0x1000 | 0x7f | 0x400)) "$start" \
  $((start + 600)) 0 0 1 0 >"$DAT"
start_headless
wait_for_log_count "Capture started:" 2 60
sleep 20
kill -9 "$SKYWELL_PID"
wait_gone "$SKYWELL_PID" 5
kill_tuners_of_this_test
start_headless
wait_for_log "Recovered" 30
# The recovered track keeps its own name and number.
recovered=$(grep -oE 'Recovered unfinished recording: .*\.mp3' "${SKYWELL_HOME}log.txt" | head -1) ||
  fail "nothing recovered: $(ls "$RECORDINGS")"
recovered=${recovered##*/}
[[ $recovered == "Next Show "*" - 01.mp3" ]] || fail "recovered as $recovered"
seconds=$(mp3_seconds "$RECORDINGS$recovered")
awk "BEGIN{exit !($seconds > 15)}" || fail "recovered only $seconds s"
level=$(rms_level "$RECORDINGS$recovered")
awk "BEGIN{exit !($level > 0.05)}" || fail "the recovered file is silent (RMS $level)"
uninstall_and_wait
pass "kill -9 mid-recording: $recovered recovered, $seconds s"
