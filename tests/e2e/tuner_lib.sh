# Helpers of the tuner tests: a loopback station, a private null sink and
# the level of what it plays. Sourced after lib.sh.
: "${SKYWELL_BUILD_DIR:?SKYWELL_BUILD_DIR must name the build folder}"
TUNER_BIN=$SKYWELL_BUILD_DIR/skywell-tuner
[ -x "$TUNER_BIN" ] || fail "no skywell-tuner in $SKYWELL_BUILD_DIR"
pactl info >/dev/null 2>&1 || fail "no PulseAudio server (PULSE_SERVER=${PULSE_SERVER:-})"

STATION_DIR=$E2E_DIR/station
mkdir -p "$STATION_DIR" "$SKYWELL_HOME"
sox -n -r 44100 -c 2 -b 16 "$STATION_DIR/tone.wav" synth 5 sine 440 vol 0.5
lame --quiet -t -b 128 --cbr "$STATION_DIR/tone.wav" "$STATION_DIR/tone.mp3"

# Starts the station (on PORT when given); sets STATION_PID and STATION_PORT.
start_station() {
  rm -f "$STATION_DIR/port"
  python3 "$(dirname "${BASH_SOURCE[0]}")/streamserver.py" "$STATION_DIR/tone.mp3" "$STATION_DIR/port" \
    "Evening News" ${1:-} </dev/null >>"$STATION_DIR/server.log" 2>&1 &
  STATION_PID=$!
  E2E_PIDS+=("$STATION_PID")
  local i
  for ((i = 0; i < 100; i++)); do [ -s "$STATION_DIR/port" ] && break; sleep 0.1; done
  STATION_PORT=$(cat "$STATION_DIR/port" 2>/dev/null) || fail "the station did not start"
}

# A null sink of the test's own; the tuner plays into it through PULSE_SINK.
TEST_SINK=tuner_e2e_$$
SINK_MODULE=$(pactl load-module module-null-sink sink_name=$TEST_SINK) || fail "cannot load a null sink"
export PULSE_SINK=$TEST_SINK
tuner_cleanup() { pactl unload-module "$SINK_MODULE" 2>/dev/null || true; e2e_cleanup; }
trap tuner_cleanup EXIT

# RMS level (0..1) of one second of what the sink plays.
sink_level() {
  timeout 1 parec -d "$TEST_SINK.monitor" --raw --format=s16le --rate=44100 --channels=2 \
    --latency-msec=50 >"$E2E_DIR/level.raw" 2>/dev/null || true
  python3 -c "
import array, math, sys
a = array.array('h', open(sys.argv[1], 'rb').read())
print('%.4f' % (math.sqrt(sum(x * x for x in a) / len(a)) / 32768 if a else 0))" "$E2E_DIR/level.raw"
}

# Waits until the sink plays (level above 0.1) within SECONDS.
wait_for_sound() {
  local seconds=$1 end=$((SECONDS + $1))
  while [ $SECONDS -lt $end ]; do
    [ "$(awk "BEGIN{print ($(sink_level) > 0.1)}")" = 1 ] && return 0
  done
  fail "no sound from the tuner within $seconds s"
}

# Starts the tuner headless on URL; sets TUNER_PID, output in TUNER_OUT.
start_tuner() {
  TUNER_OUT=$E2E_DIR/tuner-$RANDOM.txt
  : >"$TUNER_OUT"
  env -u DISPLAY -u WAYLAND_DISPLAY "$TUNER_BIN" "$@" </dev/null >"$TUNER_OUT" 2>&1 &
  TUNER_PID=$!
  E2E_PIDS+=("$TUNER_PID")
}

# Waits until the tuner's output holds TEXT within SECONDS.
wait_for_tuner() {
  local text=$1 seconds=$2 i
  for ((i = 0; i < seconds * 10; i++)); do
    grep -qF -- "$text" "$TUNER_OUT" && return 0
    sleep 0.1
  done
  cat "$TUNER_OUT" >&2
  fail "the tuner did not say '$text' within $seconds s"
}

# Ends the tuner with SIGTERM; it must go within 3 s, whatever it was doing.
stop_tuner() {
  process_gone "$TUNER_PID" && fail "the tuner ended by itself: $(cat "$TUNER_OUT")"
  kill -TERM "$TUNER_PID"
  wait_gone "$TUNER_PID" 3
}
