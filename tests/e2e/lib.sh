# Shared helpers of the end-to-end tests. Each test sources this file.
set -euo pipefail

: "${SKYWELL_BIN:?SKYWELL_BIN must name the built skywell}"
E2E_DIR=$(mktemp -d /tmp/skywell-e2e.XXXXXX)
export SKYWELL_HOME=$E2E_DIR/home/
export XDG_CONFIG_HOME=$E2E_DIR/config
export XDG_DATA_HOME=$E2E_DIR/data
export XDG_RUNTIME_DIR=$E2E_DIR/runtime
export SKYWELL_MACHINE_CONFIG=$E2E_DIR/machine
export XDG_CACHE_HOME=$E2E_DIR/cache
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" && chmod 700 "$XDG_RUNTIME_DIR"
# The desktop's music folder, where a first start puts its recordings, and
# the default folders made (as after a first start) so that no start-up
# box asks for them.
printf 'XDG_MUSIC_DIR="%s/music"\n' "$E2E_DIR" >"$XDG_CONFIG_HOME/user-dirs.dirs"
mkdir -p "$E2E_DIR/music/Skywell" "$XDG_CACHE_HOME/skywell"
E2E_PIDS=()

e2e_cleanup() {
  for pid in "${E2E_PIDS[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
  rm -rf "$E2E_DIR"
}
trap e2e_cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [ -f "${SKYWELL_HOME}log.txt" ] && { echo "--- log.txt:"; cat "${SKYWELL_HOME}log.txt"; } >&2
  [ -s "$E2E_DIR/gui.txt" ] && { echo "--- the program's output:"; tail -n 40 "$E2E_DIR/gui.txt"; } >&2
  exit 1
}
pass() { echo "PASS: $*"; }

# Starts skywell --headless in the background; sets SKYWELL_PID.
start_headless() {
  "$SKYWELL_BIN" --headless "$@" </dev/null >"$E2E_DIR/stdout.txt" 2>"$E2E_DIR/stderr.txt" &
  SKYWELL_PID=$!
  E2E_PIDS+=("$SKYWELL_PID")
}

# Waits until the log holds a line containing TEXT (at most SECONDS).
wait_for_log() {
  local text=$1 seconds=${2:-10} i
  for ((i = 0; i < seconds * 10; i++)); do
    grep -qF -- "$text" "${SKYWELL_HOME}log.txt" 2>/dev/null && return 0
    sleep 0.1
  done
  fail "no log line with '$text' after $seconds s"
}

# Waits until the log holds at least COUNT lines containing TEXT.
wait_for_log_count() {
  local text=$1 count=$2 seconds=${3:-10} i n
  for ((i = 0; i < seconds * 10; i++)); do
    n=$(grep -cF -- "$text" "${SKYWELL_HOME}log.txt" 2>/dev/null) || true
    [ "${n:-0}" -ge "$count" ] && return 0
    sleep 0.1
  done
  fail "fewer than $count log lines with '$text' after $seconds s"
}

# True when the process has ended (zombies count as ended).
process_gone() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null | tr -d ' ') || return 0
  [ -z "$state" ] || [[ $state == Z* ]]
}

# Waits for PID to end within SECONDS (fractional allowed); fails otherwise.
wait_gone() {
  local pid=$1 seconds=$2 i steps
  steps=$(awk "BEGIN{print int($seconds*20)}")
  for ((i = 0; i < steps; i++)); do
    process_gone "$pid" && return 0
    sleep 0.05
  done
  fail "process $pid still runs after $seconds s"
}

# Waits for the program started in the background (SKYWELL_PID) to end by
# itself, checks that it ended cleanly, and reports WHAT as passed.
ended_cleanly() {
  wait_gone "$SKYWELL_PID" 10
  local status=0
  wait "$SKYWELL_PID" || status=$?
  [ "$status" -eq 0 ] || fail "$1: exit status $status"
  pass "$1"
}

# start_tone_station HZ: a loopback station (streamserver.py) that plays a
# sine of HZ as a 128 kbit/s MP3 stream; sets TONE_URL to its address and
# TONE_PID to the station's process.
start_tone_station() {
  local hz=$1 dir=$E2E_DIR/tones i
  mkdir -p "$dir"
  sox -n -r 44100 -c 2 -b 16 "$dir/$hz.wav" synth 5 sine "$hz" vol 0.5
  lame --quiet -t -b 128 --cbr "$dir/$hz.wav" "$dir/$hz.mp3"
  python3 "$(dirname "${BASH_SOURCE[0]}")/streamserver.py" "$dir/$hz.mp3" "$dir/$hz.port" "Tone $hz" \
    </dev/null >>"$dir/server.log" 2>&1 &
  TONE_PID=$!
  E2E_PIDS+=("$!")
  # Killed at the end without a word from the shell.
  disown "$!"
  for ((i = 0; i < 100; i++)); do [ -s "$dir/$hz.port" ] && break; sleep 0.1; done
  [ -s "$dir/$hz.port" ] || fail "the $hz Hz station did not start"
  TONE_URL=http://127.0.0.1:$(cat "$dir/$hz.port")/stream.mp3
}

# Imports open the Show editor; tests accept it with accept_show_editors.
source "$(dirname "${BASH_SOURCE[0]}")/editor_lib.sh"
