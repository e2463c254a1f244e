#!/usr/bin/env bash
# Requests that reach the desktop program while it is still starting (the
# splash, the start-up hint) are not lost: a second start's UNINSTALL and
# import, and SIGTERM, all take effect, in the order they came.
rerun_under_xvfb_first() { [ -n "${DISPLAY:-}" ] || exec xvfb-run -a -n "$((100 + RANDOM % 800))" -s "-screen 0 1024x768x24" bash "$0" "$@"; }
rerun_under_xvfb_first "$@"
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/instance_lib.sh"
export TZ=Europe/Berlin
# Imports open the Show editor; it is accepted as it opens.
accept_show_editors

mkdir -p "$XDG_CONFIG_HOME/Skywell" "${SKYWELL_HOME}Recordings"
printf '[Skywell%%205]\nFirst%%20Time=0\n' >"$XDG_CONFIG_HOME/Skywell/skywell.ini"
# The hint after an added Show is turned off throughout: it would wait for a click.
hint_off() { printf '[General]\nAddShowHint=1\nTuneHint=1\n' >"$XDG_CONFIG_HOME/Skywell/Skywell5.ini"; }
hint_on() { printf '[General]\nTuneHint=1\n' >"$XDG_CONFIG_HOME/Skywell/Skywell5.ini"; }
printf 'Early Bird|http://127.0.0.1:8000/early.mp3|0500|0600|MTWTF--|*\n' >"$E2E_DIR/early.skw"
printf 'Night Owl|http://127.0.0.1:8000/owl.mp3|2300|2330|-------|*\n' >"$E2E_DIR/owl.skw"

start_desktop() {
  rm -f "$(socket_in "$XDG_RUNTIME_DIR")"
  "$SKYWELL_BIN" </dev/null >>"$E2E_DIR/gui.txt" 2>&1 &
  SKYWELL_PID=$!
  E2E_PIDS+=("$SKYWELL_PID")
}

# Until the program listens, a second start cannot know it runs: on a busy
# machine that takes longer than the splash's first half second.
wait_until_listening() {
  local i
  for ((i = 0; i < 300; i++)); do
    [ -S "$(socket_in "$XDG_RUNTIME_DIR")" ] && return 0
    sleep 0.05
  done
  fail "the program did not listen for second starts within 15 s"
}

# During the splash (it shows for three seconds).
hint_off
start_desktop
wait_until_listening
timeout 5 "$SKYWELL_BIN" UNINSTALL </dev/null || fail "UNINSTALL did not end"
ended_cleanly "UNINSTALL during the splash"

start_desktop
wait_until_listening
kill -TERM "$SKYWELL_PID"
ended_cleanly "SIGTERM during the splash"

start_desktop
wait_until_listening
(cd "$E2E_DIR" && timeout 5 "$SKYWELL_BIN" early.skw </dev/null) || fail "the import's start did not end"
wait_for_log "Imported show Early Bird" 15
timeout 5 "$SKYWELL_BIN" UNINSTALL </dev/null
ended_cleanly "import during the splash"

# While the start-up hint waits for its OK (it follows the program's
# start line in the log; it shows while the Show list is empty).
rm -f "${SKYWELL_HOME}Skywell5.dat"
hint_on
runs=$(grep -c "Load Program" "${SKYWELL_HOME}log.txt")
start_desktop
wait_for_log_count "Load Program" $((runs + 1)) 15
sleep 1
kill -TERM "$SKYWELL_PID"
ended_cleanly "SIGTERM while the start-up hint is open"

start_desktop
wait_for_log_count "Load Program" $((runs + 2)) 15
sleep 1
timeout 5 "$SKYWELL_BIN" UNINSTALL </dev/null
ended_cleanly "UNINSTALL while the start-up hint is open"

# An import waits for the hint; a quit that follows closes the hint, and
# the import still comes first.
start_desktop
wait_for_log_count "Load Program" $((runs + 3)) 15
sleep 1
(cd "$E2E_DIR" && timeout 5 "$SKYWELL_BIN" owl.skw </dev/null) || fail "the import's start did not end"
sleep 0.5
kill -TERM "$SKYWELL_PID"
wait_for_log "Imported show Night Owl" 15
ended_cleanly "import, then SIGTERM, while the start-up hint is open"
