#!/usr/bin/env bash
# Record Now records from the moment the station plays, not after the
# connect-ahead time: the station begins with four seconds of a 1000 Hz
# signal (then 440 Hz), and the recording, stopped 20 s after the click,
# holds that signal and about 20 s of sound. The connect-ahead time is 30 s.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/tuner_lib.sh"
source "$(dirname "$0")/recording_lib.sh"
source "$(dirname "$0")/desktop_lib.sh"

sox -n -r 44100 -c 2 -b 16 "$STATION_DIR/marker.wav" synth 4 sine 1000 vol 0.5
sox -n -r 44100 -c 2 -b 16 "$STATION_DIR/rest.wav" synth 116 sine 440 vol 0.5
sox "$STATION_DIR/marker.wav" "$STATION_DIR/rest.wav" "$STATION_DIR/station.wav"
lame --quiet -t -b 128 --cbr "$STATION_DIR/station.wav" "$STATION_DIR/tone.mp3"
start_station
write_settings 30 120
printf '[General]\nAddShowHint=1\nNotPreferredHint=1\n' >"$XDG_CONFIG_HOME/Skywell/Skywell5.ini"
mkdir -p "$RECORDINGS"
show_record "Desk Show" "http://127.0.0.1:$STATION_PORT/stream.mp3" $((0x2000 | 0x400)) 0 0 0 0 1 0 >"$DAT"

"$SKYWELL_BIN" </dev/null >"$E2E_DIR/gui.txt" 2>&1 &
SKYWELL_PID=$!
E2E_PIDS+=("$SKYWELL_PID")
wait_for_log "Load Program" 30
main=$(wait_for_main_window "$SKYWELL_PID" 15) || fail "no main window"
sleep 1
# The Show's row, then Record Now (the window's fixed layout).
xdotool mousemove --window "$main" 250 128 click 1
xdotool mousemove --window "$main" 75 213 click 1
clicked=$(date +%s)
wait_for_log "Capture started:" 25
left=$((clicked + 20 - $(date +%s)))
[ "$left" -le 0 ] || sleep "$left"
kill -TERM "$SKYWELL_PID"
wait_gone "$SKYWELL_PID" 15
kill_tuners_of_this_test
file=$(ls "$RECORDINGS" | grep -E '^Desk Show .*\.mp3$' | head -n 1) || fail "nothing saved: $(ls "$RECORDINGS")"
seconds=$(mp3_seconds "$RECORDINGS$file")
awk "BEGIN{exit !($seconds >= 14)}" || fail "saved $seconds s of the 20 s since the click"
# The station's first seconds: the strongest 1000 Hz stretch of the first
# ten seconds, told apart from 440 Hz by its rate of zero crossings.
ffmpeg -v error -i "$RECORDINGS$file" -t 10 -f s16le -ac 1 -ar 8000 - >"$E2E_DIR/start.raw"
python3 - "$E2E_DIR/start.raw" <<'PY' || fail "the station's first seconds are not in the recording"
import array, sys
a = array.array('h', open(sys.argv[1], 'rb').read())
found = 0
for i in range(0, len(a) - 4000, 4000):  # half seconds
    w = a[i:i + 4000]
    if max(abs(x) for x in w) < 3000:
        continue
    crossings = sum(1 for j in range(1, len(w)) if (w[j - 1] < 0) != (w[j] < 0)) * 2
    found += 1700 < crossings < 2300
sys.exit(0 if found >= 4 else 1)
PY
pass "Record Now saved $seconds s including the station's first seconds"
