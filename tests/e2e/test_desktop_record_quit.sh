#!/usr/bin/env bash
# Quitting the desktop program while it records (the window closed at
# logout) ends the recording as Stop Recording does: about 40 s are saved
# and the program ends within 10 s.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/tuner_lib.sh"
source "$(dirname "$0")/recording_lib.sh"
export QT_QPA_PLATFORM=offscreen

start_station
write_settings 5 60
printf '[General]\nAddShowHint=1\n' >"$XDG_CONFIG_HOME/Skywell/Skywell5.ini"
mkdir -p "$RECORDINGS"
start=$(($(date +%s) + 15))
show_record "Desk Show" "http://127.0.0.1:$STATION_PORT/stream.mp3" $((0x1000 | 0x7f | 0x400)) "$start" \
  $((start + 600)) 0 0 1 0 >"$DAT"
"$SKYWELL_BIN" </dev/null >"$E2E_DIR/gui.txt" 2>&1 &
SKYWELL_PID=$!
E2E_PIDS+=("$SKYWELL_PID")
wait_for_log "Capture started:" 60
sleep 40
kill -TERM "$SKYWELL_PID"
wait_gone "$SKYWELL_PID" 10
file=$(ls "$RECORDINGS" | grep -E '^Desk Show .* - 01\.mp3$') || fail "nothing saved: $(ls "$RECORDINGS")"
seconds=$(mp3_seconds "$RECORDINGS$file")
awk "BEGIN{exit !($seconds > 35 && $seconds < 47)}" || fail "saved $seconds s, expected about 40"
# Cut short within its time: the Show stays due for the rest.
[[ $(last_status) == "Last Recording was NOT OK: Skywell stopped at "* ]] || fail "last status: $(last_status)"
pass "the desktop program quit while recording and saved $seconds s"
