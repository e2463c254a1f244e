#!/usr/bin/env bash
# skywell-tuner without a display against a loopback station: it plays
# through playlists and redirects, says clearly what it cannot play (a web
# page, a server that never answers, a closed port) without hanging or
# ending, and plays again by itself when the station comes back.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tuner_lib.sh"

start_station
base=http://127.0.0.1:$STATION_PORT

# The address from "TunerURL", as Skywell leaves it.
mkdir -p "$XDG_CONFIG_HOME/Skywell"
printf '[General]\nTunerURL=%s/list.m3u\nTunerType=1\n' "$base" >"$XDG_CONFIG_HOME/Skywell/Skywell5.ini"
start_tuner
wait_for_tuner "title: Evening News" 10
wait_for_sound 10
stop_tuner
pass "plays an .m3u playlist from TunerURL and reads the stream title"

start_tuner "$base/page.html"
wait_for_tuner "Cannot play $base/page.html: unrecognized file format" 10
wait_for_log "Tuner: cannot play $base/page.html" 5
stop_tuner
pass "a web page instead of audio"

start_tuner "$base/silent"
sleep 3
# Connected but unanswered: SIGTERM still ends it at once.
stop_tuner
start_tuner "$base/silent"
wait_for_tuner "Cannot play $base/silent" 16
stop_tuner
pass "a server that never answers is given up after the time-out"

start_tuner "http://127.0.0.1:1/live.mp3"
wait_for_tuner "Cannot play http://127.0.0.1:1/live.mp3" 5
stop_tuner
pass "a closed port"

# The station goes away mid-stream and comes back on the same port (the
# address without its scheme, as users type it).
start_tuner "127.0.0.1:$STATION_PORT/moved"
wait_for_sound 10
kill -9 "$STATION_PID"
wait_for_tuner "trying again" 30
start_station "$STATION_PORT"
wait_for_sound 30
[ "$(grep -c 'Playing' "$TUNER_OUT")" -ge 2 ] || fail "no second 'Playing': $(cat "$TUNER_OUT")"
stop_tuner
pass "plays again when the station comes back"

# A stream that names nothing itself (a plain file over HTTP, no ICY): the
# "Playing:" line names the station by the Show's name Skywell hands over.
python3 -c '
import functools, http.server, os, sys
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
open(sys.argv[2] + ".tmp", "w").write(str(server.server_address[1]))
os.rename(sys.argv[2] + ".tmp", sys.argv[2])
server.serve_forever()' "$STATION_DIR" "$E2E_DIR/plainport" </dev/null >/dev/null 2>&1 &
E2E_PIDS+=($!)
for ((i = 0; i < 100; i++)); do [ -s "$E2E_DIR/plainport" ] && break; sleep 0.1; done
start_tuner "http://127.0.0.1:$(cat "$E2E_DIR/plainport")/tone.mp3" "--station=Evening 📻 News"
wait_for_tuner "Playing: Evening 📻 News" 10
stop_tuner
pass "the station's name on the Playing line of a stream without a title"

rm -f "$XDG_CONFIG_HOME/Skywell/Skywell5.ini"
status=0
env -u DISPLAY "$TUNER_BIN" </dev/null >"$E2E_DIR/empty.txt" 2>&1 || status=$?
[ "$status" -eq 1 ] && grep -qF "no address to play" "$E2E_DIR/empty.txt" || fail "empty TunerURL: $status $(cat "$E2E_DIR/empty.txt")"
pass "no address"
